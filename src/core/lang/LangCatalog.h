#pragma once
// The texts of one language file, read once and kept until the language changes or the file is
// changed on disk. Every lookup answers exactly as the matching free function of LangText.h
// would on the same file, with one addition: a String key or Resource id that the chosen
// language lacks is taken from the fallback file (english.lang), and a chosen file that cannot
// be read is replaced by the fallback file as a whole.
//
// Each lookup checks the file's modification time, size and inode with one stat(2); the file is
// parsed again only when one of them changed. Not thread-safe: one catalog per thread.

#include "core/profile/IniFile.h"

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace orvik {

class LangCatalog {
public:
    LangCatalog() = default;
    LangCatalog(std::string languageFile, std::string fallbackFile);

    // The chosen language file and the file that stands in for it (english.lang of the program
    // directory). Nothing is read here; a file that stays the same keeps its parsed content.
    void setFiles(std::string languageFile, std::string fallbackFile);
    const std::string& languageFile() const { return language.path; }
    const std::string& fallbackFile() const { return fallback.path; }

    // String/key, at most 999 bytes, "Not Found" when neither file has it; then "\n" becomes a
    // line break and afterwards "\t" a tab.
    std::string text(std::string_view key);
    // Resource/<decimal id>, at most 1023 bytes; empty when neither file has it.
    std::string resource(int id);
    // Entries "0", "1", ... of a section (at most 29 bytes each) until the first missing or empty
    // key; from the chosen file only (the fallback file when the chosen one is unreadable).
    std::vector<std::string> numberedList(std::string_view section);
    // ChText/IDS_ChText<column> (at most 29 bytes); false when missing or empty. Same source rule
    // as numberedList.
    bool columnHeader(int column, std::string& text);

    // True once for each time the chosen language file is found unreadable (missing, not a
    // regular file, no permission), with its path; false otherwise. A file that becomes readable
    // and later fails again is reported again.
    bool takeFallbackNotice(std::string& unreadableFile);

    // How many times a file has been read and parsed (for tests and diagnostics).
    std::size_t fileReads() const { return reads; }

private:
    // What identifies one version of a file on disk.
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Stamp& other) const;
    };
    struct Source {
        std::string path;
        bool loaded = false; // stamp and document describe `path`
        Stamp stamp;
        bool readable = false;
        ini::Document document;
    };

    // Re-reads the source when its file changed since the last read; returns whether it is
    // readable.
    bool refresh(Source& source);
    // The chosen file when readable (with a notice pending otherwise), else the fallback file;
    // nullptr when neither can be read.
    const ini::Document* primary();
    const ini::Document* fallbackDocument();
    const std::string* lookup(std::string_view section, std::string_view key);

    Source language;
    Source fallback;
    bool noticePending = false;
    bool languageFailed = false; // the last check found the chosen file unreadable
    std::size_t reads = 0;
};

} // namespace orvik

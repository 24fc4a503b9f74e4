#pragma once
// Text lookup in the language files (*.lang, INI format). Nothing is cached: every lookup reads
// the file again, so an edited or switched language file shows at the next lookup. LangCatalog
// answers the same lookups from one read of the file.

#include <string>
#include <string_view>
#include <vector>

namespace orvik {

// String/key of the language file, at most 999 bytes, "Not Found" when the file, section or key
// is missing; then every "\n" becomes a line break and afterwards every "\t" a tab.
std::string LoadLangString(const std::string& languageFile, std::string_view key);

// Resource/<decimal id> (at most 1023 bytes); empty when missing.
std::string ResourceText(const std::string& languageFile, int id);

// Entries "0", "1", "2"... of a section, each at most 29 bytes, until the first missing or empty
// key (VoiceAnnunciation, MonitorKey, ScanMode).
std::vector<std::string> ReadNumberedList(const std::string& languageFile,
                                          std::string_view section);

// ChText/IDS_ChText<column> (at most 29 bytes); false when the key is missing or empty.
bool ReadColumnHeader(const std::string& languageFile, int column, std::string& text);

// ModelInfo/Freq0..Freq15 of setting.ini (at most 29 bytes each), until the first missing or
// empty key. When the file lists none (or cannot be read), the six band names the program ships
// with, in band-table order.
std::vector<std::string> ReadBandNames(const std::string& settingsFile);

// One *.lang file of the program directory as the Language dialog lists it.
struct LanguageFileEntry {
    std::string display; // Face/disp, "-----" when missing (at most 99 bytes)
    std::string path;    // full path
    std::string title;   // file name without ".lang"
};

// Every regular file "*.lang" in appDirectory, directories skipped, in file-name order; entries
// whose display text is empty are left out.
std::vector<LanguageFileEntry> ListLanguageFiles(const std::string& appDirectory);

// The same for several folders, in the given order: a file name already listed from an earlier
// folder is left out of the later ones (a user's file shadows the shipped one). Each folder's
// entries keep their file-name order.
std::vector<LanguageFileEntry> ListLanguageFiles(const std::vector<std::string>& folders);

// Index of the entry to preselect: the first whose display text begins with the display text of
// the file whose path equals currentLanguageFile without regard to case; -1 when none.
int PreselectedLanguage(const std::vector<LanguageFileEntry>& entries,
                        const std::string& currentLanguageFile);

// The first entry whose display text equals `selected` exactly (case-sensitive); -1 when none.
int MatchLanguage(const std::vector<LanguageFileEntry>& entries, const std::string& selected);

} // namespace orvik

#include "core/lang/LangCatalog.h"

#include "core/lang/LangKeys.h"
#include "core/lang/LangRules.h"

#include <sys/stat.h>
#include <utility>

namespace orvik {

namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

bool LangCatalog::Stamp::operator==(const Stamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && SameTime(modified, other.modified) &&
           SameTime(changed, other.changed);
}

LangCatalog::LangCatalog(std::string languageFile, std::string fallbackFile) {
    setFiles(std::move(languageFile), std::move(fallbackFile));
}

void LangCatalog::setFiles(std::string languageFile, std::string fallbackFile) {
    if (languageFile != language.path) {
        language = Source{};
        language.path = std::move(languageFile);
        // Another file is another failure to report.
        noticePending = false;
        languageFailed = false;
    }
    if (fallbackFile != fallback.path) {
        fallback = Source{};
        fallback.path = std::move(fallbackFile);
    }
}

bool LangCatalog::refresh(Source& source) {
    Stamp now;
    struct stat st {};
    if (!source.path.empty() && ::stat(source.path.c_str(), &st) == 0) {
        now.exists = true;
        now.device = st.st_dev;
        now.inode = st.st_ino;
        now.size = st.st_size;
        now.modified = st.st_mtim;
        now.changed = st.st_ctim;
    }
    if (source.loaded && now == source.stamp)
        return source.readable;
    source.loaded = true;
    source.stamp = now;
    source.readable = false;
    source.document = ini::Document();
    if (now.exists) {
        ++reads;
        if (auto document = ini::ReadDocument(source.path)) {
            source.document = std::move(*document);
            source.readable = true;
        }
    }
    return source.readable;
}

const ini::Document* LangCatalog::fallbackDocument() {
    // The chosen file is the fallback file itself: nothing else to ask.
    if (fallback.path.empty() || fallback.path == language.path)
        return nullptr;
    return refresh(fallback) ? &fallback.document : nullptr;
}

const ini::Document* LangCatalog::primary() {
    const bool readable = refresh(language);
    if (!readable && !languageFailed)
        noticePending = true;
    languageFailed = !readable;
    return readable ? &language.document : fallbackDocument();
}

const std::string* LangCatalog::lookup(std::string_view section, std::string_view key) {
    const ini::Document* chosen = primary();
    const std::string* value = chosen ? chosen->Value(section, key) : nullptr;
    if (!value && chosen == &language.document) {
        if (const ini::Document* other = fallbackDocument())
            value = other->Value(section, key);
    }
    return value;
}

std::string LangCatalog::text(std::string_view key) {
    const std::string* value = lookup(lang::StringSection, key);
    return lang::rules::ExpandEscapes(value ? ini::CutToBuffer(*value, lang::rules::StringBuffer)
                                            : lang::rules::NotFound);
}

std::string LangCatalog::resource(int id) {
    const std::string* value = lookup(lang::ResourceSection, std::to_string(id));
    return value ? ini::CutToBuffer(*value, lang::rules::ResourceBuffer) : std::string();
}

std::vector<std::string> LangCatalog::numberedList(std::string_view section) {
    return lang::rules::NumberedEntries(primary(), section, "%d", static_cast<std::size_t>(-1));
}

bool LangCatalog::columnHeader(int column, std::string& text) {
    const ini::Document* chosen = primary();
    const std::string* value =
        chosen ? chosen->Value(lang::ChTextSection,
                               lang::rules::Formatted(lang::ChTextKeyFormat, column))
               : nullptr;
    if (!value || value->empty())
        return false;
    text = ini::CutToBuffer(*value, lang::rules::ListEntryBuffer);
    return true;
}

bool LangCatalog::takeFallbackNotice(std::string& unreadableFile) {
    primary();
    if (!noticePending)
        return false;
    noticePending = false;
    unreadableFile = language.path;
    return true;
}

} // namespace orvik

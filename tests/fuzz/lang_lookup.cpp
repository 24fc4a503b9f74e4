// A language file of any content: every lookup of LangCatalog answers as the free functions of
// LangText.h do, and with a fallback file a key the language lacks comes from the fallback.

#include "common.h"
#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"
#include "core/profile/IniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace orvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string file = fuzz::ScratchDir() + "/input.lang";
    static const std::string english = ORVIK_SHIPPED_DATA_DIR "/english.lang";
    FuzzedDataProvider in(data, size);
    const std::string extraKey = in.ConsumeRandomLengthString(40);
    const std::string extraSection = in.ConsumeRandomLengthString(24);
    fuzz::WriteWholeFile(file, in.ConsumeRemainingBytesAsString());

    // A new catalog for each input: rewrites of one path within one clock tick may keep size
    // and time stamps, which the catalog takes for an unchanged file.
    LangCatalog alone(file, "");
    LangCatalog withEnglish(file, english);

    // A few keys every run, and (a bounded number of) the file's own: every free lookup reads
    // the whole file again.
    constexpr std::size_t MaxOwnKeys = 12;
    std::vector<std::string> keys = {lang::IDS_OFF, lang::IDS_WINDOWNAME, lang::Menu_File_New,
                                     lang::IDS_WARN_LANG_FILE, extraKey};
    for (const auto& entry : ini::ReadSection(file, lang::StringSection)) {
        if (keys.size() >= 5 + MaxOwnKeys)
            break;
        keys.push_back(entry.first);
    }
    for (const std::string& key : keys) {
        const std::string expected = LoadLangString(file, key);
        if (alone.text(key) != expected)
            fuzz::Fail("text() differs from LoadLangString");
        const bool own = ini::GetString(file, lang::StringSection, key, "a", 2) != "a" ||
                         ini::GetString(file, lang::StringSection, key, "b", 2) != "b";
        const std::string fromEnglish = own ? expected : LoadLangString(english, key);
        if (withEnglish.text(key) != fromEnglish)
            fuzz::Fail("a key was not taken from the language, or a missing one from English");
    }

    std::vector<int> ids = {101, 1021, 1};
    for (const auto& entry : ini::ReadSection(file, lang::ResourceSection)) {
        if (ids.size() >= 3 + MaxOwnKeys)
            break;
        ids.push_back(std::atoi(entry.first.c_str()));
    }
    for (int id : ids) {
        if (alone.resource(id) != ResourceText(file, id))
            fuzz::Fail("resource() differs from ResourceText");
    }

    for (const std::string& section :
         {std::string(lang::VoiceAnnunciationSection), std::string(lang::MonitorKeySection),
          std::string(lang::ScanModeSection), extraSection}) {
        if (alone.numberedList(section) != ReadNumberedList(file, section))
            fuzz::Fail("numberedList() differs from ReadNumberedList");
        if (withEnglish.numberedList(section) != ReadNumberedList(file, section))
            fuzz::Fail("a readable file's list came from the fallback");
    }
    for (int column = 0; column < lang::ChTextColumns; ++column) {
        std::string a = "-";
        std::string b = "-";
        if (alone.columnHeader(column, a) != ReadColumnHeader(file, column, b) || a != b)
            fuzz::Fail("columnHeader() differs from ReadColumnHeader");
    }
    if (alone.fileReads() != 1)
        fuzz::Fail("the catalog read the file more than once");
    return 0;
}

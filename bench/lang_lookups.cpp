// Times the text lookups one full refresh of the main window makes on the shipped English
// language file: about 300 LoadLangString, Resource, list and column-header reads, each of which
// reads the file again.

#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace orvik;

namespace {

// One refresh: returns the number of lookups made; `sink` keeps the results alive.
int Refresh(const std::string& langFile, const std::string& settingsFile, std::size_t& sink) {
    int lookups = 0;
    auto text = [&](const char* key) {
        sink += LoadLangString(langFile, key).size();
        ++lookups;
    };
    text(lang::IDS_WINDOWNAME);
    for (const char* key : lang::AllStringKeys) // menus and the texts the views look up
        text(key);
    for (int command : lang::ToolbarCommands) {
        char key[32];
        std::snprintf(key, sizeof key, lang::TipKeyFormat, command);
        text(key);
    }
    for (int id : lang::AllResourceIds) {
        sink += ResourceText(langFile, id).size();
        ++lookups;
    }
    for (const char* section :
         {lang::VoiceAnnunciationSection, lang::MonitorKeySection, lang::ScanModeSection}) {
        sink += ReadNumberedList(langFile, section).size();
        ++lookups;
    }
    sink += ReadNumberedList(langFile, lang::MonitorKeySection).size(); // side key 2
    sink += ReadBandNames(settingsFile).size();
    lookups += 2;
    std::string header;
    for (int column = 0; column < lang::ChTextColumns; ++column) {
        sink += ReadColumnHeader(langFile, column, header) ? header.size() : 0;
        ++lookups;
    }
    // Menus are relabelled by the language refresh and again by the view.
    for (const char* key :
         {lang::Menu_File, lang::Menu_Program, lang::Menu_Setting, lang::Menu_Help,
          lang::Menu_File_New, lang::Menu_File_Open, lang::Menu_File_Save, lang::Menu_File_Save_As,
          lang::Menu_File_Print, lang::Menu_File_Print_Preview, lang::Menu_File_Print_Setup,
          lang::Menu_App_Exit, lang::Menu_Program_ReadData, lang::Menu_Program_WriteData,
          lang::Menu_Setting_Port, lang::Menu_Setting_Language, lang::Menu_Help_Help,
          lang::Menu_App_About})
        text(key);
    // Option lists of the in-place editor and the check-box texts of the printed block.
    for (const char* key : {lang::IDS_YES, lang::IDS_NO, lang::IDS_WIDE, lang::IDS_NARROW,
                            lang::IDS_LOW, lang::IDS_HIGH, lang::IDS_YES, lang::IDS_NO,
                            lang::IDS_YES, lang::IDS_NO, lang::IDS_YES, lang::IDS_NO})
        text(key);
    text(lang::IDS_OFF); // time-out list
    text(lang::IDS_OFF); // tone list
    // Channel table: 16 rows of two tone cells and five option cells.
    for (int row = 0; row < 16; ++row) {
        for (const char* key : {lang::IDS_OFF, lang::IDS_OFF, lang::IDS_YES, lang::IDS_WIDE,
                                lang::IDS_HIGH, lang::IDS_NO, lang::IDS_NO})
            text(key);
    }
    return lookups;
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ORVIK_SHIPPED_DATA_DIR;
    const std::string langFile = dir + "/english.lang";
    const std::string settingsFile = dir + "/setting.ini";
    constexpr int Rounds = 30;

    std::size_t sink = 0;
    int lookups = Refresh(langFile, settingsFile, sink); // warm the page cache
    std::vector<double> times;
    for (int i = 0; i < Rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        lookups = Refresh(langFile, settingsFile, sink);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("lang lookups: %d reads of %s per refresh; median %.2f ms (%.1f us per read, "
                "%.2f ms per 300 reads), min %.2f ms, max %.2f ms over %d refreshes "
                "(checksum %zu)\n",
                lookups, langFile.c_str(), median, 1000.0 * median / lookups,
                300.0 * median / lookups, times.front(), times.back(), Rounds, sink);
    return 0;
}

// Times the text lookups one full refresh of the main window makes on the shipped English
// language file: about 300 String, Resource, list and column-header lookups, once through the
// free functions (each reads the file again) and once through the catalog the window uses
// (one read, then a stat per lookup).

#include "core/lang/LangCatalog.h"
#include "core/lang/LangKeys.h"
#include "core/lang/LangText.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace orvik;

namespace {

// The lookups through the free functions: every one reads the file.
struct FileLookups {
    std::string langFile;
    std::string text(const char* key) { return LoadLangString(langFile, key); }
    std::string resource(int id) { return ResourceText(langFile, id); }
    std::vector<std::string> list(const char* section) {
        return ReadNumberedList(langFile, section);
    }
    bool header(int column, std::string& text) { return ReadColumnHeader(langFile, column, text); }
};

// The same through a catalog.
struct CatalogLookups {
    LangCatalog catalog;
    std::string text(const char* key) { return catalog.text(key); }
    std::string resource(int id) { return catalog.resource(id); }
    std::vector<std::string> list(const char* section) { return catalog.numberedList(section); }
    bool header(int column, std::string& text) { return catalog.columnHeader(column, text); }
};

// One refresh: returns the number of lookups made; `sink` keeps the results alive.
template <typename Lookups>
int Refresh(Lookups& source, const std::string& settingsFile, std::size_t& sink) {
    int lookups = 0;
    auto text = [&](const char* key) {
        sink += source.text(key).size();
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
        sink += source.resource(id).size();
        ++lookups;
    }
    for (const char* section :
         {lang::VoiceAnnunciationSection, lang::MonitorKeySection, lang::ScanModeSection}) {
        sink += source.list(section).size();
        ++lookups;
    }
    sink += source.list(lang::MonitorKeySection).size(); // side key 2
    sink += ReadBandNames(settingsFile).size();
    lookups += 2;
    std::string header;
    for (int column = 0; column < lang::ChTextColumns; ++column) {
        sink += source.header(column, header) ? header.size() : 0;
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

template <typename Lookups>
void Time(const char* name, Lookups& source, const std::string& settingsFile) {
    constexpr int Rounds = 30;
    std::size_t sink = 0;
    int lookups = Refresh(source, settingsFile, sink); // warm the page cache
    std::vector<double> times;
    for (int i = 0; i < Rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        lookups = Refresh(source, settingsFile, sink);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-8s %d lookups per refresh; median %.3f ms (%.2f us per lookup), min %.3f ms, "
                "max %.3f ms over %d refreshes (checksum %zu)\n",
                name, lookups, median, 1000.0 * median / lookups, times.front(), times.back(),
                Rounds, sink);
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ORVIK_SHIPPED_DATA_DIR;
    const std::string langFile = dir + "/english.lang";
    const std::string settingsFile = dir + "/setting.ini";
    std::printf("text lookups of one full refresh on %s\n", langFile.c_str());
    FileLookups files{langFile};
    Time("files", files, settingsFile);
    CatalogLookups catalog;
    catalog.catalog.setFiles(langFile, langFile);
    Time("catalog", catalog, settingsFile);
    return 0;
}

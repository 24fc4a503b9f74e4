#pragma once
// A temporary program directory with a setting.ini, removed at the end of the test.

#include "core/profile/IniFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvik::test {

class TempSettings {
public:
    explicit TempSettings(const std::string& content) {
        char tmpl[] = "/tmp/orvik-link-XXXXXX";
        dir = mkdtemp(tmpl);
        path = dir + "/setting.ini";
        std::ofstream(path) << content;
    }
    ~TempSettings() { std::filesystem::remove_all(dir); }
    int Com() const { return ini::GetInt(path, "setup", "com", -99); }
    std::string dir;
    std::string path;
};

} // namespace orvik::test

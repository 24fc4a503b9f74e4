#pragma once
// What `orvik-cli show` prints, as text or JSON, built apart from the printing so that other
// callers (the fuzz target among them) format a data file the same way.

#include "core/lang/LangCatalog.h"
#include "core/model/EditRules.h"
#include "core/model/RadioImage.h"

#include <string>
#include <vector>

namespace orvik::cli {

// The band, the settings and the 16-channel table under the file's path, one line each.
std::string ShowText(LangCatalog& texts, const std::vector<std::string>& bandNames,
                     const std::string& path, const RadioImage& image);

// Rows as left-aligned columns two spaces apart (wide characters count two), trailing blanks
// cut, one line each.
std::string FormatTable(const std::vector<std::vector<std::string>>& rows);

// The same as one JSON object (a published interface: fields are added, never renamed).
std::string ShowJson(const RadioImage& image);

} // namespace orvik::cli

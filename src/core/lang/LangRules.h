#pragma once
// Rules the free lookups of LangText.h and LangCatalog share: buffer sizes, the escapes of
// String texts and the numbered lists.

#include "core/profile/IniFile.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvik::lang::rules {

// Buffer sizes of the lookups, terminator included.
inline constexpr std::size_t StringBuffer = 1000;
inline constexpr std::size_t ResourceBuffer = 1024;
inline constexpr std::size_t ListEntryBuffer = 30;
inline constexpr const char* NotFound = "Not Found";

// Every "\n" becomes a line break, afterwards every "\t" a tab.
std::string ExpandEscapes(std::string text);

// `format` with its "%d" replaced by n.
std::string Formatted(const char* format, int n);

// The values of keys keyFormat(0), keyFormat(1), ... of a section, each cut to a list entry, up
// to the first missing or empty one and at most maxEntries; empty for a null document.
std::vector<std::string> NumberedEntries(const ini::Document* document, std::string_view section,
                                         const char* keyFormat, std::size_t maxEntries);

} // namespace orvik::lang::rules

#pragma once
// The one JSON writer of the machine-readable outputs (orvik-cli --json, the several-radio
// report, the connection check), on nlohmann-json. Objects keep their fields in the order they
// were added: the order the outputs publish.

#include <nlohmann/json.hpp>

#include <string>

namespace orvik {

using Json = nlohmann::ordered_json;

// The compact text of a value, without blanks. UTF-8 text passes through as it is (a byte that
// is no UTF-8 becomes U+FFFD, so the text stays valid JSON); quote and backslash are escaped,
// and every control character is written as \u00XX.
std::string JsonText(const Json& value);

} // namespace orvik

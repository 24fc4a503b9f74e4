#pragma once
// The one way a text of the language files gets its values: "%1" to "%9" name a value by its
// number; "%s" and "%d" take the values in turn. One pass over the text, so a value that itself
// holds "%1" or "%s" stays as it is. A placeholder without a value is left as written.

#include <string>
#include <string_view>
#include <vector>

namespace orvik {

std::string FillText(std::string_view pattern, const std::vector<std::string>& values);

} // namespace orvik

#pragma once
// Text from a file or a device, made safe to print: a terminal must not take any of it as a
// command (an escape sequence sets the window title or clears the screen), and a NUL must not
// end it early.

#include <string>
#include <string_view>

namespace orvik {

// `text` with every C0 control character but tab, DEL, every C1 control character (U+0080 to
// U+009F) and every byte that is not part of valid UTF-8 written as a visible escape: "\x1b",
// "\x00", "\x9b". Valid UTF-8 and tab stay as they are.
std::string PrintableText(std::string_view text);

// The same for a text of several lines: each line made printable, the line breaks kept.
std::string PrintableLines(std::string_view text);

} // namespace orvik

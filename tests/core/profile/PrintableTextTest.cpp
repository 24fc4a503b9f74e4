#include "core/profile/PrintableText.h"

#include <gtest/gtest.h>

using namespace orvik;

// Escape sequences, other controls, C1 controls and bytes that are not UTF-8 become visible;
// tab and every valid character stay; a NUL does not end the text.
TEST(PrintableText, ControlsAndInvalidBytesBecomeVisibleEscapes) {
    EXPECT_EQ(PrintableText("Rep\x1b]0;pwned\x07 ok"), "Rep\\x1b]0;pwned\\x07 ok");
    EXPECT_EQ(PrintableText("a\tb\nc\rd\x7f"), "a\tb\\x0ac\\x0dd\\x7f");
    EXPECT_EQ(PrintableText(std::string("be\0fore", 7)), "be\\x00fore");
    EXPECT_EQ(PrintableText("\xc2\x9b"
                            "2J \xc2\xa0"),
              "\\x9b2J \xc2\xa0");                               // C1 CSI; NBSP kept
    EXPECT_EQ(PrintableText("caf\xe9 \x9b"), "caf\\xe9 \\x9b");  // Windows-1252
    EXPECT_EQ(PrintableText("\xed\xa0\x80"), "\\xed\\xa0\\x80"); // a surrogate
    EXPECT_EQ(PrintableText("\xe4\xb8\xad\xf0\x9f\x93\xbb"), "\xe4\xb8\xad\xf0\x9f\x93\xbb");
    EXPECT_EQ(PrintableText("\xe4\xb8"), "\\xe4\\xb8"); // cut short
}

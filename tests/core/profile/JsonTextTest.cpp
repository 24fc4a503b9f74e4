// The JSON writer of the machine-readable outputs: compact, field order kept, every text read
// back as it was written, control characters as \u00XX, and bytes that are no UTF-8 replaced
// rather than thrown on.

#include "core/profile/JsonText.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvik;

namespace {

TEST(JsonText, EveryAsciiCharacterReadsBackAsWritten) {
    std::string all;
    for (int c = 0; c < 0x80; ++c)
        all += static_cast<char>(c);
    for (const std::string& text :
         {all, std::string("a\\nb\\\\\"\\u0041"), std::string("频率 é")}) {
        const std::string json = JsonText(Json{{"text", text}});
        EXPECT_EQ(Json::parse(json)["text"].get<std::string>(), text) << json;
        for (const char c : json)
            EXPECT_GE(static_cast<unsigned char>(c), 0x20) << json;
    }
}

TEST(JsonText, KeepsTheFormOfThePublishedOutputs) {
    const Json value = {{"z", 1},
                        {"a", Json::array({-2, 3})},
                        {"none", Json()},
                        {"yes", true},
                        {"text", "tab\tline\nquote\"back\\bell\x07 é"},
                        {"empty", Json::object()}};
    EXPECT_EQ(JsonText(value), "{\"z\":1,\"a\":[-2,3],\"none\":null,\"yes\":true,"
                               "\"text\":\"tab\\u0009line\\u000aquote\\\"back\\\\bell\\u0007 é\","
                               "\"empty\":{}}");
}

TEST(JsonText, BytesThatAreNoUtf8BecomeTheReplacementCharacter) {
    const std::string json = JsonText(Json{{"path", "/tmp/a\xff\xc3-\xe9.735"}});
    EXPECT_EQ(json, "{\"path\":\"/tmp/a\xef\xbf\xbd\xef\xbf\xbd-\xef\xbf\xbd.735\"}");
    EXPECT_NO_THROW(Json::parse(json));
}

} // namespace

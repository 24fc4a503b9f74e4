#include "core/csv/Csv.h"

#include <gtest/gtest.h>

using namespace orvik;

namespace {

using Fields = std::vector<std::string>;

} // namespace

TEST(Csv, FieldsAreQuotedOnlyWhereNeeded) {
    EXPECT_EQ(csv::Line({"1", "", "446.006250", "a b"}), "1,,446.006250,a b\r\n");
    EXPECT_EQ(csv::Line({"a,b", "say \"hi\"", "two\nlines", "cr\r"}),
              "\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\"\r\n");
}

TEST(Csv, WrittenLinesReadBackToTheSameFields) {
    const std::vector<Fields> rows = {
        {"Location", "Name", "Comment"},       {"1", "", "x"},
        {"a,b", "\"q\"", "line\r\nbreak"},     {"", "", ""},
        {"#not a comment", " spaced ", "é中"},
    };
    std::string text;
    for (const Fields& r : rows)
        text += csv::Line(r);
    const auto records = csv::Parse(text);
    ASSERT_EQ(records.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(records[i].fields, rows[i]) << i;
        EXPECT_FALSE(records[i].open);
    }
    EXPECT_EQ(records[3].line, 5); // the quoted line break counts as a physical line
    EXPECT_EQ(records[4].line, 6);
    EXPECT_EQ(csv::Line({"#x", "y"}), "\"#x\",y\r\n");
    // Found by fuzzing: a first field starting with the bytes of a byte-order mark lost them.
    for (const Fields& alone : {Fields{"\xEF\xBB\xBF"}, Fields{"\xEF\xBB\xBFx", "y"}}) {
        const auto back = csv::Parse(csv::Line(alone));
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].fields, alone);
    }
}

TEST(Csv, ReaderCases) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::pair<int, Fields>> records; // line, fields
    };
    const Case cases[] = {
        {"bom and lf",
         "\xEF\xBB\xBF"
         "A,B\n1,2\n",
         {{1, {"A", "B"}}, {2, {"1", "2"}}}},
        {"lone cr", "A,B\r1,2\r", {{1, {"A", "B"}}, {2, {"1", "2"}}}},
        {"no final line end", "A,B\r\n1,2", {{1, {"A", "B"}}, {2, {"1", "2"}}}},
        {"comments and empty lines",
         "# made by hand\r\n\r\nA,B\r\n#1,2\r\n\n3,4\r\n",
         {{3, {"A", "B"}}, {6, {"3", "4"}}}},
        {"quoted header names", "\"Location\",\"Frequency\"\n", {{1, {"Location", "Frequency"}}}},
        {"trailing comma", "1,\n", {{1, {"1", ""}}}},
        {"quote inside an unquoted field", "5\"x,y\n", {{1, {"5\"x", "y"}}}},
        {"text after a closing quote", "\"ab\"cd,e\n", {{1, {"abcd", "e"}}}},
        {"hash inside a record", "1,#2\n", {{1, {"1", "#2"}}}},
        {"empty quoted field", "\"\",x\n", {{1, {"", "x"}}}},
    };
    for (const Case& c : cases) {
        const auto records = csv::Parse(c.text);
        ASSERT_EQ(records.size(), c.records.size()) << c.name;
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].line, c.records[i].first) << c.name;
            EXPECT_EQ(records[i].fields, c.records[i].second) << c.name;
            EXPECT_FALSE(records[i].open) << c.name;
        }
    }
}

TEST(Csv, UnclosedQuoteRunsToTheEndAndIsMarked) {
    const auto records = csv::Parse("A,B\n1,\"open\n2,3\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_FALSE(records[0].open);
    EXPECT_TRUE(records[1].open);
    EXPECT_EQ(records[1].line, 2);
    EXPECT_EQ(records[1].fields, (Fields{"1", "open\n2,3\n"}));
}

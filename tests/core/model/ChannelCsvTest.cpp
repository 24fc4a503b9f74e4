#include "core/model/ChannelCsv.h"

#include "core/lang/LangCatalog.h"
#include "core/model/Codecs.h"
#include "core/model/EditRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace orvik;

namespace {

// A default image on band position 4 (136 to 470 MHz) or another position.
struct Doc {
    explicit Doc(int band = 4) { image.selectBand(band, limits); }
    RadioImage image;
    FrequencyLimits limits{};

    // A channel as a user types it into the table.
    void set(int n, const char* rx, const char* tx, const char* rxTone, const char* txTone,
             std::uint8_t flagBits = 0xEB) {
        CommitFrequency(image, limits, n, true, rx);
        CommitFrequency(image, limits, n, false, tx);
        CommitTone(image, n, true, rxTone, "");
        CommitTone(image, n, false, txTone, "");
        image.setChannelFlags(n, flagBits);
    }
};

std::string english(std::string_view key) {
    static LangCatalog catalog(std::string(ORVIK_SHIPPED_DATA_DIR) + "/english.lang",
                               std::string(ORVIK_SHIPPED_DATA_DIR) + "/english.lang");
    return catalog.text(key);
}

std::vector<std::string> reportLines(const CsvImportResult& r) {
    std::vector<std::string> lines;
    for (const CsvImportNote& note : r.notes)
        lines.push_back(CsvNoteText(note, english));
    return lines;
}

const std::string Header = "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,"
                           "DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,"
                           "Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE";

} // namespace

TEST(ChannelCsv, ExportWritesTheGenericLayout) {
    Doc d;
    // Flags: bit 0 busy lock-out off, 1 scrambler off, 2 narrow, 3 high power, 4 scan add off.
    d.set(1, "446.00625", "446.00625", "67.0", "67.0", 0xEB);
    d.set(2, "145.5", "146.1", "", "88.5", 0xE4 | 0x10);
    d.set(3, "145.5", "435", "D023N", "D023I");
    d.set(4, "435.0125", "", "D754I", "");
    d.set(5, "145.6", "145", "100.0", "D047N", 0xE8);
    d.set(6, "438.5", "431.1", "", "");
    const std::string expected =
        Header + ",BusyLock,Scrambler\r\n"
                 "1,,446.006250,,0.000000,TSQL,88.5,67.0,023,NN,023,Tone->Tone,FM,6.25,,5.0W,,,,,,"
                 "no,no\r\n"
                 "2,,145.500000,+,0.600000,Tone,88.5,88.5,023,NN,023,Tone->Tone,NFM,12.50,S,1.0W,,"
                 ",,,,yes,yes\r\n"
                 "3,,145.500000,split,435.000000,DTCS,88.5,88.5,023,RN,023,Tone->Tone,FM,12.50,,5."
                 "0W,,,,,,no,no\r\n"
                 "4,,435.012500,off,0.000000,Cross,88.5,88.5,023,NR,754,->DTCS,FM,12.50,,5.0W,,,,,"
                 ",no,no\r\n"
                 "5,,145.600000,-,0.600000,Cross,88.5,100.0,047,NN,023,DTCS->Tone,FM,12.50,,5.0W,,,"
                 ",,,yes,yes\r\n"
                 "6,,438.500000,-,7.400000,,88.5,88.5,023,NN,023,Tone->Tone,FM,12.50,,5.0W,,,,,,no,"
                 "no\r\n";
    EXPECT_EQ(ExportChannelsCsv(d.image, false), expected);
    const std::string standard = ExportChannelsCsv(d.image, true);
    EXPECT_EQ(standard.substr(0, standard.find("\r\n")), Header);
    EXPECT_NE(standard.find("\r\n1,,446.006250,,0.000000,TSQL,88.5,67.0,023,NN,023,Tone->Tone,FM,"
                            "6.25,,5.0W,,,,,\r\n2,"),
              std::string::npos);
}

TEST(ChannelCsv, EveryKindOfChannelComesBackByteForByte) {
    const char* tones[] = {"", "67.0", "254.1", "D023N", "D023I", "D754N", "D754I"};
    struct Freqs {
        const char* rx;
        const char* tx;
    };
    const Freqs freqs[] = {
        {"446.00625", "446.00625"}, {"145.5", "146.1"},      {"145.5", "144.9"},
        {"145.5", "435"},           {"435.0125", ""},        {"470", "400"},
        {"136", "206.00125"},       {"145.0075", "145.015"},
    };
    // Every pair of tones over every frequency case, cycling through all flag combinations.
    int combination = 0;
    int channelsDone = 0;
    Doc source;
    for (const char* rxTone : tones) {
        for (const char* txTone : tones) {
            for (const Freqs& f : freqs) {
                const int n = channelsDone % ChannelCount + 1;
                const auto flags = static_cast<std::uint8_t>(0xE0 | (combination++ % 32));
                source.set(n, f.rx, f.tx, rxTone, txTone, flags);
                ++channelsDone;
                if (n != ChannelCount)
                    continue;
                for (bool replaceAll : {false, true}) {
                    Doc target;
                    const CsvImportResult r = ImportChannelsCsv(
                        target.image, target.limits, ExportChannelsCsv(source.image, false),
                        {false, replaceAll});
                    ASSERT_TRUE(r.usable);
                    EXPECT_EQ(reportLines(r), std::vector<std::string>{});
                    ASSERT_TRUE(r.image == source.image)
                        << rxTone << " / " << txTone << " " << f.rx << " " << f.tx << "\n"
                        << ExportChannelsCsv(r.image, false) << "\n"
                        << ExportChannelsCsv(source.image, false);
                }
            }
        }
    }
    // A transmit tone stored on a channel without a transmit frequency is kept as well.
    Doc odd;
    odd.set(1, "145.5", "", "", "");
    odd.image.setTxTone(1, TextToTone("D125I"));
    Doc target;
    EXPECT_TRUE(
        ImportChannelsCsv(target.image, target.limits, ExportChannelsCsv(odd.image, false), {})
            .image == odd.image);
}

TEST(ChannelCsv, ImportReportsEveryRowItCannotTakeAsIs) {
    struct Case {
        const char* name;
        std::string text;
        CsvImportOptions options;
        std::vector<std::string> report;
        std::vector<int> imported;
        int skipped;
    };
    const Case cases[] = {
        {"any column order, quoted names, BOM, comments",
         "\xEF\xBB\xBF# exported by hand\r\n\"Frequency\",Tone,\"Location\",rToneFreq\r\n"
         "\r\n145.5,Tone,3,100.0\n",
         {},
         {},
         {3},
         0},
        {"short rows, junk values, frequency 0",
         "Location,Frequency,Duplex,Offset,Power\n1,145.5,,,5W\n2,145.5\n3,abc,,,\n"
         "4,145.5,+,x,\n5,0,,,\n6,145.5,,,lots\n7,145.5,sideways,,\n",
         {},
         {"Line 3: the row has fewer fields than the header; row skipped.",
          "Line 4: Frequency value 'abc' cannot be read; row skipped.",
          "Line 5: Offset value 'x' cannot be read; row skipped.",
          "Line 6: frequency 0 (an empty memory); row skipped.",
          "Line 7: Power value 'lots' cannot be read; row skipped.",
          "Line 8: Duplex value 'sideways' cannot be read; row skipped."},
         {1},
         6},
        {"locations out of range and duplicates",
         "Location,Frequency\n0,145.5\n17,145.5\n2,145.5\n2,146\nx,146\n",
         {},
         {"Line 2: location '0' is not a channel 1 to 16; row skipped.",
          "Line 3: location '17' is not a channel 1 to 16; row skipped.",
          "Line 5, channel 2: the channel is already set by line 4; row ignored.",
          "Line 6: Location value 'x' cannot be read; row skipped."},
         {2},
         4},
        {"renumbering fills channels in file order",
         "Location,Frequency\n" +
             [] {
                 std::string rows;
                 for (int i = 0; i < 17; ++i)
                     rows += "99," + std::to_string(140 + i) + "\n";
                 return rows;
             }(),
         {true, false},
         {"Line 18: all 16 channels are already taken; row skipped."},
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         1},
        {"frequencies off the raster or the band",
         "Location,Frequency,Duplex,Offset\n1,145.0031,,\n2,500,,\n3,145.5,split,600\n"
         "4,145.5,-,20\n",
         {},
         {"Line 2, channel 1: receive frequency 145.003100 moved to the channel raster: "
          "145.005000.",
          "Line 3, channel 2: receive frequency 500.000000 is outside the band; set to 470.000000.",
          "Line 4, channel 3: transmit frequency 600.000000 is outside the band; set to "
          "470.000000.",
          "Line 5, channel 4: transmit frequency 125.500000 is outside the band; set to "
          "136.000000."},
         {1, 2, 3, 4},
         0},
        {"tones and modes the radio cannot hold",
         "Location,Frequency,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,"
         "CrossMode,Mode,Power,Skip,Name,Comment\n"
         "1,145.5,Tone,69.4,,023,NN,023,,FM,5.0W,,,\n"
         "2,145.5,DTCS,,,017,RR,023,,FM,5.0W,,,\n"
         "3,145.5,TSQL-R,88.5,88.5,023,NN,023,,FM,5.0W,,,\n"
         "4,145.5,Cross,88.5,88.5,023,NN,023,Tone->Blink,AM,2.5W,P,Home,\"x, y\"\n"
         "5,145.5,Cross,88.5,91.5,023,NR,031,->DTCS,NFM,0.5W,S,,\n"
         "6,145.5,Cross,88.5,88.5,023,NN,023,Tone->,FM,4W,,,\n",
         {},
         {"Line 2, channel 1: CTCSS tone 69.4 is not in the radio's tone list; left off.",
          "Line 3, channel 2: DCS code 017 is not in the radio's code list; left off.",
          "Line 4, channel 3: tone mode 'TSQL-R' cannot be set on this radio; tones left off.",
          "Line 5, channel 4: tone mode 'Cross Tone->Blink' cannot be set on this radio; tones "
          "left off.",
          "Line 5, channel 4: mode 'AM' cannot be set on this radio; Wide used.",
          "Line 5, channel 4: power '2.5W' set to the nearest level: Low.",
          "Line 5, channel 4: skip 'P' cannot be set on this radio; the channel stays in the "
          "scan.",
          "Line 5, channel 4: the name 'Home' cannot be stored in the radio.",
          "Line 5, channel 4: the comment 'x, y' cannot be stored in the radio.",
          "Line 6, channel 5: power '0.5W' set to the nearest level: Low.",
          "Line 7, channel 6: power '4W' set to the nearest level: High."},
         {1, 2, 3, 4, 5, 6},
         0},
        {"a quote that is never closed",
         "Location,Frequency,Name\n1,145.5,\"open\n2,146,x\n",
         {},
         {"Line 2: a quoted field is not closed before the end of the file; row skipped."},
         {},
         1},
    };
    for (const Case& c : cases) {
        Doc d;
        const CsvImportResult r = ImportChannelsCsv(d.image, d.limits, c.text, c.options);
        EXPECT_TRUE(r.usable) << c.name;
        EXPECT_EQ(reportLines(r), c.report) << c.name;
        EXPECT_EQ(r.imported, c.imported) << c.name;
        EXPECT_EQ(r.skipped, c.skipped) << c.name;
        // Every data row is counted: it set a channel or it was skipped.
        EXPECT_EQ(r.rows, r.skipped + static_cast<int>(r.imported.size())) << c.name;
    }
}

TEST(ChannelCsv, ImportedChannelsAreWhatTheTableWouldStore) {
    Doc d;
    d.set(9, "440", "440", "", "");
    const CsvImportResult r = ImportChannelsCsv(
        d.image, d.limits,
        "Location,Frequency,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,"
        "Mode,Power,Skip,BusyLock,Scrambler\n"
        "1,145.5,Cross,88.5,91.5,023,NR,031,->DTCS,NFM,0.5W,S,yes,no\n"
        "2,146.0,Cross,88.5,91.5,047,RN,031,DTCS->,FM,,,,\n"
        "3,146.0,TSQL,,91.5,,,,,,,,,\n",
        {});
    auto cell = [&](int n, int col) {
        return channelCellText(r.image, n, col,
                               {"Off", "Yes", "No", "Wide", "Narrow", "High", "Low"});
    };
    const std::vector<std::vector<std::string>> rows = {
        {"145.50000", "D031I", "145.50000", "Off", "No", "Narrow", "Low", "Yes", "No"},
        {"146.00000", "Off", "146.00000", "D047I", "Yes", "Wide", "High", "No", "No"},
        {"146.00000", "91.5", "146.00000", "91.5", "Yes", "Wide", "High", "No", "No"},
    };
    for (int n = 1; n <= 3; ++n)
        for (int col = 1; col <= 9; ++col)
            EXPECT_EQ(cell(n, col),
                      rows[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(col - 1)])
                << n << "/" << col;
    EXPECT_EQ(r.changed, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(r.image.isRxEmpty(9)); // channels not in the file stay

    const CsvImportResult all =
        ImportChannelsCsv(d.image, d.limits, "Location,Frequency\n1,145.5\n", {false, true});
    EXPECT_TRUE(all.image.isRxEmpty(9));
    EXPECT_EQ(all.cleared, std::vector<int>{9});
    EXPECT_EQ(all.changed, (std::vector<int>{1, 9}));
}

TEST(ChannelCsv, FileWithoutLocationOrFrequencyIsNotUsable) {
    for (const char* text : {"", "# nothing\n", "Name,Frequency\nx,145\n", "Location\n1\n"}) {
        Doc d;
        const CsvImportResult r = ImportChannelsCsv(d.image, d.limits, text, {});
        EXPECT_FALSE(r.usable) << text;
        EXPECT_TRUE(r.image == d.image);
        ASSERT_EQ(r.notes.size(), 1u);
        EXPECT_EQ(CsvNoteText(r.notes[0], english).substr(0, 36),
                  "The file has no header line with the");
    }
}

TEST(ChannelClipboard, RowsGoFromTheFirstChannelDownAndComeBackAlike) {
    Doc from;
    from.set(2, "145.5", "145.5", "88.5", "88.5", 0xEB);
    from.set(3, "440.1", "445.1", "D023N", "D754I", 0xE0);
    from.set(9, "150", "150", "", "", 0xEB);
    const std::string text = ChannelsClipboardText(from.image, {2, 3, 4});
    EXPECT_EQ(text.find(','), std::string::npos);             // tabs only
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3); // header, 2 and 3 (4 is empty)

    Doc to;
    CsvImportOptions options;
    options.separator = '\t';
    options.renumber = true;
    options.firstChannel = 15;
    const CsvImportResult r = ImportChannelsCsv(to.image, to.limits, text, options);
    ASSERT_TRUE(r.usable);
    EXPECT_EQ(r.imported, (std::vector<int>{15, 16}));
    EXPECT_TRUE(r.notes.empty());
    // Every cell of the table alike (bits the table does not show are not carried).
    auto same = [](const RadioImage& a, int n, const RadioImage& b, int m) {
        const CellTexts t{"Off", "Yes", "No", "Wide", "Narrow", "High", "Low"};
        for (int c = 1; c < ChannelColumnCount; ++c)
            if (channelCellText(a, n, c, t) != channelCellText(b, m, c, t))
                return false;
        return true;
    };
    EXPECT_TRUE(same(r.image, 15, from.image, 2));
    EXPECT_TRUE(same(r.image, 16, from.image, 3));

    // A block that runs past channel 16 or needs adjusting is noted, not dropped silently.
    options.firstChannel = 16;
    Doc narrow(2); // 400-470 MHz: 145.5 is clamped
    const CsvImportResult r2 = ImportChannelsCsv(narrow.image, narrow.limits, text, options);
    ASSERT_EQ(r2.notes.size(), 2u);
    EXPECT_EQ(r2.notes[0].what, CsvNote::RxClamped);
    EXPECT_EQ(r2.notes[1].what, CsvNote::NoChannelLeft);
}

// The notes repeat the file's text: escape sequences and other controls show as visible
// escapes (tab kept), a NUL does not cut the note, bytes that are not UTF-8 show by value. A
// frequency that rounds to nothing is no usable value: noted and counted, never dropped.
TEST(ChannelCsv, NotesShowTheFilesTextSafelyAndNoRowIsDroppedSilently) {
    Doc d;
    const std::string text = "Location,Name,Frequency,Comment\n"
                             "1,Evil\x1b]0;pwned\x07\tName,446.00625,\n" +
                             std::string("2,Two,446.1,com\0ment\n", 22) + "3,caf\xe9,0.0000001,\n";
    const CsvImportResult r = ImportChannelsCsv(d.image, d.limits, text, {});
    EXPECT_EQ(r.rows, 3);
    EXPECT_EQ(r.skipped, 1);
    const std::vector<std::string> lines = reportLines(r);
    const auto has = [&lines](const std::string& part) {
        return std::any_of(lines.begin(), lines.end(), [&part](const std::string& line) {
            return line.find(part) != std::string::npos;
        });
    };
    EXPECT_TRUE(has("'Evil\\x1b]0;pwned\\x07\tName'"));
    EXPECT_TRUE(has("'com\\x00ment'"));
    EXPECT_TRUE(has("0.0000001"));
    for (const std::string& line : lines)
        EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
    EXPECT_TRUE(std::none_of(r.notes.begin(), r.notes.end(), [](const CsvImportNote& n) {
        return n.what == CsvNote::Name && n.value.find("caf") != std::string::npos;
    })); // the row was not imported, so its name is not noted
}

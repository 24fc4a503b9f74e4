#include "core/model/TextForm.h"

#include "core/model/Codecs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace orvik {
namespace {

const std::vector<std::string> Bands = {"470-490MHz (UHF)",     "490-512MHz (UHF)",
                                        "400-470MHz (UHF)",     "136-174MHz (VHF)",
                                        "136-470MHz (VHF/UHF)", "136-470MHz (wide)"};

// dump, then apply --replace onto an unrelated document.
RadioImage roundTrip(const RadioImage& image, std::string* text = nullptr,
                     std::vector<TextNote>* notes = nullptr) {
    const std::string yaml = WriteTextForm(image, Bands, "test");
    if (text)
        *text = yaml;
    TextPlan plan;
    TextFormError error;
    EXPECT_TRUE(ReadTextForm(yaml, Bands, plan, error)) << error.what << "\n" << yaml;
    RadioDocument doc;
    doc.commitCell(1, ColRxFreq, "446.00625", {});
    const TextApplyResult r = ApplyTextForm(doc, plan, true);
    EXPECT_TRUE(r.ok) << r.error.what;
    if (notes)
        *notes = r.notes;
    else
        EXPECT_TRUE(r.notes.empty()) << yaml;
    return doc.image();
}

RadioImage imageOfBytes(const std::string& bytes, std::size_t from) {
    RadioImage image;
    for (std::size_t i = 0; i < RadioImage::Size && from + i < bytes.size(); ++i)
        image[i] = static_cast<std::uint8_t>(bytes[from + i]);
    return image;
}

// Every image the tests hold (the data files' images, and their first 4096 bytes taken as an
// image too), whole-byte fills, every band, and random images: byte for byte, no adjustment.
TEST(TextForm, RoundTripsEveryImageExactly) {
    std::vector<std::pair<std::string, RadioImage>> images;
    const std::filesystem::path tests = std::filesystem::path(ORVIK_TEST_DATA_DIR).parent_path();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tests)) {
        if (entry.path().extension() != ".735")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        images.emplace_back(entry.path().string(), imageOfBytes(bytes, 48));
        images.emplace_back(entry.path().string() + " from 0", imageOfBytes(bytes, 0));
    }
    ASSERT_GE(images.size(), 20u);
    for (int fill : {0x00, 0xFF, 0x99, 0x80, 0x55}) {
        RadioImage image;
        for (std::size_t i = 0; i < RadioImage::Size; ++i)
            image[i] = static_cast<std::uint8_t>(fill);
        images.emplace_back("fill " + std::to_string(fill), image);
    }
    for (int position = 0; position < 6; ++position) {
        RadioDocument doc;
        doc.setBand(position);
        images.emplace_back("band " + std::to_string(position), doc.image());
    }
    std::mt19937 random(735);
    for (int k = 0; k < 300; ++k) {
        // Random bytes, and a valid image whose fields are then changed at random.
        RadioImage image = k % 2 ? RadioImage() : MakeDefaultImage();
        RadioDocument doc(HeaderBlock{}, image);
        for (int n = 1; n <= ChannelCount; ++n)
            if (random() % 2)
                doc.commitCell(n, ColRxFreq, std::to_string(400 + random() % 80) + ".125", {});
        image = doc.image();
        const int changes = k < 100 ? 4096 : static_cast<int>(random() % 12);
        for (int c = 0; c < changes; ++c)
            image[k < 100 ? static_cast<std::size_t>(c) : random() % 0x3E0] =
                static_cast<std::uint8_t>(random());
        images.emplace_back("random " + std::to_string(k), image);
    }
    for (const auto& [name, image] : images) {
        std::string text;
        EXPECT_EQ(roundTrip(image, &text), image) << name << "\n" << text;
    }
}

TEST(TextForm, WritesFieldsAsWordsAndInvalidOnesRaw) {
    RadioDocument doc;
    doc.commitCell(1, ColRxFreq, "435.125", {});
    doc.commitCell(1, ColRxTone, "88.5", {});
    doc.setSetting(SettingId::TimeOutTimer, 6);
    doc.setSetting(SettingId::VoiceAnnunciation, 1);
    doc.setDtmf("12A");
    const std::uint8_t bad[4] = {0x46, 0x00, 0x6D, 0xA0};
    doc.storeBytes(RadioImage::channelOffset(2), bad, 0xFF); // rx of channel 2: no digits
    const std::string text = WriteTextForm(doc.image(), Bands, "made by the test");
    EXPECT_EQ(text.rfind("# made by the test\n", 0), 0u) << text;
    for (const char* line :
         {"format: 1\n", "  name: 400-470MHz (UHF)\n  code: 0xF4\n", "  timeOutTimer: 180s\n",
          "  voiceAnnunciation: english\n", "dtmf: \"12A\"\n", "  1:\n    rx: 435.12500\n",
          "    rxTone: 88.5\n    tx: 435.12500\n    txTone: 88.5\n", "    bandwidth: wide\n",
          "    rx: {raw: 46006DA0}\n", "  fmRadioFreq: "})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(text.find("\n  3:"), std::string::npos) << "channels not in use are left out";
}

struct Applied {
    bool ok;
    TextFormError error;
    RadioImage image;
    std::vector<TextNote> notes;
};

Applied apply(const std::string& yaml, const RadioDocument& start, bool replace = false) {
    TextPlan plan;
    TextFormError error;
    if (!ReadTextForm(yaml, Bands, plan, error))
        return {false, error, start.image(), {}};
    RadioDocument doc = start;
    const TextApplyResult r = ApplyTextForm(doc, plan, replace);
    return {r.ok, r.error, doc.image(), r.notes};
}

// A partial file changes only what it names, through the table's rules, and says what the
// rules adjusted and where.
TEST(TextForm, PartialFileChangesOnlyWhatItNames) {
    RadioDocument start;
    start.commitCell(2, ColRxFreq, "440.0", {});
    start.commitCell(3, ColRxFreq, "441.0", {});
    const Applied a = apply("settings:\n  squelchLevel: 7\nchannels:\n  2:\n    rx: 445.00001\n"
                            "    power: low\n  4: {rx: 390, rxTone: D023N}\n",
                            start);
    ASSERT_TRUE(a.ok) << a.error.what;
    RadioImage expected = start.image();
    RadioDocument want(HeaderBlock{}, expected);
    want.setSetting(SettingId::SquelchLevel, 7);
    want.commitCell(2, ColRxFreq, "445.00001", {});
    want.chooseOption(2, ColHighPower, 0);
    want.commitCell(4, ColRxFreq, "390", {});
    want.commitCell(4, ColRxTone, "D023N", {});
    EXPECT_EQ(a.image, want.image());
    EXPECT_EQ(FreqToText(a.image.txFreq(2)), "445.00000"); // copied with rx, as the table does
    EXPECT_EQ(FreqToText(a.image.rxFreq(3)), "441.00000");
    ASSERT_EQ(a.notes.size(), 2u);
    EXPECT_EQ(a.notes[0].note.note.what, Adjustment::Raster);
    EXPECT_EQ(a.notes[0].at.line, 5);
    EXPECT_EQ(a.notes[0].at.column, 9);
    EXPECT_EQ(a.notes[1].note.note.what, Adjustment::BelowBand);
    EXPECT_EQ(a.notes[1].note.channel, 4);
    EXPECT_EQ(a.notes[1].at.line, 7);
}

// Every mistake is named at its line and column, and nothing is applied.
TEST(TextForm, ErrorsNameLineAndColumn) {
    const RadioDocument start;
    struct Case {
        const char* yaml;
        int line;
        int column;
        const char* says;
    };
    const Case cases[] = {
        {"format: 1\nsetings:\n  beep: yes\n", 2, 1, "unknown key 'setings'"},
        {"settings:\n  squelchLevel: 12\n", 2, 17, "squelchLevel takes 0 to 9, not '12'"},
        {"settings:\n  timeOutTimer: 45s\n", 2, 17, "timeOutTimer takes off, 30s to 300s"},
        {"settings:\n  voiceAnnunciation: klingon\n", 2, 22, "takes chinese or english"},
        {"settings:\n  bep: yes\n", 2, 3, "unknown setting 'bep'"},
        {"settings: [1, 2]\n", 1, 11, "settings takes a map"},
        {"channels:\n  17: {rx: 440}\n", 2, 3, "channel takes a whole number 1 to 16"},
        {"channels:\n  200000000000000000000: {}\n", 2, 3, "channel takes a whole number"},
        {"channels:\n  1:\n    rx: 440\n    power: medium\n", 4, 12, "takes low or high"},
        {"channels:\n  1:\n    rx: [440]\n", 3, 9, "takes a single value, not a list"},
        {"channels:\n  1: {rx: 440, rx: 441}\n", 2, 16, "rx' is given twice"},
        {"channels:\n  1: {rx: {raw: 46006D}}\n", 2, 17, "raw takes 4 bytes, not 3"},
        {"channels:\n  1: {rx: {raw: 4600ZZA0}}\n", 2, 17, "takes hex digits"},
        {"channels:\n  1: {scanAdd: {raw: 01}}\n", 2, 22, "bits outside its mask 0x10"},
        {"channels:\n  1: {rx: abc}\n", 2, 11, "'abc' is no frequency"},
        {"channels:\n  5: {tx: 440}\n", 2, 11,
         "channel 5 has no receive frequency: its "
         "transmit frequency cannot be set"},
        {"dtmf: 12E45\n", 1, 7, "dtmf takes up to 5 of the digits"},
        {"format: 2\nwhatever: 1\n", 1, 9, "format version 2 is newer than this program reads"},
        {"band:\n  name: 2m\n", 2, 9, "band name '2m' is not in the band list"},
        {"band: {name: 136-174MHz (VHF), code: 0xF4}\n", 1, 14, "is not the band of code"},
        {"otherBytes:\n  0xFFE: FFFFFF\n", 2, 10, "goes past the image's last byte"},
        {"channels:\n  1: {rx: 440\n", 3, 1, "this is no YAML"},
        {"just some words\n", 1, 1, "holds no map of keys"},
        {"", 1, 1, "holds no map of keys"},
    };
    for (const Case& c : cases) {
        const Applied a = apply(c.yaml, start);
        EXPECT_FALSE(a.ok) << c.yaml;
        EXPECT_NE(a.error.what.find(c.says), std::string::npos) << c.yaml << a.error.what;
        EXPECT_EQ(a.error.at.line, c.line) << c.yaml << a.error.what;
        EXPECT_EQ(a.error.at.column, c.column) << c.yaml << a.error.what;
    }
}

// A band change clears every channel: in place only while none is in use, else --replace.
TEST(TextForm, BandChangeNeedsReplaceWhileChannelsAreInUse) {
    RadioDocument start;
    start.commitCell(1, ColRxFreq, "440", {});
    const char* yaml = "band: {code: 0xF8}\nchannels:\n  2: {rx: 145.5}\n";
    const Applied refused = apply(yaml, start);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error.at.line, 1);
    const Applied replaced = apply(yaml, start, true);
    ASSERT_TRUE(replaced.ok) << replaced.error.what;
    EXPECT_EQ(replaced.image.bandCode(), 0xF8);
    EXPECT_TRUE(replaced.image.isRxEmpty(1));
    EXPECT_EQ(FreqToText(replaced.image.rxFreq(2)), "145.50000");
    EXPECT_TRUE(replaced.notes.empty());
}

} // namespace
} // namespace orvik

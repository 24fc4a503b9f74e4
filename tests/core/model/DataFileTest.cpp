#include "core/model/DataFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

const std::string DataDir = std::string(ORVIK_TEST_DATA_DIR) + "/model";

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> fileBytes(const HeaderBlock& h, const RadioImage& image) {
    std::vector<std::uint8_t> v(h.begin(), h.end());
    v.insert(v.end(), image.data(), image.data() + RadioImage::Size);
    return v;
}

bool headerTextIsStandard(const HeaderBlock& h) {
    return std::memcmp(h.data(), DataFileHeaderText, 32) == 0;
}

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvik-model-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        ::chmod(dir.c_str(), 0755);
        fs::remove_all(dir);
    }
    std::string dir;
};

} // namespace

TEST_F(DataFileTest, ClearContentsResetsTextAndImageOnly) {
    HeaderBlock h;
    h.fill(0x41);
    RadioImage image = MakeDefaultImage();
    clearContents(h, image);
    EXPECT_TRUE(headerTextIsStandard(h));
    for (std::size_t i = 32; i < 48; ++i)
        EXPECT_EQ(h[i], 0x41);
    EXPECT_EQ(image, RadioImage());
}

TEST_F(DataFileTest, SaveThenLoadRoundTripsAndKeepsOtherVersionText) {
    HeaderBlock h0;
    RadioImage image0;
    ASSERT_EQ(LoadDataFile(DataDir + "/v999.735", h0, image0, nullptr), LoadStatus::Ok);
    EXPECT_EQ(std::memcmp(h0.data(), "QTB-735 Radio Program data v9.99", 32), 0);
    EXPECT_EQ(h0[47], 15);
    EXPECT_EQ(image0.rxFreq(1), (FreqBcd{0x00, 0x25, 0x51, 0x43}));

    const std::string path = dir + "/copy.735";
    std::string error;
    ASSERT_TRUE(SaveDataFile(path, h0, image0, &error)) << error;
    EXPECT_EQ(readAll(path), readAll(DataDir + "/v999.735"));
    EXPECT_EQ(fs::file_size(path), DataFileSize);

    HeaderBlock h1;
    RadioImage image1 = MakeDefaultImage();
    ASSERT_EQ(LoadDataFile(path, h1, image1, &error), LoadStatus::Ok);
    EXPECT_EQ(h1, h0);
    EXPECT_EQ(image1, image0);
}

TEST_F(DataFileTest, BrokenFiles) {
    struct Row {
        const char* file;
        LoadStatus status;
        bool imageCleared;
    };
    const Row rows[] = {
        {"empty.735", LoadStatus::HeaderRejected, true}, // shorter than the checked prefix
        {"header_only_prefix.735", LoadStatus::HeaderRejected, true}, // likewise
        {"wrong_case.735", LoadStatus::HeaderRejected, true},
        {"wrong_magic.735", LoadStatus::HeaderRejected, true},
        {"garbage.735", LoadStatus::HeaderRejected, true},
        {"truncated_image.735", LoadStatus::Ok, false},
        {"too_long.735", LoadStatus::Ok, false},
    };
    for (const Row& r : rows) {
        HeaderBlock h;
        h.fill(0);
        RadioImage image = MakeDefaultImage();
        std::string error;
        const std::string path = DataDir + "/broken/" + r.file;
        EXPECT_EQ(LoadDataFile(path, h, image, &error), r.status) << r.file;
        EXPECT_TRUE(headerTextIsStandard(h)) << r.file;
        EXPECT_EQ(image == RadioImage(), r.imageCleared) << r.file;
        if (r.status == LoadStatus::HeaderRejected) {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST_F(DataFileTest, ShortFileKeepsRestClearedAndLongFileIsCut) {
    HeaderBlock h;
    RadioImage image;
    std::size_t held = 0;
    ASSERT_EQ(LoadDataFile(DataDir + "/broken/truncated_image.735", h, image, nullptr, &held),
              LoadStatus::Ok);
    const auto file = readAll(DataDir + "/broken/truncated_image.735");
    ASSERT_EQ(file.size(), 148u);
    EXPECT_EQ(held, 148u); // what the short-file warning names
    EXPECT_EQ(ShortFileWarning("only %d of 4144", held), "only 148 of 4144");
    for (std::size_t i = 0; i < RadioImage::Size; ++i)
        ASSERT_EQ(image[i], i < 100 ? file[48 + i] : 0xFF) << i;
    EXPECT_EQ(image.rxFreq(1), (FreqBcd{0x00, 0x25, 0x51, 0x43}));

    ASSERT_EQ(LoadDataFile(DataDir + "/broken/too_long.735", h, image, nullptr, &held),
              LoadStatus::Ok);
    EXPECT_EQ(held, DataFileSize);
    const auto bytes = readAll(DataDir + "/broken/too_long.735");
    EXPECT_EQ(std::memcmp(image.data(), bytes.data() + 48, RadioImage::Size), 0);
}

TEST_F(DataFileTest, UnreadablePathsReportCannotRead) {
    HeaderBlock h;
    RadioImage image = MakeDefaultImage();
    std::string error;
    EXPECT_EQ(LoadDataFile(dir, h, image, &error), LoadStatus::CannotRead);
    EXPECT_NE(error.find("directory"), std::string::npos) << error;
    EXPECT_EQ(image, RadioImage());

    error.clear();
    EXPECT_EQ(LoadDataFile(dir + "/missing.735", h, image, &error), LoadStatus::CannotRead);
    EXPECT_FALSE(error.empty());

    if (::geteuid() != 0) { // root reads anything
        const std::string locked = dir + "/locked.735";
        writeAll(locked, fileBytes(NewHeaderBlock(), MakeDefaultImage()));
        ::chmod(locked.c_str(), 0);
        EXPECT_EQ(LoadDataFile(locked, h, image, &error), LoadStatus::CannotRead);
    }
}

TEST_F(DataFileTest, FailedSaveLeavesOldFileAndNoTemporary) {
    const std::string path = dir + "/keep.735";
    const auto old = fileBytes(NewHeaderBlock(), MakeDefaultImage());
    writeAll(path, old);
    RadioImage other;
    std::string error;

    // The target is a directory.
    fs::create_directory(dir + "/sub.735");
    EXPECT_FALSE(SaveDataFile(dir + "/sub.735", NewHeaderBlock(), other, &error));
    EXPECT_FALSE(error.empty());

    // The directory does not exist.
    EXPECT_FALSE(SaveDataFile(dir + "/nowhere/x.735", NewHeaderBlock(), other, &error));

    // An unwritable directory (only enforced for non-root users).
    if (::geteuid() != 0) {
        ::chmod(dir.c_str(), 0555);
        EXPECT_FALSE(SaveDataFile(path, NewHeaderBlock(), other, &error));
        ::chmod(dir.c_str(), 0755);
    }
    EXPECT_EQ(readAll(path), old);

    // A file system that refuses new files, even to root.
    EXPECT_FALSE(SaveDataFile("/proc/orvik-model-test.735", NewHeaderBlock(), other, &error));
    EXPECT_FALSE(fs::exists("/proc/orvik-model-test.735"));

    // Nothing is left behind in the directory after any failure.
    std::size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2u); // keep.735 and sub.735
}

TEST_F(DataFileTest, SaveReplacesThroughSymlinkAndKeepsPermissions) {
    const std::string real = dir + "/real.735";
    writeAll(real, fileBytes(NewHeaderBlock(), RadioImage()));
    ::chmod(real.c_str(), 0640);
    const std::string link = dir + "/link.735";
    fs::create_symlink(real, link);

    const RadioImage image = MakeDefaultImage();
    std::string error;
    ASSERT_TRUE(SaveDataFile(link, NewHeaderBlock(), image, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readAll(real), fileBytes(NewHeaderBlock(), image));
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

namespace {

// Saves over a read-only file as an ordinary user would: as root, in a child that drops to the
// "nobody" user first (root may write anything). True when the save was refused.
bool saveRefusedAsUser(const std::string& path) {
    if (::geteuid() != 0) {
        std::string error;
        return !SaveDataFile(path, NewHeaderBlock(), RadioImage(), &error);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        std::string error;
        ::_exit(SaveDataFile(path, NewHeaderBlock(), RadioImage(), &error) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST_F(DataFileTest, AReadOnlyFileIsNotReplaced) {
    const std::string path = dir + "/readonly.735";
    const auto old = fileBytes(NewHeaderBlock(), MakeDefaultImage());
    writeAll(path, old);
    // The directory is open to everyone, so only the file's own mode can stop the rename.
    ::chmod(dir.c_str(), 0777);
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(saveRefusedAsUser(path));
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

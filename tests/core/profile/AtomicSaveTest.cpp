#include "core/profile/AtomicSave.h"
#include "core/profile/IniFile.h"
#include "core/profile/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orvik {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr uid_t OtherUid = 12345;
constexpr gid_t OtherGid = 23456;
constexpr uid_t Nobody = 65534;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

// Runs `body` in a child process as the user and group "nobody"; its return value is the exit
// code (99 when the process could not change its identity).
int AsNobody(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(AtomicSave, KeepsOwnerGroupAndModeOrSaysTheOwnerChanged) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing owners needs root";
    TempDir dir;
    ::chmod(dir.Path().c_str(), 0777);
    const std::string file = dir.File("owned.735");
    WriteFile(file, "old");
    ASSERT_EQ(::chown(file.c_str(), OtherUid, OtherGid), 0);
    ASSERT_EQ(::chmod(file.c_str(), 02664), 0); // set-gid survives the chown of the new file

    // Root keeps both.
    SaveResult result = SaveFileAtomically(file, "new", SaveMode::Replace);
    ASSERT_TRUE(result.ok) << result.errorText;
    EXPECT_FALSE(result.ownerChanged);
    struct stat st = StatOf(file);
    EXPECT_EQ(st.st_uid, OtherUid);
    EXPECT_EQ(st.st_gid, OtherGid);
    EXPECT_EQ(st.st_mode & 07777, 02664u);
    EXPECT_EQ(ReadFile(file), "new");

    // A user who may write the file but does not own it cannot keep its owner: told so.
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    EXPECT_EQ(AsNobody([&] {
                  const SaveResult r = SaveFileAtomically(file, "by nobody", SaveMode::Replace);
                  return r.ok ? (r.ownerChanged ? 0 : 1) : 2;
              }),
              0);
    st = StatOf(file);
    EXPECT_EQ(st.st_uid, Nobody);
    EXPECT_EQ(st.st_mode & 07777, 0666u);
    EXPECT_EQ(ReadFile(file), "by nobody");

    // The owner whose file is in a group they are not in: the group is lost silently.
    ASSERT_EQ(::chown(file.c_str(), Nobody, OtherGid), 0);
    EXPECT_EQ(AsNobody([&] {
                  const SaveResult r = SaveFileAtomically(file, "own file", SaveMode::Replace);
                  return r.ok ? (r.ownerChanged ? 1 : 0) : 2;
              }),
              0);
    EXPECT_EQ(StatOf(file).st_uid, Nobody);
    EXPECT_EQ(ReadFile(file), "own file");
}

TEST(AtomicSave, NoReplaceNeverClobbersAFileCreatedMeanwhile) {
    TempDir dir;
    // The other process creates the file after a delay spread over one save's duration, so
    // many rounds land between the save's check and its publishing of the file.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(SaveFileAtomically(dir.File("warm.735"), "x", SaveMode::Replace).ok);
    const auto saveTime = (std::chrono::steady_clock::now() - start) / 5;
    fs::remove(dir.File("warm.735"));
    std::mt19937 random(42);

    int savesWon = 0;
    int creatorsWon = 0;
    for (int round = 0; round < 200; ++round) {
        const std::string file = dir.File("race" + std::to_string(round) + ".735");
        const auto delay = saveTime * (random() % 1000) / 800;
        std::atomic<bool> go{false};
        bool creatorWon = false;
        std::thread creator([&] {
            while (!go.load()) {
            }
            const auto until = std::chrono::steady_clock::now() + delay;
            while (std::chrono::steady_clock::now() < until) {
            }
            const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd >= 0) {
                creatorWon = ::write(fd, "theirs", 6) == 6;
                ::close(fd);
            }
        });
        go = true;
        const SaveResult result = SaveFileAtomically(file, "ours", SaveMode::NoReplace);
        creator.join();

        ASSERT_NE(result.ok, creatorWon) << "round " << round << ": " << result.errorText;
        if (result.ok) {
            ++savesWon;
            EXPECT_EQ(ReadFile(file), "ours") << round;
        } else {
            ++creatorsWon;
            EXPECT_TRUE(result.exists) << round << ": " << result.errorText;
            EXPECT_EQ(ReadFile(file), "theirs") << round;
        }
    }
    // Only the 200 files are left: no temporary file of a lost race.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 200);
    std::printf("no-clobber races: save first %d, other process first %d\n", savesWon, creatorsWon);

    // An empty file may be filled by ReplaceIfEmpty, a file with content not.
    const std::string empty = dir.File("empty.735");
    WriteFile(empty, "");
    EXPECT_TRUE(SaveFileAtomically(empty, "filled", SaveMode::ReplaceIfEmpty).ok);
    const SaveResult again = SaveFileAtomically(empty, "again", SaveMode::ReplaceIfEmpty);
    EXPECT_FALSE(again.ok);
    EXPECT_TRUE(again.exists);
    EXPECT_EQ(ReadFile(empty), "filled");
}

TEST(AtomicSave, RemovesTemporaryFilesOfEndedSavesOnly) {
    TempDir dir;
    // The id of a process that has ended.
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);

    const std::string stale = dir.File(".a.735.orvik-tmp." + std::to_string(ended) + ".0badf00d");
    const std::string otherName =
        dir.File(".b.ini.orvik-tmp." + std::to_string(ended) + ".0badf00d");
    const std::string running = dir.File(".a.735.orvik-tmp.1.12345678"); // init never ends
    const std::string unrelated = dir.File(".a.735.tmp" + std::to_string(ended));
    for (const std::string& f : {stale, otherName, running, unrelated})
        WriteFile(f, "partial");

    ASSERT_TRUE(SaveFileAtomically(dir.File("c.735"), "data", SaveMode::Replace).ok);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(otherName));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(unrelated));
    EXPECT_EQ(ReadFile(dir.File("c.735")), "data");
}

TEST(AtomicSave, ADanglingLinkGetsItsTargetCreated) {
    TempDir dir;
    fs::create_directory(dir.File("sub"));
    const std::string link = dir.File("link.735");
    fs::create_symlink("sub/target.735", link); // relative to the link's folder
    const SaveResult result = SaveFileAtomically(link, "data", SaveMode::NoReplace);
    ASSERT_TRUE(result.ok) << result.errorText;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(dir.File("sub/target.735")), "data");

    // Now the link leads to a file: NoReplace refuses, Replace writes through it.
    EXPECT_TRUE(SaveFileAtomically(link, "x", SaveMode::NoReplace).exists);
    EXPECT_TRUE(SaveFileAtomically(link, "more", SaveMode::Replace).ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(dir.File("sub/target.735")), "more");

    // Settings written through a dangling link, too.
    const std::string iniLink = dir.File("setting.ini");
    fs::create_symlink(dir.File("real.ini"), iniLink);
    EXPECT_TRUE(ini::WriteString(iniLink, "setup", "com", "3"));
    EXPECT_TRUE(fs::is_symlink(iniLink));
    EXPECT_EQ(ReadFile(dir.File("real.ini")), "[setup]\ncom=3\n");

    // A loop of links is an error, not a hang.
    fs::create_symlink(dir.File("loop2"), dir.File("loop1"));
    fs::create_symlink(dir.File("loop1"), dir.File("loop2"));
    EXPECT_FALSE(SaveFileAtomically(dir.File("loop1"), "x", SaveMode::NoReplace).ok);
}

} // namespace
} // namespace orvik

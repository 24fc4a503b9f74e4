// orvik-cli read and write against orvik-radio-sim over a pseudo-terminal, at the real
// protocol timing: a read takes about 7 s, so the cases share simulators where they can.

#include "core/link/CSerialPort.h"
#include "core/link/Protocol.h"
#include "core/model/DataFile.h"
#include "core/model/RadioImage.h"
#include "core/profile/IniFile.h"

#include "CliSpawn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orvik;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct CliResult {
    int code = -1;
    std::string err;
    double seconds = 0;
};

// The simulator as a child process; ends it with SIGTERM.
class Simulator {
public:
    Simulator(std::vector<std::string> args) {
        args.insert(args.begin(), std::string(ORVIK_BUILD_DIR) + "/orvik-radio-sim");
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            path += c;
        ::close(out[0]);
    }
    ~Simulator() { Stop(); }
    // SIGTERM; returns the exit code.
    int Stop() {
        if (pid <= 0)
            return -1;
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid = -1;
    std::string path;
};

class CliRadio : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("radio", app);
        ASSERT_FALSE(root.empty());
        ini::WriteString(app + "/setting.ini", "setup", "searchcom", "0");
        ini::WriteString(app + "/setting.ini", "backup", "dir", root + "/backups");
    }
    std::vector<std::string> Backups() const {
        std::vector<std::string> names;
        if (fs::exists(root + "/backups"))
            for (const auto& e : fs::directory_iterator(root + "/backups"))
                names.push_back(e.path().filename().string());
        return names;
    }
    void TearDown() override { fs::remove_all(root); }

    void BindCom1(const std::string& device) {
        ASSERT_TRUE(ini::WriteString(app + "/setting.ini", "ports", "COM1", device));
    }

    // Starts orvik-cli --app-dir <app> args... in the background.
    pid_t Start(std::vector<std::string> args) {
        const pid_t pid = test::SpawnCli(app, std::move(args), root, "", root + "/stderr");
        started = Clock::now();
        return pid;
    }
    CliResult Wait(pid_t pid) {
        CliResult r;
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.seconds = std::chrono::duration<double>(Clock::now() - started).count();
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = test::ReadWholeFile(root + "/stderr");
        return r;
    }
    CliResult Cli(std::vector<std::string> args) { return Wait(Start(std::move(args))); }

    std::string SaveImage(const std::string& name, const RadioImage& image,
                          const char* headerText = nullptr) {
        HeaderBlock header = NewHeaderBlock();
        if (headerText)
            std::memcpy(header.data(), headerText, 32);
        const std::string path = root + "/" + name;
        std::string error;
        EXPECT_TRUE(SaveDataFile(path, header, image, &error)) << error;
        return path;
    }

    std::string root, app;
    Clock::time_point started;
};

// The PC-side bytes of a trace ("   12.345 PC>  52 00 00 08"), as upper-case hex.
std::string TracePcBytes(const std::string& trace) {
    std::istringstream in(trace);
    std::string bytes;
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find(" PC>  ");
        if (at == std::string::npos)
            continue;
        for (char c : line.substr(at + 6))
            if (c != ' ')
                bytes += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return bytes;
}

// The same from the simulator's log ("     1.234 PC->radio 52"), read once it has them all.
std::string SimPcBytes(const std::string& logPath, std::size_t expected) {
    std::string bytes;
    for (int wait = 0; wait < 100; ++wait) {
        bytes.clear();
        std::istringstream in(test::ReadWholeFile(logPath));
        for (std::string line; std::getline(in, line);) {
            const std::size_t at = line.find(" PC->radio ");
            if (at != std::string::npos)
                bytes += line.substr(at + 11, 2);
        }
        if (bytes.size() >= expected)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return bytes;
}

RadioImage Pattern(int seed) {
    RadioImage image = MakeDefaultImage();
    for (std::size_t i = 0; i < 0x3E0; ++i)
        image[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return image;
}

TEST_F(CliRadio, ReadReturnsTheRadioMemoryAndWriteIsStoredByteForByte) {
    RadioImage simMemory = Pattern(5);
    for (std::size_t i = 0x3E0; i < RadioImage::Size; ++i)
        simMemory[i] = 0x5A; // never travels over the line
    const std::string simImage = SaveImage("sim.735", simMemory);
    const std::string saved = root + "/saved.735";
    Simulator sim({"--image", simImage, "--save", saved});
    ASSERT_FALSE(sim.path.empty());
    BindCom1(sim.path);

    // Read onto a base file: 0x000..0x3DF from the radio, the rest and the header from the base.
    RadioImage baseImage = MakeDefaultImage();
    for (std::size_t i = 0x3E0; i < RadioImage::Size; ++i)
        baseImage[i] = static_cast<std::uint8_t>(i);
    const std::string base = SaveImage("base.735", baseImage, "QTB-735 Radio Program data v9.99");
    const CliResult readRun = Cli({"read", "-o", "out.735", "--base", base});
    ASSERT_EQ(readRun.code, 0) << readRun.err;
    const std::string out = test::ReadWholeFile(root + "/out.735");
    ASSERT_EQ(out.size(), DataFileSize);
    EXPECT_EQ(out.substr(0, 32), "QTB-735 Radio Program data v9.99");
    for (std::size_t i = 0; i < RadioImage::Size; ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(out[48 + i]), i < 0x3E0 ? simMemory[i] : baseImage[i])
            << "offset " << i;
    EXPECT_LT(readRun.seconds, 9.0);
    // The read is kept as a backup.
    ASSERT_EQ(Backups().size(), 1u);
    EXPECT_NE(Backups()[0].find("-read.735"), std::string::npos);

    // Write another image: the simulator saves it, and keeps its own bytes above 0x3DF. The
    // radio is read back and holds it.
    const RadioImage written = Pattern(77);
    const std::string in = SaveImage("in.735", written);
    const CliResult writeRun = Cli({"write", in});
    ASSERT_EQ(writeRun.code, 0) << writeRun.err;
    EXPECT_NE(writeRun.err.find("Verifying the radio... 100%"), std::string::npos) << writeRun.err;
    EXPECT_NE(writeRun.err.find("The radio was written and verified."), std::string::npos);
    const std::string stored = test::ReadWholeFile(saved);
    ASSERT_EQ(stored.size(), DataFileSize);
    for (std::size_t i = 0; i < RadioImage::Size; ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(stored[48 + i]), i < 0x3E0 ? written[i] : 0x5A)
            << "offset " << i;
    EXPECT_EQ(sim.Stop(), 0); // SIGTERM ends it cleanly
}

struct FaultCase {
    const char* name;
    std::vector<std::string> simArgs;
    bool read;
    int exitCode;
    const char* message; // part of the language text shown
};

class CliRadioFaults : public CliRadio, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(CliRadioFaults, FailWithTheirExitCodeAndWriteNothing) {
    const FaultCase& c = GetParam();
    Simulator sim(c.simArgs);
    ASSERT_FALSE(sim.path.empty());
    BindCom1(sim.path);
    const std::string in = SaveImage("in.735", Pattern(1));
    const CliResult r = c.read ? Cli({"read", "-o", "out.735"}) : Cli({"write", in});
    EXPECT_EQ(r.code, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("press OK"), std::string::npos) << r.err; // no window buttons here
    EXPECT_FALSE(fs::exists(root + "/out.735"));
}

INSTANTIATE_TEST_SUITE_P(
    Simulator, CliRadioFaults,
    ::testing::Values(
        FaultCase{"Silent", {"--silent"}, true, 69, "No connection to the radio"},
        FaultCase{"IdentOfFiveBytes", {"--ident-len", "5"}, true, 76, "did not identify"},
        FaultCase{"BlockShortThreeTimes", {"--short-block", "0x10"}, true, 76, "Reading failed"},
        FaultCase{"BlockRefusedThreeTimes", {"--nak-block", "0x10"}, false, 76, "Writing failed"},
        FaultCase{"HangUpMidRead",
                  {"--hangup-after-blocks", "3"},
                  true,
                  76,
                  "The connection to the radio was lost"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CliRadio, PortErrorNamesTheDeviceAndWhy) {
    const CliResult r = Cli({"read", "--device", root + "/no-such-tty", "-o", "out.735"});
    EXPECT_EQ(r.code, 69);
    EXPECT_NE(r.err.find("No connection to the radio"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(root + "/no-such-tty"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("(or orvik-cli doctor) looks for the cause."), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(root + "/out.735"));

    EXPECT_EQ(Cli({"read", "--port", "0", "-o", "out.735"}).code, 64);
    EXPECT_EQ(Cli({"read", "--port", "2", "--device", "/dev/null", "-o", "x.735"}).code, 64);
    EXPECT_EQ(Cli({"read"}).code, 64);
    EXPECT_EQ(Cli({"write"}).code, 64);
    EXPECT_EQ(Cli({"write", root + "/missing.735"}).code, 66);
}

// A data file of another program is refused before the port is touched, with the language's
// load warning and the path, and exit 65; a read then writes nothing.
TEST_F(CliRadio, ForeignDataFileIsRefusedWithTheLoadWarning) {
    const std::string foreign = root + "/foreign.735";
    {
        std::ofstream out(foreign, std::ios::binary);
        out << std::string(DataFileSize, 'x');
    }
    const CliResult w = Cli({"write", "--device", root + "/no-such-tty", foreign});
    EXPECT_EQ(w.code, 65) << w.err;
    EXPECT_NE(w.err.find("This file is not a radio data file of this model."), std::string::npos)
        << w.err;
    EXPECT_NE(w.err.find(foreign), std::string::npos) << w.err;
    EXPECT_EQ(w.err.find("No connection"), std::string::npos) << w.err;

    const CliResult r =
        Cli({"read", "--device", root + "/no-such-tty", "-o", "out.735", "--base", foreign});
    EXPECT_EQ(r.code, 65) << r.err;
    EXPECT_NE(r.err.find("This file is not a radio data file of this model."), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(root + "/out.735"));
}

// The simulator on its line, driven byte by byte.
TEST_F(CliRadio, SimulatorWakesAfterAnAbandonedJobAndStoresDataThatLooksLikeTheWakeUp) {
    Simulator sim({});
    ASSERT_FALSE(sim.path.empty());
    CSerialPort port;
    ASSERT_TRUE(port.OpenDevice(sim.path, 9600)) << port.LastOpenErrorText();

    // A job that stops between the wake-up and the identification leaves the radio awake; the
    // next job's wake-up string must still be answered with 0x06 and not with its identity.
    ASSERT_EQ(protocol::WakeUp(port), protocol::WakeResult::Accepted);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(protocol::WakeUp(port), protocol::WakeResult::Accepted);
    ASSERT_EQ(protocol::Identify(port), protocol::IdentResult::Identified);

    // Block 0 written with the bytes of the wake-up string is stored, not taken for a wake-up.
    std::uint8_t packet[12] = {0x57, 0x00, 0x00, 0x08};
    std::memcpy(packet + 4, protocol::WakeUpString, 8);
    ASSERT_EQ(port.Write(packet, 12, 1, false), 12);
    EXPECT_EQ(port.ReadByte(500), 0x06);
    const std::uint8_t command[4] = {0x52, 0x00, 0x00, 0x08};
    ASSERT_EQ(port.Write(command, 4, 1, false), 4);
    std::uint8_t answer[12] = {};
    ASSERT_EQ(port.Read(answer, 12, 500), 12);
    EXPECT_EQ(std::memcmp(answer + 4, protocol::WakeUpString, 8), 0);
}

TEST_F(CliRadio, InterruptCancelsWithinASecondAndWritesNothing) {
    Simulator sim({});
    ASSERT_FALSE(sim.path.empty());
    BindCom1(sim.path);
    const pid_t pid = Start({"read", "-o", "out.735"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // in the middle of the blocks
    const auto sent = Clock::now();
    ::kill(pid, SIGINT);
    const CliResult r = Wait(pid);
    EXPECT_EQ(r.code, 130) << r.err;
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - sent).count(), 1.0);
    EXPECT_FALSE(fs::exists(root + "/out.735"));

    // The simulator's line survives the interrupted job: the next one starts afresh.
    const CliResult again = Cli({"read", "-o", "again.735"});
    EXPECT_EQ(again.code, 0) << again.err;
}

// A radio with a longer identification, or one whose answers come late (so that the reply to
// each acknowledgement lands ahead of the next answer), must never leave a shifted image
// behind a successful exit: the read fails, or it stores the radio's bytes.
class CliRadioStray : public CliRadio,
                      public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliRadioStray, ReadFailsOrReturnsTheRadioMemoryNeverAShiftedImage) {
    const RadioImage memory = Pattern(9);
    std::vector<std::string> args = GetParam();
    args.insert(args.end(), {"--image", SaveImage("sim.735", memory)});
    Simulator sim(args);
    ASSERT_FALSE(sim.path.empty());
    BindCom1(sim.path);
    const CliResult r = Cli({"read", "-o", "out.735"});
    if (r.code != 0) {
        EXPECT_FALSE(fs::exists(root + "/out.735"));
        return;
    }
    const std::string out = test::ReadWholeFile(root + "/out.735");
    ASSERT_EQ(out.size(), DataFileSize);
    for (std::size_t i = 0; i < 0x3E0; ++i)
        ASSERT_EQ(static_cast<std::uint8_t>(out[48 + i]), memory[i]) << "offset " << i;
}

INSTANTIATE_TEST_SUITE_P(Simulator, CliRadioStray,
                         ::testing::Values(std::vector<std::string>{"--ident-len", "20"},
                                           std::vector<std::string>{"--delay", "60"}),
                         [](const auto& p) {
                             return p.param[0] == "--delay" ? std::string("AnswersLate")
                                                            : std::string("LongIdentification");
                         });

// A radio that stores a block wrongly yet acknowledges it: the read-back fails the write (75)
// and names the channel. Asked for, the radio is backed up first; the backups kept follow keep=.
TEST_F(CliRadio, AWriteIsBackedUpFirstAndFailsWhenTheRadioDoesNotHoldIt) {
    ini::WriteString(app + "/setting.ini", "backup", "keep", "1");
    const std::string saved = root + "/saved.735";
    Simulator sim(
        {"--corrupt-block", "0x30", "--image", SaveImage("sim.735", Pattern(4)), "--save", saved});
    ASSERT_FALSE(sim.path.empty());
    BindCom1(sim.path);
    const std::string in = SaveImage("in.735", Pattern(9));
    const CliResult w = Cli({"write", "--backup", in});
    EXPECT_EQ(w.code, 75) << w.err;
    EXPECT_NE(w.err.find("Verification failed"), std::string::npos) << w.err;
    EXPECT_NE(w.err.find("\nCH3 RX Freq (MHz): "), std::string::npos) << w.err;
    std::vector<std::string> names = Backups();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0].find("-before-write.735"), std::string::npos);
    HeaderBlock header{};
    RadioImage before;
    ASSERT_EQ(LoadDataFile(root + "/backups/" + names[0], header, before, nullptr), LoadStatus::Ok);
    EXPECT_EQ(before[0x100], Pattern(4)[0x100]); // what the radio held before

    // A read then replaces it: only the newest backup is kept.
    ASSERT_EQ(Cli({"read", "-o", "out.735"}).code, 0);
    names = Backups();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0].find("-read.735"), std::string::npos);
}

// Ctrl+C during a write after blocks went out: the radio holds part of the new data, and the
// user is told how much and to write again.
TEST_F(CliRadio, InterruptedWriteSaysHowManyBlocksReachedTheRadio) {
    Simulator sim({});
    ASSERT_FALSE(sim.path.empty());
    BindCom1(sim.path);
    const std::string in = SaveImage("in.735", Pattern(3));
    const pid_t pid = Start({"write", in});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ::kill(pid, SIGINT);
    const CliResult r = Wait(pid);
    EXPECT_EQ(r.code, 130) << r.err;
    EXPECT_EQ(r.err.find("nothing was written"), std::string::npos) << r.err;
    const std::size_t at = r.err.find("Writing was stopped after ");
    ASSERT_NE(at, std::string::npos) << r.err;
    const int blocks = std::atoi(r.err.c_str() + at + std::strlen("Writing was stopped after "));
    EXPECT_GT(blocks, 0) << r.err;
    EXPECT_LT(blocks, 124) << r.err;
    EXPECT_NE(r.err.find("write the data to it again"), std::string::npos) << r.err;
}

} // namespace

// --trace records what the PC sent byte for byte as the simulator received it, for a read
// that completes and for a write that fails, and names the job's steps and its end.
TEST_F(CliRadio, TraceOfAReadAndOfAFailingWriteMatchesTheSimulatorsLog) {
    {
        Simulator sim({"--log", root + "/sim-read.log"});
        ASSERT_FALSE(sim.path.empty());
        BindCom1(sim.path);
        const CliResult r = Cli({"read", "-o", "out.735", "--trace", "read.trace"});
        ASSERT_EQ(r.code, 0) << r.err;
        const std::string trace = test::ReadWholeFile(root + "/read.trace");
        const std::string pc = TracePcBytes(trace);
        // Wake-up, 02 06, per block command + 06; a loaded machine may make the job send a
        // block command once more, which the simulator's log then shows too.
        EXPECT_GE(pc.size(), 2u * (8 + 2 + 124 * 5));
        EXPECT_EQ(pc, SimPcBytes(root + "/sim-read.log", pc.size()));
        for (const char* step : {"port opened", "wake-up accepted", "identified",
                                 "block 123 at 0x3d8 done", "final state ReadDone", "port closed"})
            EXPECT_NE(trace.find(step), std::string::npos) << step;
    }
    {
        Simulator sim({"--nak-block", "0x10", "--log", root + "/sim-write.log"});
        ASSERT_FALSE(sim.path.empty());
        BindCom1(sim.path);
        const std::string in = SaveImage("in.735", Pattern(1));
        const CliResult r = Cli({"write", in, "--trace", "write.trace"});
        ASSERT_EQ(r.code, 76) << r.err;
        const std::string trace = test::ReadWholeFile(root + "/write.trace");
        const std::string pc = TracePcBytes(trace);
        int sends = 0; // block 2 sent three times
        for (std::size_t at = pc.find("57001008"); at != std::string::npos;
             at = pc.find("57001008", at + 1))
            ++sends;
        EXPECT_EQ(sends, 3);
        EXPECT_EQ(pc, SimPcBytes(root + "/sim-write.log", pc.size()));
        EXPECT_NE(trace.find("block 2 at 0x010 failed after 3 attempts"), std::string::npos);
        EXPECT_NE(trace.find("final state WriteFailed"), std::string::npos);
    }
    // A trace that cannot be created stops the job before anything is sent.
    const CliResult r = Cli({"read", "-o", "out2.735", "--trace", root + "/none/x.trace"});
    EXPECT_EQ(r.code, 73) << r.err;
    EXPECT_NE(r.err.find("x.trace"), std::string::npos) << r.err;
}

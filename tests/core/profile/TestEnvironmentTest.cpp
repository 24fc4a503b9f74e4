// CTest hands every test the environment set in CMakeLists.txt (Qt platform, sanitizer options).
// A CMake list that gets split on its way to the test properties loses entries silently; this
// test runs under ctest and fails when any entry is missing.
#include <cstdlib>

#include <gtest/gtest.h>

TEST(TestEnvironment, EveryEntryReachesTheTests) {
    for (const char* name : {"QT_QPA_PLATFORM", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS",
                             "ORVIK_TEST_ENVIRONMENT"})
        EXPECT_NE(std::getenv(name), nullptr) << name << " is not set: run the tests with ctest";
}

# Thin wrapper around CMake. Every target first makes sure the needed packages are installed.
BUILD      ?= build
RELEASE_BUILD ?= build-release
TSAN_BUILD ?= build-tsan
JOBS       ?= 2
SANITIZE   ?= address,undefined
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

# The sanitizer builds use clang: it builds the test tree in about two thirds of gcc's time.
# The optimised build (make run, the package) stays on the system compiler.
TEST_CXX   ?= clang++
CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVIK_SANITIZE=$(SANITIZE) \
              -DCMAKE_CXX_COMPILER=$(TEST_CXX)

.PHONY: all setup build release run test test-run test-tsan demo demo-fleet fuzz package setup-package clean

all: build

setup:
	@scripts/setup

setup-package:
	@scripts/setup package

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS)

# The program as a user runs it: an optimised build without sanitizers.
$(RELEASE_BUILD)/build.ninja:
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

release: setup $(RELEASE_BUILD)/build.ninja
	cmake --build $(RELEASE_BUILD) -j$(JOBS) --target orvik orvik-cli orvik-radio-sim

run: release
	scripts/run-orvik $(RELEASE_BUILD)

# Most tests wait on a radio's real pauses rather than compute, so more run at once than there
# are cores.
TEST_JOBS  ?= 6

# The ThreadSanitizer build compiles while the tests of the first build mostly wait, so both
# run at once; -Otarget keeps each one's output together.
test: build
	$(MAKE) --no-print-directory -j2 -Otarget test-run test-tsan

test-run:
	cd $(BUILD) && ctest --output-on-failure -j$(TEST_JOBS) --timeout 300

# The threaded transfer code once more under ThreadSanitizer: only the threaded tests and the
# simulated radio they talk to are built (core only, no Qt).
TSAN_TARGETS = test_link test_fleet orvik-radio-sim
test-tsan: setup
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVIK_SANITIZE=thread \
	    -DORVIK_BUILD_GUI=OFF -DORVIK_BUILD_BENCH=OFF -DCMAKE_CXX_COMPILER=$(TEST_CXX)
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_BUILD) && ctest --output-on-failure -j$(TEST_JOBS) -L threads --timeout 300

# The libFuzzer targets (clang only) in their own build, each run for FUZZ_SECONDS.
fuzz: setup
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DORVIK_SANITIZE=address,undefined -DORVIK_BUILD_GUI=OFF -DORVIK_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

demo: release
	scripts/demo $(RELEASE_BUILD)

# Four simulated radios bound to COM1 to COM4, and the program on them.
demo-fleet: release
	scripts/demo-fleet $(RELEASE_BUILD)

# The Debian package from the optimised build (only what it installs is built), then its checks.
package: setup-package $(RELEASE_BUILD)/build.ninja
	cmake --build $(RELEASE_BUILD) -j$(JOBS) --target orvik orvik-cli orvik-radio-sim orvik_dist
	cd $(RELEASE_BUILD) && cpack -G DEB
	scripts/check-package $(RELEASE_BUILD)

clean:
	rm -rf $(BUILD) $(RELEASE_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)

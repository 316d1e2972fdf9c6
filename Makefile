BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

SAN_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# Any sanitizer report ends the program, and with a status no test expects.
SAN_ENV = ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:exitcode=86 \
	UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1:exitcode=86

.PHONY: deps configure build run test test-sanitize test-hostile fuzz demo bench check-nets package clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/padloom

# Every test of the build: unit, window, command line, gerbv and ezdxf conformance, install.
test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The core, the command line and their tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own (no windows there).
test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
		-DPADLOOM_GUI=OFF -DPADLOOM_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS) -LE install

# Every subcommand on hostile inputs (folders, FIFOs, devices, gigabytes of NUL bytes, binary
# files), each run within 1 GB of address space and 20 s; prints the highest peak memory and time.
test-hostile: build
	@scripts/hostile $(BUILD)/padloom-cli

# Every fuzz target for FUZZ_SECONDS each (clang and libFuzzer; see fuzz/README.md).
fuzz:
	@scripts/install-deps fuzz
	@scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) $(JOBS)

demo: build
	@scripts/demo $(BUILD)/padloom-cli

bench: build
	@scripts/bench $(BUILD)

# The nets of every sample board against gerbv's pictures of its copper at 1000 dpi (about a
# minute, so not part of make test).
SHARED ?= ../shared
check-nets: build
	@bash tests/conformance/nets_samples.sh $(abspath $(BUILD))/padloom-cli $(abspath $(SHARED)) $(CURDIR)

# A Debian package and a source archive, in $(BUILD)/packages.
package: build
	cd $(BUILD) && cpack -G DEB -B packages && cpack --config CPackSourceConfig.cmake -B packages

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)

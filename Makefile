BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test demo bench package clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/padloom

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)/padloom-cli

bench: build
	@scripts/bench $(BUILD)

# A Debian package and a source archive, in $(BUILD)/packages.
package: build
	cd $(BUILD) && cpack -G DEB -B packages && cpack --config CPackSourceConfig.cmake -B packages

clean:
	rm -rf $(BUILD)

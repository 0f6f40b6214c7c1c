# Telmora workstation setup: `make demo` and `make test` do all the set-up on a
# fresh Debian 12 machine (packages, both builds, the Wine test bed).
BUILD ?= build
BUILD64 := $(BUILD)/x86_64
BUILD32 := $(BUILD)/i686
JOBS ?= 2
NATIVE_BUILD := $(BUILD)/native
CHECK_FUZZ_SECONDS ?= 10
FUZZ_SECONDS ?= 300
PERSONALITY ?= win95

.PHONY: all deps build build64 build32 test native-check fuzz bench demo demo-lifecycle screenshots clean

all: build

deps:
	scripts/install-deps.sh

build: build64 build32

build64: deps
	cmake -S . -B $(BUILD64) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
	cmake --build $(BUILD64) -j $(JOBS)

# The shipped 32-bit program; there is no 32-bit Wine here, so its tests are not built.
build32: deps
	cmake -S . -B $(BUILD32) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTELMORA_BUILD_TESTS=OFF \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake
	cmake --build $(BUILD32) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD64) --output-on-failure -j $(JOBS)
	$(MAKE) native-check

# The pure text units built natively with AddressSanitizer and UBSan: their
# tests, a short run of every fuzzer and the replay of the seed corpora.
native-check: deps
	JOBS=$(JOBS) scripts/native-check.sh $(CHECK_FUZZ_SECONDS) $(NATIVE_BUILD)

fuzz: deps
	JOBS=$(JOBS) scripts/native-check.sh $(FUZZ_SECONDS) $(NATIVE_BUILD)

# Speed and memory under Wine, side by side with plain baselines.
bench: build64
	scripts/bench.sh $(BUILD64)

demo: build
	scripts/demo.sh $(BUILD64)

# The client's whole life (install, edit, copy, update, uninstall) in a fresh
# Wine PC that STNIN32.EXE sees as PERSONALITY: win95, nt351 or nt40.
demo-lifecycle: build64
	scripts/demo.sh $(BUILD64) --lifecycle $(PERSONALITY)

# Every dialog template and the main window, in English and German, as PNG files.
screenshots: build64
	scripts/screenshots.sh $(BUILD64)

clean:
	rm -rf $(BUILD)

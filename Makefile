# Telmora workstation setup: `make demo` and `make test` do all the set-up on a
# fresh Debian 12 machine (packages, the 32-bit root, both builds, the Wine test bed).
#
# How this machine runs the program is decided once, by scripts/root32.sh:
# the shipped i686 build in the 32-bit root (natively, or under qemu-user where
# the kernel runs no 32-bit programs), or, only where neither works, the x86_64
# build under the host's 64-bit Wine. Every command that runs the program ends
# with a line naming the build and the Wine it ran.
BUILD ?= build
BUILD64 := $(BUILD)/x86_64
BUILD32 := $(BUILD)/i686
JOBS ?= 2
NATIVE_BUILD := $(BUILD)/native
CHECK_FUZZ_SECONDS ?= 10
FUZZ_SECONDS ?= 300
PERSONALITY ?= win95
N ?= 20

# The build tree that runs here (read after `deps` has decided).
RUN_BUILD = $(if $(filter root,$(shell scripts/root32.sh mode)),$(BUILD32),$(BUILD64))
CONFIGURE = cmake -S . -G Ninja -DCMAKE_BUILD_TYPE=Release -DTELMORA_BUILD_TESTS=ON
# What runs the program goes through this: with TELMORA_EMULATE=1 on a machine
# whose kernel runs 32-bit programs, it runs under qemu-user in a namespace of
# its own, the rest of the machine untouched; otherwise as it is.
WITHIN = scripts/root32.sh within

.PHONY: all deps deps64 build build64 build32 layers test test64 native-check fuzz bench demo demo-lifecycle screenshots fleet clean

all: build

deps:
	scripts/install-deps.sh
	scripts/root32.sh ensure >/dev/null
	@if [ "$$(scripts/root32.sh mode)" = x86_64 ]; then scripts/install-deps.sh wine64; fi

# The host's 64-bit Wine, for the x86_64 build's own tests.
deps64:
	scripts/install-deps.sh
	scripts/install-deps.sh wine64

# Both builds, always with warnings as errors: the shipped i686 STNIN32.EXE and
# the x86_64 one, each with its tests, demo share and benchmarks.
build: deps build64 build32

build64:
	$(CONFIGURE) -B $(BUILD64) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
	cmake --build $(BUILD64) -j $(JOBS)

build32:
	$(CONFIGURE) -B $(BUILD32) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake
	cmake --build $(BUILD32) -j $(JOBS)

# The folders of src/ as layers: no file includes a header of a folder above
# its own (scripts/check-layers.sh holds the order). Runs before every test.
layers:
	scripts/check-layers.sh

# Every test of the build that runs here, then the native sanitizer check.
test: layers build
	JOBS=$(JOBS) $(WITHIN) scripts/run-tests.sh $(RUN_BUILD) $(NATIVE_BUILD) $(CHECK_FUZZ_SECONDS)

# The x86_64 build's tests under the host's 64-bit Wine: a quick check while
# working; it does not run the shipped EXE.
test64: layers deps64 build64
	JOBS=$(JOBS) scripts/run-tests.sh $(BUILD64)

# The pure text units built natively with AddressSanitizer and UBSan: their
# tests, a short run of every fuzzer and the replay of the seed corpora.
native-check:
	scripts/install-deps.sh
	JOBS=$(JOBS) scripts/native-check.sh $(CHECK_FUZZ_SECONDS) $(NATIVE_BUILD)

fuzz:
	scripts/install-deps.sh
	JOBS=$(JOBS) scripts/native-check.sh $(FUZZ_SECONDS) $(NATIVE_BUILD)

# Speed and memory under Wine, side by side with plain baselines.
bench: build
	$(WITHIN) scripts/with-closing-line.sh ran $(RUN_BUILD) scripts/bench.sh $(RUN_BUILD)

# A standard installation from the demo share on a fresh Wine PC that
# STNIN32.EXE sees as PERSONALITY (win95, nt351 or nt40), and what it changed.
demo: build
	$(WITHIN) scripts/with-closing-line.sh ran $(RUN_BUILD) scripts/demo.sh $(RUN_BUILD) $(PERSONALITY)

# The client's whole life (install, edit, copy, update, uninstall) on such a PC.
demo-lifecycle: build
	$(WITHIN) scripts/with-closing-line.sh ran $(RUN_BUILD) scripts/demo.sh $(RUN_BUILD) --lifecycle $(PERSONALITY)

# Every dialog template and the main window, in English and German, as PNG files.
screenshots: build
	$(WITHIN) scripts/with-closing-line.sh ran $(RUN_BUILD) scripts/screenshots.sh $(RUN_BUILD)

# A rollout through Ansible (installed when missing) to N Wine PCs at once
# from one demo share, Windows 95 and NT 4.0, some prepared to fail each way;
# Ansible's recap, the results by exit code, the times; checks deploy/.
fleet: build
	$(WITHIN) scripts/with-closing-line.sh ran $(RUN_BUILD) scripts/fleet.sh $(RUN_BUILD) $(N)

clean:
	rm -rf $(BUILD)

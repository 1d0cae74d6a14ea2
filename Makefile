# Thin wrapper around the CMake presets.
#   make deps   install missing Debian packages (as root or through sudo)
#   make demo   build release 19 and run the examples in hostsim
#   make check  quick loop: default configuration (r19), build and test,
#               without the fuzzing (make test runs it)
#   make test   the gate that CI runs: every configuration builds and runs its
#               suite (Linux r19, r16, asan, r18, r16b; Windows win-a ... win-f
#               under wine, x86 ones in a 32-bit prefix; the 32-bit Linux
#               builds directly or under qemu-i386), then a summary table,
#               also written to build/test-summary.tsv.
#               IRONVEIL_REQUIRE_ALL=1 fails it when a configuration cannot
#               run its suite on this machine.
#   make test-full  the same as make test (kept for habit)
#   make interop    builds r19 and runs every drawing of the DXF corpus
#               (../shared/dxf-corpus or $IRONVEIL_DXF_CORPUS) through
#               open, save and the watermark command, with a table of what
#               came back; not part of make test
#   make rebaseline rewrite the golden test's references (examples/golden/)
#               from a release 19 run; review them with git diff
JOBS ?= 2
LINUX_PRESETS ?= r19 r16 asan r18 r16b
WINDOWS_PRESETS ?= win-e win-c win-a win-b win-d win-f
M32_PRESETS ?= r16-m32 r19-m32
TEST_PRESETS ?= $(LINUX_PRESETS) $(WINDOWS_PRESETS) $(M32_PRESETS)
FULL_PRESETS ?= $(TEST_PRESETS)

# The compiler cache (ccache, used by CMakeLists.txt when installed) lives in
# the user's home, outside the clone, so later runs and other clones reuse it;
# CCACHE_BASEDIR makes paths inside the clone relative, so a clone in another
# folder hits the same entries.
export CCACHE_DIR ?= $(or $(HOME),/root)/.cache/ccache
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1
export CCACHE_MAXSIZE ?= 4G

.PHONY: deps demo check test test-full interop build-% test-% rebaseline

deps:
	@bash tools/deps.sh

build-%: deps
	cmake --preset $*
	cmake --build --preset $* -j $(JOBS)

test-%: build-%
	ctest --preset $* -j $(JOBS)

demo: build-r19
	@bash examples/run-demo.sh build/r19

check: build-r19
	ctest --preset r19 -j $(JOBS) --label-exclude fuzz

rebaseline: build-r19
	@bash examples/rebaseline.sh build/r19

test: deps
	@JOBS=$(JOBS) bash tools/test-all.sh $(TEST_PRESETS)

test-full: deps
	@JOBS=$(JOBS) bash tools/test-all.sh $(FULL_PRESETS)

interop: build-r19
	/usr/bin/python3 tools/interop.py --hostsim build/r19/bin/hostsim

# Thin wrapper around the CMake presets.
#   make deps   install missing Debian packages (as root or through sudo)
#   make demo   build release 19 and run the examples in hostsim
#   make check  quick loop: default configuration (r19), build and test
#   make test   the gate that CI runs: the Linux configurations (r19, r16, asan,
#               r18, r16b), the six Windows builds (win-a ... win-f; the x64
#               ones run the suite under wine), the 32-bit Linux builds, then
#               a summary table
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

check: test-r19

rebaseline: build-r19
	@bash examples/rebaseline.sh build/r19

test: deps
	@JOBS=$(JOBS) bash tools/test-all.sh $(TEST_PRESETS)

test-full: deps
	@JOBS=$(JOBS) bash tools/test-all.sh $(FULL_PRESETS)

interop: build-r19
	/usr/bin/python3 tools/interop.py --hostsim build/r19/bin/hostsim

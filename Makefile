# Thin wrapper around CMake presets.
#   make deps   install missing Debian packages (as root or through sudo)
#   make demo   build release 19 and watermark the example drawing in hostsim
#   make check  quick loop: default configuration, build and test
#   make test   the full gate that CI runs
JOBS ?= $(shell nproc)
TEST_PRESETS ?= r19 r16 asan

.PHONY: deps demo check test build-%  test-%

deps:
	@bash tools/deps.sh

build-%:
	cmake --preset $*
	cmake --build --preset $* -j $(JOBS)

test-%: build-%
	ctest --preset $* -j $(JOBS)

demo: deps build-r19
	@bash examples/run-demo.sh build/r19

check: build-r19
	ctest --preset r19 -j $(JOBS)

test: deps
	@bash tools/test-all.sh $(TEST_PRESETS)

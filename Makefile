# Front door: `make run` and `make test` (see README.md).
SHELL := /bin/bash
JOBS ?= 2
FUZZ_SECONDS ?= 20

.PHONY: run test setup native bench win32 win64 build test-native test-windows test-e2e fuzz clean

setup:
	@bash tools/setup.sh

native: setup
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

bench: setup
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS)

win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 -j $(JOBS)

win64: setup
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 -j $(JOBS)

build: native bench win32 win64

test-native: native
	@cd build/native && ctest --output-on-failure -j $(JOBS)

fuzz: native
	@bash tools/run-fuzzers.sh build/native $(FUZZ_SECONDS)

test-windows: win32 win64
	@bash tools/test-windows.sh

test: build test-native fuzz test-windows
	@echo "make test: all tests passed"

run: win32
	@bash tools/run.sh

clean:
	rm -rf build

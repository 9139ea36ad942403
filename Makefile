# Front door: `make run` and `make test` (see README.md).
SHELL := /bin/bash
JOBS ?= 2
FUZZ_SECONDS ?= 20

.PHONY: run test dist setup native bench win32 win64 build test-native test-windows test-e2e fuzz clean

setup:
	@bash tools/setup.sh

native: setup
	@bash tools/build.sh native $(JOBS)

bench: setup
	@bash tools/build.sh bench $(JOBS)

win32: setup
	@bash tools/build.sh win32 $(JOBS)

win64: setup
	@bash tools/build.sh win64 $(JOBS)

build: native bench win32 win64

test-native: native
	@echo "== native unit tests (ASan + UBSan)"
	@cd build/native && set -o pipefail && ctest --output-on-failure -j $(JOBS) | grep --line-buffered -vE "^\s*(Start|Test project)|^$$"

fuzz: native
	@bash tools/run-fuzzers.sh build/native $(FUZZ_SECONDS)

test-windows: win32 win64
	@bash tools/test-windows.sh

test: build test-native fuzz test-windows
	@echo "make test: all tests passed: native, fuzzers and the Windows builds $$(sed 's/ / and /' build/windows-tested); screenshots of every window are in build/$$(cut -d' ' -f1 build/windows-tested)/screenshots/"

run: setup
	@bash tools/run.sh

# The release files of the 32-bit program: dist/Vellory-<version>-setup.exe and -portable.zip.
dist: win32
	@cmake --build build/win32 --target dist >>build/win32.log 2>&1 || { tail -n 20 build/win32.log; exit 1; }
	@cd dist && for f in *; do echo "dist: $$f, $$(stat -c %s "$$f") bytes"; done

clean:
	rm -rf build dist

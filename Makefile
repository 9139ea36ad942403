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
	@echo "make test: all tests passed: native, fuzzers and the Windows builds $$(sed 's/ / and /' build/windows-tested); screenshots of every window are in build/win64/screenshots/"

run: setup
	@bash tools/run.sh

# The release files: dist/Vellory-<version>-setup.exe and -portable.zip with the 64-bit program,
# -32bit-setup.exe and -32bit-portable.zip with the 32-bit one. dist/ holds this release only.
dist: win32 win64
	@rm -rf dist
	@for b in win64 win32; do cmake --build build/$$b --target dist >>build/$$b.log 2>&1 || { tail -n 20 build/$$b.log; exit 1; }; done
	@cd dist && for f in *; do echo "dist: $$f, $$(stat -c %s "$$f") bytes"; done

clean:
	rm -rf build dist

# The two commands a newcomer needs: `make demo` and `make test`. Each first installs what
# the machine lacks (Debian packages, as root), then builds what it runs.
SHELL := /bin/bash
XVFB := xvfb-run -a -s "-screen 0 1024x768x24"

.PHONY: all bootstrap native native-asan fuzz windows test test-native test-asan \
        test-fuzz test-windows test-lane-windows test-lane-portable demo bench package clean

all: native windows

bootstrap:
	@bash scripts/bootstrap.sh

native: bootstrap
	cmake --preset native >/dev/null
	cmake --build --preset native

native-asan: bootstrap
	cmake --preset native-asan >/dev/null
	cmake --build --preset native-asan

# The fuzz targets are built in the sanitizer tree, beside the unit tests. Each runs for
# FUZZ_SECONDS: a smoke run in `make test`, the long run in `make fuzz` (e.g.
# `make fuzz FUZZ_SECONDS=3600`). The seconds are a configure setting, so switching between
# the two rebuilds nothing.
FUZZ_SMOKE_SECONDS := 10
FUZZ_SECONDS ?= 600

windows: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows

# One suite at a time; the test presets run two tests at a time.
test-native: native
	ctest --preset native

test-asan: native-asan
	ctest --preset native-asan

test-fuzz: native-asan
	cmake --preset native-asan -DFUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS) >/dev/null
	ctest --preset fuzz

fuzz: native-asan
	cmake --preset native-asan -DFUZZ_SECONDS=$(FUZZ_SECONDS) >/dev/null
	ctest --preset fuzz

# One Xvfb for the whole Wine run; the wine fixture starts and stops the prefix's server, and
# resource locks keep the tests that show windows apart (tests/e2e/CMakeLists.txt).
test-windows: windows
	$(XVFB) ctest --preset windows

# `make test` runs two lanes at once, each building with two jobs of its own:
# - the Windows build, with the Wine prefix made beside it, then the Wine tests;
# - the one native tree (clang, sanitizers, fuzz targets), then the unit tests and the fuzz
#   smoke runs, all at a lower priority (nice): its compiles take the cores the Windows lane
#   leaves, while that lane builds and then waits on Wine and the display, and the Wine tests
#   that time windows and message boxes keep the cores they need.
# The plain native tree (`make test-native`) would compile the same tests again and catch
# nothing more. MAKEFLAGS is cleared so that each build uses its own jobs, not this make's.
LOWER := nice -n 10

test: bootstrap
	$(MAKE) --no-print-directory -j2 --output-sync=target test-lane-windows test-lane-portable

test-lane-windows:
	cmake --preset windows >/dev/null
	build/windows/wine-prefix.sh prepare & MAKEFLAGS= cmake --build --preset windows; \
	    built=$$?; wait; exit $$built
	$(XVFB) ctest --preset windows

test-lane-portable:
	$(LOWER) cmake --preset native-asan -DFUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS) >/dev/null
	MAKEFLAGS= $(LOWER) cmake --build --preset native-asan
	$(LOWER) ctest --preset native-asan
	$(LOWER) ctest --preset fuzz

demo: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows --target Quillet KepLib kephost
	bash scripts/demo.sh build/windows

# The release ZIP dist/Quillet-<version>-win-x64.zip, the installer
# dist/Quillet-<version>-win-x64.msi and dist/SHA256SUMS: the programs of
# release/shipped-programs.txt, INSTALL.txt, finding-codes.txt, CHANGELOG.md, LICENSE, the
# policy template and samples/Quillet.def. Only what ships is built: the target Quillet
# builds the shipped programs and the installer's own steps (QuilletSetup.dll, in the MSI
# only) in one tree of their own (cmake/module-tree.cmake); no GoogleTest, no test program.
# `make package SIGN_PFX=FILE SIGN_PASSWORD_FILE=FILE` signs the DLL, the programs and the MSI;
# SIGN_TIMESTAMP_URL=URL (an RFC 3161 server) time-stamps the signatures.
package: bootstrap
	cmake --preset windows >/dev/null
	cmake --build --preset windows --target Quillet
	SIGN_PFX="$(SIGN_PFX)" SIGN_PASSWORD_FILE="$(SIGN_PASSWORD_FILE)" \
	    SIGN_TIMESTAMP_URL="$(SIGN_TIMESTAMP_URL)" \
	    bash scripts/package.sh build/windows dist

bench: native
	build/native/bin/rewrite_bench --benchmark_counters_tabular=true
	build/native/bin/rule_file_bench
	build/native/bin/journal_bench --benchmark_counters_tabular=true

clean:
	rm -rf build dist

# Korvane's front door. Every target first installs the Debian packages that are missing.
FUZZ_SECONDS ?= 60
STARTUP_RUNS ?= 10

.PHONY: all deps build run test check bench fuzz package clean windows test-windows bench-windows

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release

run: build
	@build/korvane

test: build
	@ctest --preset release

# The sanitizer build's tests (the monkey test among them, with leak checking),
# the system-call check of the real program, then a bounded fuzz run.
check: build
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan
	@ctest --preset release -R 'system_calls|monkey'
	@$(MAKE) --no-print-directory fuzz
	@$(MAKE) --no-print-directory test-windows

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/run-fuzz.sh $(FUZZ_SECONDS)

# A Debian package of the program: build/korvane_<version>_<arch>.deb
package: build
	@cd build && cpack

# Korvane.exe and its installer, cross-built with MinGW-w64: build-windows/
windows:
	@scripts/install-deps.sh windows
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

# Korvane.exe and its installer under Wine in Xvfb.
test-windows: windows
	@ctest --preset windows

bench-windows: windows
	@/usr/bin/python3 bench/startup.py --wine build-windows/Korvane.exe build-windows/bench/bare_window.exe $(STARTUP_RUNS)

bench: build
	@build/bench/calc_bench
	@/usr/bin/python3 bench/startup.py build/korvane build/bench/bare_window $(STARTUP_RUNS)

clean:
	rm -rf build build-asan build-fuzz build-windows

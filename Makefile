# Korvane's front door. Every target first installs the Debian packages that are missing.
FUZZ_SECONDS ?= 60
STARTUP_RUNS ?= 10

.PHONY: all deps build run test check check-debian13 check-debian-package bench fuzz package clean web test-web serve bench-web windows test-windows bench-windows

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux

run: build
	@build/korvane

# Each build's tests run from its own folder: the Linux program's, then the web page's.
test: build web node_modules/.package-lock.json
	@ctest --preset linux; linux=$$?; ctest --preset web && exit $$linux

# The web page: build-web/site, a static folder for any web host.
web:
	@scripts/install-deps.sh web
	@cmake --preset web >/dev/null
	@cmake --build --preset web

# The web page's tests: its core against the native one, and the page in three engines.
test-web: web node_modules/.package-lock.json
	@ctest --preset web

# The page for a quick try in a browser on this machine: make serve [PORT=8080]
PORT ?= 8000
serve: web
	@echo "Korvane: http://127.0.0.1:$(PORT)/"
	@cd build-web/site && /usr/bin/python3 -m http.server $(PORT) --bind 127.0.0.1

# The browser drivers and axe-core for the page's tests, as package-lock.json pins them; they never
# download a browser.
node_modules/.package-lock.json: package.json package-lock.json
	@PUPPETEER_SKIP_DOWNLOAD=1 PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error

# The sanitizer build's tests (the monkey test among them, with leak checking),
# the system-call check of the real program, the WebAssembly core against the native
# one on a million generated requests, a bounded fuzz run, then the
# Windows program and its installer under Wine; then two release builds of HEAD, which must
# be identical.
check: build
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan
	@ctest --preset linux -R 'system_calls|monkey'
	@$(MAKE) --no-print-directory web
	@log=$$(mktemp) && if KORVANE_GENERATED_CASES=1000000 ctest --preset web -R web_core_compare --verbose >$$log 2>&1; \
	  then grep '# generated' $$log; rm $$log; else cat $$log; rm $$log; false; fi
	@$(MAKE) --no-print-directory fuzz
	@$(MAKE) --no-print-directory test-windows
	@$(MAKE) --no-print-directory check-release

# The same as a new user of Debian 13 gets it: make test, the package installed,
# and the Windows tests under Debian 13's Wine, in a fresh clone of HEAD inside
# a Debian 13 root as debootstrap made it, under a layer thrown away after the run
# (see scripts/check-debian13.sh).
check-debian13:
	@scripts/check-debian13.sh

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/run-fuzz.sh $(FUZZ_SECONDS)

# The Debian package of the working tree, built by dpkg-buildpackage from debian/:
# build/korvane_<version>-<revision>_<arch>.deb
package: deps
	@scripts/build-deb.sh . build

# The source package built in fresh Debian 12 and 13 roots with sbuild, lintian on what each
# made, the installed program's autopkgtest, and two builds compared byte for byte
# (scripts/check-debian-package.sh).
check-debian-package:
	@scripts/check-debian-package.sh

# Korvane.exe and its installer, cross-built with MinGW-w64: build-windows/
windows:
	@scripts/install-deps.sh windows
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

# Korvane.exe and its installer under Wine in Xvfb.
test-windows: windows
	@ctest --preset windows

bench-windows: windows
	@/usr/bin/python3 bench/startup.py --wine --empty build-windows/bench/empty_window.exe build-windows/Korvane.exe build-windows/bench/bare_window.exe $(STARTUP_RUNS)

bench: build
	@build/bench/calc_bench
	@/usr/bin/python3 bench/startup.py build/korvane build/bench/bare_window $(STARTUP_RUNS)

# The page's weight on a first visit and its time to the first report against its floor page.
bench-web: web node_modules/.package-lock.json
	@node bench/web_first_report.mjs build-web/site build-web/floor $(STARTUP_RUNS)

.PHONY: release check-release

# A release of the commit at HEAD in dist/: the Debian package, Korvane.exe, its setup program
# and MSI, the site and the source as tarballs, and SHA256SUMS. Refuses a tree with uncommitted
# changes. make release SIGN_PKCS12=<file> SIGN_PASSWORD_FILE=<file> signs the Windows files;
# make release SIGN_OPENPGP=<file> adds the signed APT repository (make hands each to
# scripts/release.sh in its environment).
release:
	@scripts/install-deps.sh web windows release
	@scripts/release.sh

# Two releases of HEAD in two fresh clones at different paths and times, signed with a
# throwaway key, must be identical, and their signatures must verify.
check-release:
	@scripts/install-deps.sh web windows release
	@scripts/compare-releases.sh

clean:
	rm -rf build build-asan build-fuzz build-web build-windows build-dist-* build-release dist

#!/usr/bin/env bash
# Installs the Debian packages that Korvane needs, on Debian 12 or 13, and only
# those that are missing. Prints what it installs; silent otherwise. Waits for
# another apt or dpkg (an unattended upgrade, say) instead of failing.
#   scripts/install-deps.sh            the Linux program and its tests
#   scripts/install-deps.sh web        the same, and the web page's toolchain, browsers and Node
#   scripts/install-deps.sh windows    the same, and the Windows cross build, installer and Wine
#   scripts/install-deps.sh debian13   the same, and debootstrap for the Debian 13 check
#   scripts/install-deps.sh release    the same, and what a release and its comparison need
#   scripts/install-deps.sh apt-repository
#                                      the same, and what writes, signs and checks the APT repository
#   scripts/install-deps.sh debian-package
#                                      the same, and sbuild, mmdebstrap, autopkgtest and the checkers
#                                      of a source package
#   scripts/install-deps.sh --wasm-llvm-version
#                                      the LLVM version the web page is compiled with: the one whose
#                                      libc++ for wasm32 is installed (cmake/wasm32-wasi.cmake asks)
#   scripts/install-deps.sh --build-packages
#                                      the packages that build the program, the page and Korvane.exe,
#                                      whose versions a release names
set -euo pipefail

# Each group's packages: what builds, then what only its tests need.
linux_build=(
  cmake ninja-build g++ make pkg-config git dpkg-dev
  # the Debian package, built by dpkg-buildpackage from debian/
  debhelper
  # the window: Qt 6 Widgets, and the face that stands in for Times New Roman
  qt6-base-dev fonts-liberation2
)
linux_test=(
  # tests, benchmark, and fuzzing with the release's own clang
  libgtest-dev libbenchmark-dev clang libclang-rt-dev
  # the real window under a virtual display, its screenshot, its accessibility tree, its system calls
  python3 xvfb x11-utils xdotool imagemagick dbus at-spi2-core python3-pyatspi strace
  # the Debian package and the Windows version record, and the tools that check them
  appstream desktop-file-utils binutils-mingw-w64-x86-64 lintian
  # the release scripts' refusal of a key that cannot sign the APT repository
  gpg gpg-agent
)
web_build=(
  # the core in WebAssembly (its LLVM version is added below), the page's web font and icons
  wasi-libc woff2 python3-fonttools python3-pil
)
web_test=(
  # the page's tests and benchmark, driven from Node: headless Chromium and Firefox ESR, and WebKitGTK's
  # MiniBrowser through its WebDriver (in Xvfb, its language from a locale that localedef compiles)
  chromium nodejs firefox-esr webkit2gtk-driver locales
)
windows_build=(
  # the cross compilers, for 64-bit and 32-bit Windows, and the installer builder
  gcc-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  gcc-mingw-w64-i686-win32 g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev nsis
  # makensis and its stub built from Debian's nsis source (scripts/build-nsis.sh)
  scons patch zlib1g-dev
  # the photograph's JPEG decoder, header only
  libstb-dev
  # the Windows Installer package (wixl), its reader (msitools) and the writer of its pinned summary
  # information (python3-olefile), and Authenticode signing of a release (osslsigncode)
  wixl msitools python3-olefile osslsigncode
)
windows_test=(
  # Wine to run the program, its installers and its tests (GoogleTest's source, built for Windows),
  # and the reader of the executable
  wine wine64 libgtest-dev python3-pefile
  # the winget manifest of a release and its check against the manifest schemas
  python3-yaml python3-jsonschema
)
apt_repository=(
  # the APT repository: its indexes, its OpenPGP signatures, and Debian's two verifiers of them
  apt-utils xz-utils gpg gpg-agent gpgv sqv
)
debian_package=(
  # make check-debian-package: the source package built in fresh Debian roots (sbuild in unshare
  # mode, roots made by mmdebstrap), its build log's flags, lintian, the installed program's
  # autopkgtest, and Debian's report of where two builds differ
  sbuild mmdebstrap uidmap autopkgtest blhc lintian diffoscope-minimal
)
release_packages=(
  # make release and its check: the source from git, and Debian's report of where two builds differ
  # with its readers of packages, archives, binaries, WebAssembly and fonts, and 7-Zip, which
  # unpacks an NSIS installer. Without Recommends: diffoscope-minimal recommends some 250
  # packages that these files never need.
  git diffoscope-minimal python3-debian libarchive-tools xxd wabt fonttools 7zip
  "${apt_repository[@]}"
)

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
apt_get() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 "$@"
}

# apt's package lists, fetched once per run when something is to be installed
# or looked up. The lists' own lock is not covered by DPkg::Lock::Timeout, so
# a busy apt is waited for here, within the same bound. update_lists try: a
# failure is returned, not fatal.
lists_updated=false
update_lists() {
  $lists_updated && return 0
  local deadline=$((SECONDS + 900)) errors
  until errors=$(apt_get update -qq 2>&1 >/dev/null); do
    if ! grep -qi 'lock' <<<"$errors" || [ "$SECONDS" -ge "$deadline" ]; then
      [ "${1:-}" = try ] && return 1
      echo "$errors" >&2
      exit 1
    fi
    echo "install-deps.sh: another apt holds the package lists; waiting" >&2
    sleep 5  # a poll interval, not a wait for the outcome
  done
  lists_updated=true
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# The LLVM version for WebAssembly: the one whose libc++ for wasm32 is installed (Debian lets
# only one be), else the newest that apt offers (libc++ reads floating-point numbers with
# from_chars from version 20 on).
installed_wasm_llvm() {
  dpkg-query -W -f='${Status} ${Package}\n' 'libc++-*-dev-wasm32' 2>/dev/null |
    sed -nE 's/^install ok installed libc\+\+-([0-9]+)-dev-wasm32$/\1/p' | sort -n | tail -n 1
}
wasm_llvm_version() {
  local version
  version=$(installed_wasm_llvm)
  if [ -z "$version" ] || [ "$version" -lt 20 ]; then
    update_lists
    version=$(apt-cache pkgnames 'libc++-' | sed -nE 's/^libc\+\+-([0-9]+)-dev-wasm32$/\1/p' | sort -n | tail -n 1)
  fi
  if [ -z "$version" ] || [ "$version" -lt 20 ]; then
    echo "install-deps.sh: this release offers no libc++ for WebAssembly from LLVM 20 on" >&2
    exit 1
  fi
  echo "$version"
}
wasm_llvm_packages() {
  echo "clang-$1 lld-$1 libc++-$1-dev-wasm32 libc++abi-$1-dev-wasm32 libclang-rt-$1-dev-wasm32"
}

case "${1:-}" in
  --wasm-llvm-version)
    installed_wasm_llvm | grep . && exit 0
    echo "install-deps.sh: no libc++ for wasm32 is installed (scripts/install-deps.sh web)" >&2
    exit 1
    ;;
  --build-packages)
    llvm=$(installed_wasm_llvm)
    printf '%s\n' "${linux_build[@]}" "${web_build[@]}" "${windows_build[@]}" ${llvm:+$(wasm_llvm_packages "$llvm")}
    exit 0
    ;;
esac

packages=("${linux_build[@]}" "${linux_test[@]}")
want_wine32=false
without_recommends=()
for group in "$@"; do
  case "$group" in
    release) without_recommends+=("${release_packages[@]}") ;;
    web)
      llvm=$(wasm_llvm_version)
      packages+=("${web_build[@]}" "${web_test[@]}" $(wasm_llvm_packages "$llvm"))
      # Some builds of Node.js bring npm along; Debian's own needs Debian's npm.
      command -v npm >/dev/null || packages+=(npm)
      ;;
    windows) packages+=("${windows_build[@]}" "${windows_test[@]}"); want_wine32=true ;;
    debian13) packages+=(debootstrap) ;;
    apt-repository) packages+=("${apt_repository[@]}") ;;
    debian-package) without_recommends+=("${debian_package[@]}") ;;
    *) echo "install-deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
lean=()
for package in "${without_recommends[@]}"; do
  installed "$package" || lean+=("$package")
done
if [ "${#missing[@]}" -gt 0 ] || [ "${#lean[@]}" -gt 0 ]; then
  echo "Installing Debian packages: ${missing[*]} ${lean[*]}"
  update_lists
  [ "${#missing[@]}" -eq 0 ] || apt_get install -y -qq "${missing[@]}"
  [ "${#lean[@]}" -eq 0 ] || apt_get install -y -qq --no-install-recommends "${lean[@]}"
fi

# 32-bit Wine, for the tests of the 32-bit Korvane.exe: Debian's i386 packages. Where they do
# not install (an i386 index that fails to download, versions that differ from the installed
# amd64 ones), i386 goes again, so that later apt runs work as before, and the 32-bit tests say
# they are skipped. A failure is tried again on the next day, not at every build.
failed_wine32=${XDG_CACHE_HOME:-$HOME/.cache}/korvane/wine32-failed
if $want_wine32 && ! installed wine32:i386 && [ "$(cat "$failed_wine32" 2>/dev/null)" != "$(date +%F)" ]; then
  echo "Installing Debian packages: wine32:i386 (32-bit Wine)"
  added_i386=false
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
    added_i386=true
    lists_updated=false
  fi
  why=
  if ! update_lists try; then
    why="the package lists with i386 do not download"
  elif ! apt_get install -y -qq wine32:i386 >/dev/null 2>&1; then
    why="apt-get cannot install it"
  fi
  if [ -z "$why" ]; then
    rm -f "$failed_wine32"
  else
    echo "install-deps.sh: 32-bit Wine (wine32:i386) does not install here ($why); the 32-bit tests are skipped" >&2
    if $added_i386; then
      "${as_root[@]}" dpkg --remove-architecture i386
      lists_updated=false
      update_lists
    fi
    mkdir -p "${failed_wine32%/*}" && date +%F >"$failed_wine32"
  fi
fi

#!/usr/bin/env bash
# Installs the Debian 12 packages that Korvane needs, and only those that are
# missing. Prints what it installs; silent otherwise.
#   scripts/install-deps.sh            the Linux program and its tests
#   scripts/install-deps.sh web        the same, and the web page's toolchain, browser and Node
#   scripts/install-deps.sh windows    the same, and the Windows cross build, installer and Wine
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ make pkg-config
  # the window: Qt 6 Widgets, and the face that stands in for Times New Roman
  qt6-base-dev fonts-liberation2
  # tests, benchmark, fuzzing
  libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  # the real window under a virtual display, its screenshot, its accessibility tree, its system calls
  python3 xvfb x11-utils xdotool imagemagick dbus at-spi2-core python3-pyatspi strace
  # the Debian package and the Windows version record, and the tools that check them
  dpkg-dev appstream desktop-file-utils binutils-mingw-w64-x86-64 lintian
)
web_packages=(
  # the core in WebAssembly, and the page's web font and icons
  clang-22 lld-22 wasi-libc libc++-22-dev-wasm32 libc++abi-22-dev-wasm32 libclang-rt-22-dev-wasm32
  woff2 python3-fonttools python3-pil
  # the page's tests and benchmark: headless Chromium driven from Node
  chromium nodejs
)
windows_packages=(
  # the cross compiler, the installer builder, Wine to run both, and the reader of the executable
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev nsis wine wine64 python3-pefile
  # the photograph's JPEG decoder, header only
  libstb-dev
)

for group in "$@"; do
  case "$group" in
    web)
      packages+=("${web_packages[@]}")
      # Some builds of Node.js bring npm along; Debian's own needs Debian's npm.
      command -v npm >/dev/null || packages+=(npm)
      ;;
    windows) packages+=("${windows_packages[@]}") ;;
    *) echo "install-deps.sh: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ "${#missing[@]}" -eq 0 ] && exit 0

echo "Installing Debian packages: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq "${missing[@]}"

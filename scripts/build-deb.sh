#!/usr/bin/env bash
# Builds Korvane's Debian package with dpkg-buildpackage from a source folder (a clone or an
# unpacked release tarball) into an output folder: korvane_<version>_<arch>.deb, its debug
# symbols, .buildinfo and .changes. Prints the package's path.
#
# The source is copied first, without its build folders, so that the build writes nothing into
# it. The package's dates are SOURCE_DATE_EPOCH where it is set (a release sets the commit's),
# else debian/changelog's; either way two builds of one source give the same bytes.
#   scripts/build-deb.sh SOURCE_FOLDER OUTPUT_FOLDER [dpkg-buildpackage options...]
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 SOURCE_FOLDER OUTPUT_FOLDER [dpkg-buildpackage options...]" >&2; exit 2; }
src=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
shift 2

work=$(mktemp -d "$out/.build-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
upstream=$(cd "$src" && dpkg-parsechangelog -SVersion | sed 's/-[^-]*$//')
tree=$work/korvane-$upstream
mkdir "$tree"
# The folders that .gitignore names at the top are builds, not source.
tar -C "$src" --anchored --exclude-vcs --exclude=./build --exclude='./build-*' --exclude=./dist \
    --exclude=./node_modules --exclude='./obj-*' --exclude=./debian/.debhelper -cf - . | tar -C "$tree" -xf -

case " ${DEB_BUILD_OPTIONS:-} " in
  *" parallel="*) ;;
  *) export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=$(nproc)" ;;
esac
log=$work/build.log
if ! (cd "$tree" && dpkg-buildpackage -b -us -uc "$@") >"$log" 2>&1; then
  tail -n 60 "$log" >&2
  echo "build-deb: dpkg-buildpackage failed; the last lines of its log are above" >&2
  exit 1
fi
debs=("$work"/korvane_*.deb)
mv "$work"/*.deb "$work"/*.buildinfo "$work"/*.changes "$out/"
cp "$log" "$out/korvane-build.log"
echo "$out/$(basename "${debs[0]}")"

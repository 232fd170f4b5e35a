#!/usr/bin/env bash
# The NSIS that builds Korvane's installer, in OUT: makensis and the one stub the installer
# uses (lzma_solid-amd64-unicode), both built from Debian's nsis source with the stub's base
# relocations kept (windows/nsis.patch), so that the setup program and its
# uninstaller can be loaded at a random address. Everything else (Include, Contrib, Plugins)
# comes from Debian's nsis package through links. Run makensis as NSISDIR=OUT OUT/makensis.
#   scripts/build-nsis.sh OUT
# The source is the one Debian release KORVANE_NSIS_SUITE (default trixie) ships: apt fetches
# it through a private list of source packages kept in OUT, and checks it against the archive's
# signed index. Output is the same, byte for byte, in any folder and at any time.
set -euo pipefail
out=$(realpath -m "$1")
suite=${KORVANE_NSIS_SUITE:-trixie}
stub=lzma_solid-amd64-unicode
patch_file=$(realpath "$(dirname "$0")/../windows/nsis.patch")
started=$SECONDS

# apt with only the archive's source index for $suite, in OUT/apt.
. /etc/os-release
archive=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
  awk -v release="$VERSION_CODENAME" '$2 == release && $3 == "main" { print $1; exit }')
[ -n "$archive" ] || { echo "build-nsis: no Debian archive for $VERSION_CODENAME in apt's sources" >&2; exit 1; }
apt_dir=$out/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$out/src"
printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] %s %s main\n' "$archive" "$suite" \
  >"$apt_dir/sources.list"
apt=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=/nonexistent
     -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")
[ "$(id -u)" -ne 0 ] || apt+=(-o APT::Sandbox::User=root)
apt-get "${apt[@]}" update -qq
version=$(apt-cache "${apt[@]}" showsrc nsis 2>/dev/null | awk '/^Version:/ { print $2; exit }')
[ -n "$version" ] || { echo "build-nsis: $suite has no nsis source" >&2; exit 1; }
upstream=${version%-*}
upstream=${upstream#*:}

# The upstream source, unpacked afresh and patched.
src=$out/src/nsis-$upstream
stamp="nsis $version, patch $(sha256sum <"$patch_file" | cut -c1-64)"
if [ "$(cat "$src/.patched" 2>/dev/null)" != "$stamp" ]; then
  (cd "$out/src" && rm -f nsis_"$upstream".orig.tar.* &&
     apt-get "${apt[@]}" source -qq --tar-only --download-only "nsis=$version" >/dev/null)
  rm -rf "$src" && mkdir -p "$src"
  tar -xf "$out"/src/nsis_"$upstream".orig.tar.* -C "$src" --strip-components=1
  # The stub's time stamp: the source's own newest file, the same for every build of it.
  epoch=$(find "$src" -type f -printf '%T@\n' | sort -n | tail -n 1 | cut -d. -f1)
  echo "$epoch" >"$src/.epoch"
  patch -s -p1 -d "$src" <"$patch_file"
  echo "$stamp" >"$src/.patched"
fi
epoch=$(cat "$src/.epoch")
IFS=.- read -r major minor revision _ <<<"$upstream"
scons=(scons -C "$src" -Q -j2 VERSION="$version" VER_MAJOR="$major" VER_MINOR="$minor" VER_REVISION="${revision:-0}"
       UNICODE=yes PREFIX=/usr PREFIX_CONF=/etc SOURCE_DATE_EPOCH="$epoch"
       SKIPPLUGINS=all SKIPUTILS=all SKIPMISC=all SKIPDOC=all)
"${scons[@]}" SKIPSTUBS=all makensis >"$out/build.log" 2>&1 ||
  { tail -n 30 "$out/build.log"; echo "build-nsis: makensis did not build" >&2; exit 1; }
"${scons[@]}" TARGET_ARCH=amd64 XGCC_W32_PREFIX=x86_64-w64-mingw32- "build/urelease/stub_${stub%%-*}-amd64-unicode" \
  >>"$out/build.log" 2>&1 || { tail -n 30 "$out/build.log"; echo "build-nsis: the stub did not build" >&2; exit 1; }

# OUT as an NSIS folder: Debian's data, its other stubs, and the two programs built here.
for part in Bin Contrib Include Plugins; do ln -sfn "/usr/share/nsis/$part" "$out/$part"; done
mkdir -p "$out/Stubs"
for file in /usr/share/nsis/Stubs/*; do ln -sfn "$file" "$out/Stubs/"; done
rm -f "$out/Stubs/$stub" "$out/makensis"
cp "$src/build/urelease/stub_${stub%%-*}-amd64-unicode/stub_${stub%%_*}.exe" "$out/Stubs/$stub"
cp "$src/build/urelease/makensis/makensis" "$out/makensis"
echo "build-nsis: makensis and the $stub stub of nsis $version in $((SECONDS - started)) s"

#!/usr/bin/env bash
# The NSIS that builds Korvane's setup programs, in OUT: makensis and the two stubs they use
# (lzma_solid-amd64-unicode for 64-bit Windows, lzma_solid-x86-unicode for 32-bit), all built
# from Debian's nsis source with the stubs' base relocations kept (windows/nsis.patch), so that
# the setup programs and their uninstallers can be loaded at a random address. Everything else (Include, Contrib, Plugins)
# comes from Debian's nsis package through links. Run makensis as NSISDIR=OUT OUT/makensis.
#   scripts/build-nsis.sh OUT
# The source is pinned: one version of Debian's nsis source package, and the SHA-256 of its
# upstream tarball, so that a release can be rebuilt after Debian moves on. apt fetches it from
# the Debian release KORVANE_NSIS_SUITE (default trixie) through a private list of source
# packages kept in OUT, and checks it against the archive's signed index; the pinned checksum
# is checked after that. Where the archive no longer has that version, the tarball put into
# OUT/src by hand (from snapshot.debian.org, say) is used once its checksum matches. Output is
# the same, byte for byte, in any folder and at any time.
set -euo pipefail
out=$(realpath -m "$1")
suite=${KORVANE_NSIS_SUITE:-trixie}
version=3.11-1
orig=nsis_3.11.orig.tar.gz
orig_sha256=9643566e50357918f23c0c4afdac0be8b5305b031b3aeb69f86c17a0a7eb469d
stubs=(lzma_solid-amd64-unicode lzma_solid-x86-unicode)
patch_file=$(realpath "$(dirname "$0")/../windows/nsis.patch")
started=$SECONDS

upstream=${version%-*}
upstream=${upstream#*:}
mkdir -p "$out/src"
pinned() { echo "$orig_sha256  $out/src/$orig" | sha256sum --check --status 2>/dev/null; }

# apt with only the archive's source index for $suite, in OUT/apt.
fetch_source() {
  . /etc/os-release
  local archive apt_dir apt
  archive=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
    awk -v release="$VERSION_CODENAME" '$2 == release && $3 == "main" { print $1; exit }')
  [ -n "$archive" ] || { echo "build-nsis: no Debian archive for $VERSION_CODENAME in apt's sources" >&2; exit 1; }
  apt_dir=$out/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] %s %s main\n' "$archive" "$suite" \
    >"$apt_dir/sources.list"
  apt=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=/nonexistent
       -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")
  [ "$(id -u)" -ne 0 ] || apt+=(-o APT::Sandbox::User=root)
  apt-get "${apt[@]}" update -qq
  rm -f "$out/src/$orig"
  if ! (cd "$out/src" && apt-get "${apt[@]}" source -qq --tar-only --download-only "nsis=$version") >/dev/null 2>&1; then
    echo "build-nsis: Debian $suite no longer has the nsis source $version that Korvane's installer is built" \
      "from (it has: $(apt-cache "${apt[@]}" showsrc nsis 2>/dev/null | awk '/^Version:/ { print $2 }' | paste -sd ' '))." \
      "Put $orig (SHA-256 $orig_sha256) into $out/src, from" \
      "https://snapshot.debian.org/package/nsis/$version/ for example, and build again." >&2
    exit 1
  fi
  pinned || { echo "build-nsis: $orig from Debian $suite is not the pinned one (SHA-256 $orig_sha256)" >&2; exit 1; }
}

# The upstream source, unpacked afresh and patched.
src=$out/src/nsis-$upstream
stamp="nsis $version, patch $(sha256sum <"$patch_file" | cut -c1-64)"
if [ "$(cat "$src/.patched" 2>/dev/null)" != "$stamp" ]; then
  pinned || fetch_source
  rm -rf "$src" && mkdir -p "$src"
  tar -xf "$out/src/$orig" -C "$src" --strip-components=1
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
declare -A prefix=([amd64]=x86_64-w64-mingw32- [x86]=i686-w64-mingw32-)
for stub in "${stubs[@]}"; do
  arch=${stub#*-} arch=${arch%-unicode}
  "${scons[@]}" TARGET_ARCH="$arch" XGCC_W32_PREFIX="${prefix[$arch]}" "build/urelease/stub_${stub%%-*}-$arch-unicode" \
    >>"$out/build.log" 2>&1 || { tail -n 30 "$out/build.log"; echo "build-nsis: the $stub stub did not build" >&2; exit 1; }
done

# OUT as an NSIS folder: Debian's data, its other stubs, and the programs built here.
for part in Bin Contrib Include Plugins; do ln -sfn "/usr/share/nsis/$part" "$out/$part"; done
mkdir -p "$out/Stubs"
for file in /usr/share/nsis/Stubs/*; do ln -sfn "$file" "$out/Stubs/"; done
for stub in "${stubs[@]}"; do
  rm -f "$out/Stubs/$stub"
  cp "$src/build/urelease/stub_$stub/stub_${stub%%_*}.exe" "$out/Stubs/$stub"
done
rm -f "$out/makensis"
cp "$src/build/urelease/makensis/makensis" "$out/makensis"
echo "build-nsis: makensis and the ${stubs[*]} stubs of nsis $version in $((SECONDS - started)) s"

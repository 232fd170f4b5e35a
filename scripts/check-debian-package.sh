#!/usr/bin/env bash
# Checks Korvane's Debian source package as Debian's own infrastructure would, on the commit at
# HEAD (a check of a commit, like a release):
#   1. the source package: the orig tarball is the release's source tarball (git archive), the
#      Debian part is debian/ (dpkg-source, 3.0 (quilt));
#   2. for Debian 12 and 13: sbuild in unshare mode builds it in a fresh root that holds only
#      build-essential and the Build-Depends, running the unit tests; blhc reads the build log
#      for missing hardening flags; that release's own lintian --pedantic, run by sbuild in the
#      root, checks the .dsc, the .changes and the .deb (no error, no warning); autopkgtest runs debian/tests on the
#      installed package in another fresh root of that release (autopkgtest-virt-unshare);
#   3. two builds of the package on this machine, with what reproducible-builds varies (build
#      path, time zone, locale, umask, user, parallel jobs), must give identical .deb files.
#
# The roots are mmdebstrap tarballs kept in ~/.cache/korvane/sbuild/, read only by every run and
# made again after a week (security updates) or when Debian publishes a point release; delete
# the folder to start over. KORVANE_SBUILD_CACHE chooses another folder; one that exists and was
# not made by this check is refused, never emptied. KORVANE_SBUILD_SUITES chooses the releases.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${KORVANE_SBUILD_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvane/sbuild}
suites=${KORVANE_SBUILD_SUITES:-bookworm trixie}
marker=.korvane-sbuild
max_age_days=7

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=KORVANE_SBUILD_CACHE,KORVANE_SBUILD_SUITES,KORVANE_DEBIAN_MIRROR,CI "$0" "$@"
fi
"$repo/scripts/install-deps.sh" debian-package
started=$SECONDS
say() { echo "check-debian-package: $*"; }
fail() { echo "check-debian-package: $*" >&2; exit 1; }

# Unshare mode maps the roots' users to a subordinate id range of root's.
for ids in /etc/subuid /etc/subgid; do
  grep -qs '^root:' "$ids" || { echo "root:100000:65536" >>"$ids"; say "added root's subordinate ids to $ids"; }
done

if [ -e "$cache" ] && [ ! -e "$cache/$marker" ] && [ -n "$(ls -A "$cache" 2>/dev/null || echo unreadable)" ]; then
  fail "$cache is not a folder of this check (it has no $marker); refusing to use it." \
    "Point KORVANE_SBUILD_CACHE at an empty or new folder."
fi
mkdir -p "$cache"
echo "The Debian package check's build roots (scripts/check-debian-package.sh); delete the folder to start over." \
  >"$cache/$marker"
exec {lock}>"$cache/.lock"
flock "$lock"

# Debian's archive and its security archive, as this machine's apt reaches them.
archive_site() {
  apt-get indextargets --format '$(SITE) $(RELEASE)' 'Identifier: Packages' 2>/dev/null |
    awk -v suite="$1" '$2 ~ suite { print $1; exit }'
}
mirror=${KORVANE_DEBIAN_MIRROR:-$(archive_site '^[a-z]+$')}
security=$(archive_site '-security$')
[ -n "$mirror" ] || fail "this machine's apt names no Debian archive; set KORVANE_DEBIAN_MIRROR"
security=${security:-${mirror%/debian}/debian-security}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"  # apt downloads as its own unprivileged user

# A suite's root, made again when it is older than a week or the archive has a newer point
# release ("Version: 13.3" in the suite's Release file) than the one it was made from.
root_of() {
  local suite=$1 tarball=$cache/$1.tar now=
  if /usr/lib/apt/apt-helper -qq download-file "$mirror/dists/$suite/InRelease" "$work/$suite.InRelease" \
       >/dev/null 2>&1; then
    now=$(grep -m1 '^Version:' "$work/$suite.InRelease" || true)
  else
    echo "check-debian-package: warning: cannot read $mirror/dists/$suite/InRelease; the root of $suite is not checked for a point release" >&2
  fi
  if [ ! -f "$tarball" ] || [ ! -f "$tarball.release" ] ||
     [ -n "$(find "$tarball" -mtime +"$((max_age_days - 1))")" ] ||
     { [ -n "$now" ] && [ "$now" != "$(cat "$tarball.release")" ]; }; then
    say "making the build root of $suite (${now:-release not known}) in $tarball" >&2
    rm -f "$tarball" "$tarball.release"
    mmdebstrap --quiet --variant=buildd --mode=unshare "$suite" "$cache/$suite.new.tar" \
      "deb $mirror $suite main" "deb $mirror $suite-updates main" "deb $security $suite-security main" >&2
    mv "$cache/$suite.new.tar" "$tarball"
    echo "${now:-unknown}" >"$tarball.release"
  fi
  echo "$tarball"
}

# The source package of HEAD: the orig tarball as scripts/release.sh makes the release's source
# tarball, and the Debian part from its debian/.
commit=$(git -C "$repo" rev-parse HEAD)
version=$(git -C "$repo" show "$commit:debian/changelog" | dpkg-parsechangelog -l- -SVersion)
upstream=${version%-*}
git -C "$repo" -c tar.umask=0022 -c core.autocrlf=false -c core.eol=lf -c core.attributesFile=/dev/null \
  archive --format=tar --prefix="korvane-$upstream/" "$commit" | gzip -9n >"$work/korvane_$upstream.orig.tar.gz"
mkdir "$work/source"
cp "$work/korvane_$upstream.orig.tar.gz" "$work/source/"
tar -xzf "$work/korvane_$upstream.orig.tar.gz" -C "$work/source"
(cd "$work/source" && dpkg-source -b "korvane-$upstream" >/dev/null)
dsc=$work/source/korvane_$version.dsc
say "korvane $version from commit $(git -C "$repo" rev-parse --short HEAD)"

# lintian's errors and warnings in its output; every tag it printed is kept for the summary.
lintian_verdict() {  # $1: what was checked, $2: lintian's output
  grep -E '^[A-Z]: korvane' "$2" | sed "s/^/  $1: /" >>"$work/tags" || true
  if grep -qE '^(E|W): korvane' "$2"; then
    grep -E '^(E|W): korvane' "$2" >&2
    fail "lintian on $1 found errors or warnings"
  fi
}

arch=$(dpkg --print-architecture)
for suite in $suites; do
  tarball=$(root_of "$suite")
  out=$work/$suite
  mkdir "$out"
  step=$SECONDS
  # The root decides the release; the .changes names debian/changelog's distribution.
  if ! sbuild --chroot-mode=unshare --chroot="$tarball" --dist=unstable --build-dir="$out" \
         --run-lintian --lintian-opts="--pedantic --info --show-overrides --tag-display-limit 0" \
         --no-run-autopkgtest --no-run-piuparts --nolog "$dsc" >"$out/build.log" 2>&1; then
    tail -n 80 "$out/build.log" >&2
    fail "sbuild could not build the package on $suite; its log's end is above"
  fi
  deb=$out/korvane_${version}_$arch.deb
  [ -f "$deb" ] || fail "sbuild on $suite made no $(basename "$deb")"
  grep -q '^100% tests passed' "$out/build.log" || fail "the unit tests did not run in the build on $suite"
  blhc --buildd "$out/build.log" >"$out/blhc.log" 2>&1 ||
    { cat "$out/blhc.log" >&2; fail "blhc: the build on $suite missed hardening flags"; }
  say "$suite: built and checked by lintian in $((SECONDS - step)) s ($(grep -m1 '^100% tests passed' "$out/build.log")), blhc clean"

  grep -q '^Running lintian' "$out/build.log" || fail "sbuild did not run lintian on $suite"
  lintian_verdict "$suite" "$out/build.log"
  say "$suite: that release's lintian --pedantic on the .dsc, .changes and .deb: no error, no warning"

  # The installed package's tests, in a fresh root of the same release.
  step=$SECONDS
  # (The roots keep no package lists: the testbed reads them first.)
  if ! autopkgtest --quiet --setup-commands="apt-get -q update" "$dsc" "$deb" -- unshare --release "$suite" --tarball "$tarball" \
         >"$out/autopkgtest.log" 2>&1; then
    tail -n 60 "$out/autopkgtest.log" >&2
    fail "autopkgtest failed on $suite; its log's end is above"
  fi
  say "$suite: autopkgtest passed ($((SECONDS - step)) s): $(grep -E '^[a-z0-9-]+ +PASS' "$out/autopkgtest.log" | paste -sd ' ')"
done

# Two builds on this machine, as make package and a release build it, the second with another
# build path, time zone, locale, umask, user and job count.
step=$SECONDS
first=$work/first second=$work/elsewhere/with/a/longer/path
mkdir -p "$first" "$second"
tar -xzf "$work/korvane_$upstream.orig.tar.gz" -C "$first"
tar -xzf "$work/korvane_$upstream.orig.tar.gz" -C "$second"
chown -R nobody:nogroup "$second"
(umask 022 && TZ=UTC LC_ALL=C.UTF-8 DEB_BUILD_OPTIONS=nocheck \
  "$first/korvane-$upstream/scripts/build-deb.sh" "$first/korvane-$upstream" "$first/out" >/dev/null)
(umask 002 && cd "$second" && setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$second" USER=nobody LOGNAME=nobody TZ=XYZ-14 \
  LANG=bg_BG.UTF-8 LC_ALL=C DEB_BUILD_OPTIONS="nocheck parallel=1" \
  "$second/korvane-$upstream/scripts/build-deb.sh" "$second/korvane-$upstream" "$second/out" >/dev/null)
a=$first/out/korvane_${version}_$arch.deb b=$second/out/korvane_${version}_$arch.deb
if ! cmp -s "$a" "$b"; then
  diffoscope --text - "$a" "$b" | head -n 200 >&2 || true
  fail "two builds of $version gave different packages; diffoscope's report is above"
fi
say "two builds at different paths, times, zones, locales, umasks and users: identical $(basename "$a")" \
  "($(sha256sum "$a" | cut -c1-16)…, $((SECONDS - step)) s)"
say "tags lintian still names (pedantic, info, overridden):"
sort -u "$work/tags" 2>/dev/null || true
say "all checks passed in $((SECONDS - started)) s"

#!/usr/bin/env bash
# Builds a release of the commit at HEAD into dist/: the Debian package, Korvane.exe, its
# setup program and its MSI, the site as a tarball, the source as a tarball, and SHA256SUMS
# over them.
#
# The build starts from the source tarball itself (git archive of the commit, unpacked under
# build-release/), so nothing outside the commit can reach it, and uses its own build folders.
# Every time stamp is the commit's (SOURCE_DATE_EPOCH) and no file carries the build's path,
# time, user or host: two clones of one commit give the same bytes. The release replaces
# dist/ only when all of it was built: one that fails leaves the last good dist/ as it was.
#
#   scripts/release.sh     refuses to run with uncommitted or untracked files
#   SIGN_PKCS12=<file> SIGN_PASSWORD_FILE=<file> scripts/release.sh
#                          signs the Windows files with that key (make release SIGN_PKCS12=... passes them)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

git rev-parse --git-dir >/dev/null 2>&1 || { echo "release: not a git clone; a release is built from a commit" >&2; exit 1; }
if [ -n "$(git status --porcelain --untracked-files=normal)" ]; then
  echo "release: the tree has changes that are not committed; a release is a commit. Commit, stash or remove these first:" >&2
  git status --short --untracked-files=normal >&2
  exit 1
fi

# The package is built on the oldest Debian the program supports, so that it installs on both.
. /etc/os-release
[ "${ID:-}" = debian ] && [ "${VERSION_ID:-}" = 12 ] ||
  echo "release: warning: this is ${PRETTY_NAME:-an unknown system}; a release is built on Debian 12," \
    "whose package installs on Debian 12 and 13, and only the same package versions rebuild it byte for byte" >&2

commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
version=$(sed -n 's/^project(Korvane VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt's project()" >&2; exit 1; }
# What may still differ between machines is pinned: the commit's time, UTC, the C locale.
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
unset LANGUAGE
umask 022

# Signing, where a key is given: its files stay where they are, outside the tree, and are
# named to the build only through its environment (scripts/sign.sh). The key is opened with
# its password here, before anything is built: a wrong password or a damaged file stops the
# release at once (openssl reads the password from its file, never from a command line).
sign=OFF
if [ -n "${SIGN_PKCS12:-}${SIGN_PASSWORD_FILE:-}" ]; then
  for file in "${SIGN_PKCS12:-}" "${SIGN_PASSWORD_FILE:-}"; do
    [ -f "$file" ] && [ -r "$file" ] ||
      { echo "release: signing needs SIGN_PKCS12 and SIGN_PASSWORD_FILE, each a readable file" >&2; exit 1; }
    case "$(realpath "$file")/" in
      "$top"/*) echo "release: keep the signing key and its password outside the source tree" >&2; exit 1 ;;
    esac
  done
  export KORVANE_SIGN_PKCS12 KORVANE_SIGN_PASSWORD_FILE
  KORVANE_SIGN_PKCS12=$(realpath "$SIGN_PKCS12") KORVANE_SIGN_PASSWORD_FILE=$(realpath "$SIGN_PASSWORD_FILE")
  # A key in an older file's ciphers (RC2, 3DES) opens only with OpenSSL's legacy provider.
  if ! openssl pkcs12 -in "$KORVANE_SIGN_PKCS12" -passin "file:$KORVANE_SIGN_PASSWORD_FILE" -noout 2>/dev/null &&
     ! openssl pkcs12 -legacy -in "$KORVANE_SIGN_PKCS12" -passin "file:$KORVANE_SIGN_PASSWORD_FILE" -noout 2>/dev/null; then
    echo "release: $SIGN_PKCS12 does not open with the password in $SIGN_PASSWORD_FILE; nothing was built" >&2
    exit 1
  fi
  sign=ON
fi

# The APT repository: its OpenPGP key is checked here, in seconds, before the long build.
if [ -n "${SIGN_OPENPGP:-}" ]; then
  case "$(realpath -m "$SIGN_OPENPGP")/" in
    "$top"/*) echo "release: keep the OpenPGP key outside the source tree" >&2; exit 1 ;;
  esac
  export SIGN_OPENPGP
  SIGN_OPENPGP=$(realpath -m "$SIGN_OPENPGP")
  said=$(mktemp)
  if ! signer=$(scripts/apt-repository.sh --check-key 2>"$said"); then
    echo "release: $(sed -n 's/^apt-repository: //p' "$said" | head -n 1); nothing was built" >&2
    rm -f "$said"
    exit 1
  fi
  rm -f "$said"
  echo "release: the APT repository is signed by $signer"
fi

# Everything is built under build-release/ and the release is gathered in $stage, which
# replaces dist/ only once the whole release is there: a release that fails leaves the last
# good dist/ as it was.
name=korvane-$version
work=$top/build-release
stage=$work/dist
dist=$top/dist
rm -rf "$work"
mkdir -p "$work" "$stage"
trap 'status=$?; [ "$status" -eq 0 ] ||
  echo "release: failed (exit $status); dist/ is as it was before this release" >&2' EXIT
started=$(date +%s)
echo "release: Korvane $version from commit $commit ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"

# The source: git writes every member with the commit's time, in the commit's order, and
# each file as the commit holds it, whatever line endings or attributes the releaser's git
# settings would give a checkout.
git -c tar.umask=0022 -c core.autocrlf=false -c core.eol=lf -c core.attributesFile=/dev/null \
  archive --format=tar --prefix="$name/" "$commit" >"$work/$name.tar"
gzip -9n <"$work/$name.tar" >"$stage/$name.tar.gz"
tar -xf "$work/$name.tar" -C "$work"
src=$work/$name

# Two builds from the unpacked source, each in its own folder beside it.
(cd "$src" && cmake --preset dist-web >/dev/null && cmake --build --preset dist-web)
(cd "$src" && cmake --preset dist-windows -DKORVANE_SIGN=$sign >/dev/null && cmake --build --preset dist-windows)

# The Debian package, with dpkg-buildpackage (which dates its members by SOURCE_DATE_EPOCH).
scripts/build-deb.sh "$src" "$work/package" >/dev/null
debs=("$work"/package/korvane_"$version"-*_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "release: expected one Debian package, found: ${debs[*]}" >&2; exit 1; }
cp "${debs[0]}" "$stage/"

cp "$src/build-dist-windows/Korvane.exe" "$src/build-dist-windows/Korvane-$version-setup.exe" \
   "$src/build-dist-windows/Korvane-$version-x64.msi" "$src/build-dist-windows/Korvane-$version-x86"{-setup.exe,.msi} "$stage/"
cp "$src/build-dist-windows/x86/Korvane.exe" "$stage/Korvane-x86.exe"
if [ "$sign" = ON ]; then
  echo "release: Korvane.exe, the setup program, its uninstaller and the MSI are signed, dated by the commit"
else
  echo "release: unsigned: no signing key given (make release SIGN_PKCS12=<file> SIGN_PASSWORD_FILE=<file> signs)"
fi

# The site, as one folder named after the release: members sorted, owned by root, dated by
# the commit, modes from nothing but the files' kind; gzip without a name or a time.
tar --create --format=gnu --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime="@$SOURCE_DATE_EPOCH" --mode='u=rwX,go=rX' \
    --directory="$src/build-dist-web" --transform="s,^site,$name-web," site |
  gzip -9n >"$stage/$name-web.tar.gz"

# The APT repository of the package, signed, as one folder in a tarball (scripts/apt-repository.sh).
if [ -n "${SIGN_OPENPGP:-}" ]; then
  "$src/scripts/apt-repository.sh" "$stage/$name-apt.tar.gz" "$stage"/korvane_*.deb >/dev/null
else
  echo "release: no APT repository: it must be signed (make release SIGN_OPENPGP=<OpenPGP secret key file> adds $name-apt.tar.gz)"
fi

# Whatever else a release carries is written into $stage above this line. Then the sums over
# its files, the Windows Package Manager manifest from the installers' lines in them (so not
# in them), and the release takes dist/'s place: the last good one is renamed aside and the
# new one renamed in, so that dist/ never holds half of one, and the old one goes.
(cd "$stage" && sha256sum -- $(LC_ALL=C ls) >SHA256SUMS)
/usr/bin/python3 "$src/scripts/winget-manifest.py" "$stage" | sed 's/^winget-manifest: /release: the winget manifest in dist\//'
rm -rf "$work/dist.old"
if [ -e "$dist" ]; then mv -T "$dist" "$work/dist.old"; fi
mv -T "$stage" "$dist"
trap - EXIT
rm -rf "$work/dist.old"
echo "release: dist/ after $(($(date +%s) - started)) s, from commit $commit:"
sed 's/^/  /' "$dist/SHA256SUMS"
echo "release: built with these Debian packages (a rebuild that compares equal needs the same):"
gxx=$(dpkg -S "$(readlink -f "$(command -v g++)")" 2>/dev/null | cut -d: -f1) || gxx=
dpkg-query -W -f='  ${Package} ${Version}\n' $(scripts/install-deps.sh --build-packages) $gxx gzip tar 2>/dev/null || true
sed 's/^/  the installer stub and makensis from /' "$src"/build-dist-windows/nsis/src/nsis-*/.patched 2>/dev/null || true

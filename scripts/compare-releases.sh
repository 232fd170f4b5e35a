#!/usr/bin/env bash
# Rebuilds the release of HEAD twice, in two fresh clones at different paths, one after the
# other, and compares their SHA256SUMS. The second build differs in what a release must not
# depend on and release.sh leaves as it finds it: the git setting that turns line endings
# into CR LF (core.autocrlf, with which git status stays clean), one build job instead of
# one per core, and another home folder and user name; and in the time zone, locale and
# umask, which release.sh resets. Both are signed with throwaway keys made here (Authenticode,
# and OpenPGP for the APT repository). Where they
# differ, Debian's diffoscope shows what differs in the first file that does, and the check
# fails. The signing password and the OpenPGP key must be in no file the builds wrote. Then
# each signature must verify, the signed program must work under Wine, a failed signing must
# fail the build, and the winget manifest must be valid and true to the release's files.
# The first build's package must also be clean under lintian.
#   scripts/compare-releases.sh
set -euo pipefail
cd "$(dirname "$0")/.."

commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain --untracked-files=normal)" ] ||
  echo "compare-releases: uncommitted changes are not part of the comparison; it builds commit $commit"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvane-releases.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
first=$tmp/first/korvane
second=$tmp/second/a/longer/path/korvane-clone
clone() {
  git clone --quiet --no-checkout . "$1"
  git -C "$1" checkout --quiet --detach "$commit"
}
clone "$first"
(umask 0077 && clone "$second")

# The throwaway signing key: a certificate of its own, the key and certificate in a PKCS#12
# file under a random password, all outside both clones.
keys=$tmp/keys
mkdir -m 700 "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/signer.key" -out "$keys/signer.crt" -days 2 \
  -subj "/CN=Korvane release check" 2>/dev/null
head -c 24 /dev/urandom | base64 >"$keys/password"
openssl pkcs12 -export -inkey "$keys/signer.key" -in "$keys/signer.crt" -passout "file:$keys/password" \
  -out "$keys/signer.p12"
# And an OpenPGP key for the APT repository, made in a GnuPG home of its own.
GNUPGHOME=$keys/gnupg
mkdir -m 700 "$GNUPGHOME"
GNUPGHOME=$GNUPGHOME gpg --batch --quiet --passphrase '' --quick-gen-key "Korvane release check <check@korvane.example>" \
  ed25519 sign never 2>/dev/null
GNUPGHOME=$GNUPGHOME gpg --batch --armor --export-secret-keys >"$keys/openpgp.key"
GNUPGHOME=$GNUPGHOME gpgconf --kill all
export SIGN_PKCS12=$keys/signer.p12 SIGN_PASSWORD_FILE=$keys/password SIGN_OPENPGP=$keys/openpgp.key

# build NAME FOLDER ENV...: one release, its output in NAME.log, its time printed.
build() {
  local name=$1 folder=$2
  shift 2
  local started=$SECONDS
  if ! (cd "$folder" && env "$@" scripts/release.sh) >"$tmp/$name.log" 2>&1; then
    tail -n 40 "$tmp/$name.log"
    echo "compare-releases: the $name release build failed (its log's end above)" >&2
    exit 1
  fi
  echo "compare-releases: $name release in $folder: $((SECONDS - started)) s"
}
build first "$first" TZ=UTC LANG=C.UTF-8
mkdir -p "$tmp/home"
build second "$second" TZ=Pacific/Kiritimati LANG=C LC_ALL=C HOME="$tmp/home" USER=releaser LOGNAME=releaser \
  CMAKE_BUILD_PARALLEL_LEVEL=1 GIT_CONFIG_COUNT=1 GIT_CONFIG_KEY_0=core.autocrlf GIT_CONFIG_VALUE_0=true \
  bash -c 'umask 0077 && exec "$0"'

sums1=$first/dist/SHA256SUMS sums2=$second/dist/SHA256SUMS
if cmp -s "$sums1" "$sums2"; then
  echo "compare-releases: both builds of $commit give the same SHA256SUMS:"
  sed 's/^/  /' "$sums1"
else
  echo "compare-releases: the two builds of $commit differ:" >&2
  diff -u "$sums1" "$sums2" >&2 || true
  differing=()
  while read -r _ file; do
    cmp -s "$first/dist/$file" "$second/dist/$file" || differing+=("$file")
  done <"$sums1"
  file=${differing[0]} a=$first/dist/${differing[0]} b=$second/dist/${differing[0]}
  # diffoscope cannot see into an NSIS installer's compressed data: 7-Zip unpacks it, and
  # lists each stored file with its time, so that the report names what changed.
  if 7zz l -slt "$a" 2>/dev/null | grep -q '^Type = Nsis'; then
    for side in a b; do
      mkdir -p "$tmp/unpacked/$side"
      7zz x -y -bso0 -bsp0 -o"$tmp/unpacked/$side/files" "${!side}"
      7zz l -slt "${!side}" | sed -n '/^----------$/,$p' >"$tmp/unpacked/$side/listing.txt"
    done
    echo "compare-releases: differing: ${differing[*]}; diffoscope on $file, unpacked by 7-Zip:" >&2
    a=$tmp/unpacked/a b=$tmp/unpacked/b
  else
    echo "compare-releases: differing: ${differing[*]}; diffoscope on $file:" >&2
  fi
  diffoscope --no-progress --exclude-directory-metadata=yes --text - "$a" "$b" 2>&1 | head -n 300 >&2 || true
  exit 1
fi

# The signing password and the OpenPGP secret key (a line of its armour) must be nowhere but in
# their files: not in either build's folders, logs or release, nor in the second build's home
# folder. A file that cannot be read fails the check.
{ cat "$keys/password"; sed -n 4p "$keys/openpgp.key"; } >"$keys/secrets"
searched=()
for entry in "$tmp"/*; do [ "$entry" = "$keys" ] || searched+=("$entry"); done
leaks=$(grep -rlF -f "$keys/secrets" "${searched[@]}") && found=0 || found=$?
if [ "$found" -ne 1 ]; then
  echo "compare-releases: the signing password or the OpenPGP key is in: ${leaks:-(the search for it failed)}" | paste -sd ' ' >&2
  exit 1
fi

# The signatures, as a user's Windows would check them, and the signed program at work under
# Wine; peek.exe reads its window from inside Wine.
release_build=("$first"/build-release/korvane-*/build-dist-windows)
cmake --build "${release_build[0]}" --target peek >/dev/null
/usr/bin/python3 "$first/tests/windows/signed_release.py" "$first/dist" "$keys/signer.crt" \
  "${release_build[0]}/tests/windows/peek.exe"
/usr/bin/python3 "$first/tests/release/winget_manifest_check.py" "$first/dist"
# A signing that fails, of any of the four, fails the build (a stand-in osslsigncode that
# fails, in the first release's signed Windows build; its dist/ is already checked).
"$first/tests/release/release_scripts_test.sh" signed-build "${release_build[0]}"

# The release's own package, as a school's administrator would check it.
deb=$(ls "$first"/dist/korvane_*.deb)
if ! found=$(lintian --tag-display-limit 0 "$deb" 2>"$tmp/lintian.log") || grep -qE '^(E|W):' <<<"$found"; then
  echo "compare-releases: lintian on $(basename "$deb"):" >&2
  cat "$tmp/lintian.log" >&2
  echo "$found" >&2
  exit 1
fi
echo "compare-releases: $(basename "$deb") is clean under lintian"

#!/usr/bin/env bash
# Writes a signed APT repository of the given Debian packages into OUT, a folder that a school
# copies to any web server as it is:
#   pool/main/<letter>/<name>/<file>.deb                          the packages
#   dists/stable/main/binary-<arch>/Packages, Packages.gz, Packages.xz
#   dists/stable/Release, InRelease (clear-signed), Release.gpg (detached)
#   korvane-archive-keyring.gpg, korvane-archive-keyring.asc      the public key, for Signed-By
# The secret key comes from the file SIGN_OPENPGP (and its passphrase, if it has one, from the
# file SIGN_OPENPGP_PASSWORD_FILE). It is read into a throwaway GnuPG home in a private temporary
# folder, removed on exit; only its public part reaches OUT. Nothing depends on the time of the
# run: Release is dated SOURCE_DATE_EPOCH and the signatures are made at that time (or at the
# key's creation, if that is later), so the same packages and key give the same bytes.
#   SIGN_OPENPGP=<key file> scripts/apt-repository.sh OUT DEB...
#   SIGN_OPENPGP=<key file> scripts/apt-repository.sh NAME.tar.gz DEB...
#                 the same folder, named NAME, as a tarball dated SOURCE_DATE_EPOCH
#   SIGN_OPENPGP=<key file> scripts/apt-repository.sh --check-key
#                 checks in seconds that the file holds one secret key that signs, and says whose
set -euo pipefail

suite=stable component=main
origin=Korvane label=Korvane
keyring_name=korvane-archive-keyring

fail() { echo "apt-repository: $*" >&2; exit 1; }

[ -n "${SIGN_OPENPGP:-}" ] || fail "no signing key: set SIGN_OPENPGP to an OpenPGP secret key file"
[ -f "$SIGN_OPENPGP" ] && [ -r "$SIGN_OPENPGP" ] || fail "SIGN_OPENPGP ($SIGN_OPENPGP) is not a readable file"
password=()
if [ -n "${SIGN_OPENPGP_PASSWORD_FILE:-}" ]; then
  [ -f "$SIGN_OPENPGP_PASSWORD_FILE" ] && [ -r "$SIGN_OPENPGP_PASSWORD_FILE" ] ||
    fail "SIGN_OPENPGP_PASSWORD_FILE is not a readable file"
  password=(--passphrase-file "$(realpath "$SIGN_OPENPGP_PASSWORD_FILE")")
fi

# The key's throwaway home: private, outside any tree the release writes, gone on exit.
GNUPGHOME=$(mktemp -d "${TMPDIR:-/tmp}/korvane-apt-key.XXXXXX")
export GNUPGHOME
chmod 700 "$GNUPGHOME"
finish() {
  gpgconf --kill all 2>/dev/null || true
  rm -rf "$GNUPGHOME"
}
trap finish EXIT
gpg_quiet() { gpg --batch --no-tty --quiet --pinentry-mode loopback "${password[@]}" "$@"; }

gpg_quiet --import <"$SIGN_OPENPGP" 2>"$GNUPGHOME/import.log" ||
  fail "SIGN_OPENPGP ($SIGN_OPENPGP) is not an OpenPGP key: $(head -n 3 "$GNUPGHOME/import.log")"
# Each secret key's fingerprint, and the creation of the youngest of its parts (a signing
# subkey may be younger than its primary key).
mapfile -t secret < <(gpg --batch --with-colons --list-secret-keys 2>/dev/null | awk -F: '
  $1 == "sec" { if (fpr) print fpr " " created; fpr = ""; created = $6; want = 1; next }
  $1 == "ssb" && $6 > created { created = $6 }
  $1 == "fpr" && want { fpr = $10; want = 0 }
  END { if (fpr) print fpr " " created }')
[ "${#secret[@]}" -ge 1 ] || fail "SIGN_OPENPGP ($SIGN_OPENPGP) holds no secret key (a public key cannot sign)"
[ "${#secret[@]}" -eq 1 ] || fail "SIGN_OPENPGP ($SIGN_OPENPGP) holds ${#secret[@]} secret keys; give it the one that signs"
read -r fingerprint created <<<"${secret[0]}"
user=$(gpg --batch --with-colons --list-keys "$fingerprint" | awk -F: '$1 == "uid" { print $10; exit }')

# The time of every signature: the commit's, unless the key is younger than the commit (a
# signature older than its key is invalid). Both come from the key and the commit, not the run.
epoch=${SOURCE_DATE_EPOCH:-$(date +%s)}
[ "$created" -le "$epoch" ] || epoch=$created
sign() {
  gpg_quiet --faked-system-time "$epoch!" --local-user "$fingerprint" --digest-algo SHA512 "$@" 2>"$GNUPGHOME/sign.log" ||
    fail "the key $fingerprint in SIGN_OPENPGP cannot sign (a passphrase? SIGN_OPENPGP_PASSWORD_FILE):" \
      "$(grep -v 'faked system time' "$GNUPGHOME/sign.log" | head -n 3)"
}

if [ "${1:-}" = --check-key ]; then
  echo "Korvane" | sign --clearsign >/dev/null
  echo "$fingerprint $user"
  exit 0
fi

[ "$#" -ge 2 ] || fail "usage: SIGN_OPENPGP=<key file> $0 OUT DEB..."
out=$1 tarball=
shift
case "$out" in
  *.tar.gz) tarball=$(realpath -m "$out") out=$GNUPGHOME/$(basename "$out" .tar.gz) ;;
esac
case "$(realpath "$SIGN_OPENPGP")/" in
  "$(realpath -m "$out")"/*) fail "the secret key lies inside the repository's folder $out" ;;
esac
rm -rf "$out"
mkdir -p "$out"
out=$(realpath "$out")

# The pool, as Debian lays it out: by the package's first letter and name, each file named
# <name>_<version without epoch>_<architecture>.deb (apt-ftparchive finds an architecture's by it).
architectures=()
for deb in "$@"; do
  name=$(dpkg-deb --field "$deb" Package) version=$(dpkg-deb --field "$deb" Version)
  arch=$(dpkg-deb --field "$deb" Architecture)
  [ -n "$name" ] || fail "$deb is not a Debian package"
  mkdir -p "$out/pool/$component/${name:0:1}/$name"
  cp "$deb" "$out/pool/$component/${name:0:1}/$name/${name}_${version#*:}_$arch.deb"
  [ "$arch" = all ] || architectures+=("$arch")
done
mapfile -t architectures < <(printf '%s\n' "${architectures[@]}" | LC_ALL=C sort -u | grep .) ||
  fail "no package for a particular architecture among: $*"

cd "$out"
dist=dists/$suite
for arch in "${architectures[@]}"; do
  index=$dist/$component/binary-$arch
  mkdir -p "$index"
  # The stanzas in the order of their file names, not in the order the file system lists them.
  apt-ftparchive --arch "$arch" packages "pool/$component" |
    awk 'BEGIN { RS = "" } { file = $0; sub(/.*\nFilename: /, "", file); sub(/\n.*/, "", file)
                             gsub(/\n/, "\001"); print file "\t" $0 "\001" }' |
    LC_ALL=C sort | cut -f 2- | tr '\001' '\n' >"$index/Packages"
  gzip -9n <"$index/Packages" >"$index/Packages.gz"
  xz -9e --threads=1 <"$index/Packages" >"$index/Packages.xz"
done

apt-ftparchive \
  -o "APT::FTPArchive::Release::Origin=$origin" -o "APT::FTPArchive::Release::Label=$label" \
  -o "APT::FTPArchive::Release::Suite=$suite" -o "APT::FTPArchive::Release::Codename=$suite" \
  -o "APT::FTPArchive::Release::Architectures=${architectures[*]}" \
  -o "APT::FTPArchive::Release::Components=$component" \
  -o "APT::FTPArchive::Release::Description=Korvane for Debian 12 and 13" \
  -o "APT::FTPArchive::Release::Date=$(LC_ALL=C date -u -d "@${SOURCE_DATE_EPOCH:-$epoch}" '+%a, %d %b %Y %H:%M:%S +0000')" \
  -o APT::FTPArchive::Release::MD5=false -o APT::FTPArchive::Release::SHA1=false \
  release "$dist" >"$GNUPGHOME/Release"
mv "$GNUPGHOME/Release" "$dist/Release"

sign --clearsign --output "$dist/InRelease" "$dist/Release"
sign --armor --detach-sign --output "$dist/Release.gpg" "$dist/Release"
gpg --batch --export --export-options export-minimal "$fingerprint" >"$keyring_name.gpg"
gpg --batch --armor --export --export-options export-minimal "$fingerprint" >"$keyring_name.asc"

# Debian's own verifiers must accept what apt will fetch, against the key file a school installs.
gpgv --keyring "$out/$keyring_name.gpg" "$dist/InRelease" 2>"$GNUPGHOME/gpgv.log" &&
  gpgv --keyring "$out/$keyring_name.gpg" "$dist/Release.gpg" "$dist/Release" 2>>"$GNUPGHOME/gpgv.log" ||
  fail "gpgv does not accept the repository's signatures: $(cat "$GNUPGHOME/gpgv.log")"
if command -v sqv >/dev/null; then
  sqv --keyring "$out/$keyring_name.gpg" "$dist/Release.gpg" "$dist/Release" >/dev/null ||
    fail "sqv does not accept Release.gpg"
  if sqv --help 2>&1 | grep -q -- '--message'; then
    sqv --keyring "$out/$keyring_name.gpg" --message --output "$GNUPGHOME/InRelease.verified" "$dist/InRelease" >/dev/null ||
      fail "sqv does not accept InRelease"
  fi
fi
if [ -n "$tarball" ]; then
  # Members sorted, owned by root, dated by the commit, modes from nothing but the files' kind.
  mkdir -p "$(dirname "$tarball")"
  tar --create --format=gnu --sort=name --owner=0 --group=0 --numeric-owner \
      --mtime="@${SOURCE_DATE_EPOCH:-$epoch}" --mode='u=rwX,go=rX' \
      --directory="$(dirname "$out")" "$(basename "$out")" | gzip -9n >"$tarball"
  out=$tarball
fi
echo "apt-repository: $out: $suite, ${architectures[*]}, $# package(s), signed by $fingerprint $user"

#!/usr/bin/env bash
# The signed APT repository as a lab's Debian takes a new version, run as root in a throwaway
# Debian root (scripts/check-debian13.sh runs it there after make package): repositories that
# scripts/apt-repository.sh writes with a throwaway key, served from 127.0.0.1 and named by a
# deb822 .sources file whose Signed-By is the repository's key file. The package installs from
# the first; a repository altered after signing, or signed by another key, is refused and changes
# nothing; a repository of the next version upgrades it. Two runs of the script give the same
# bytes. Korvane, the source and its lists are removed at the end.
#   tests/package/apt_repository_test.sh DEB
set -euo pipefail
deb=$(realpath "$1")
top=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "apt repository test: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "run it as root, in a throwaway Debian root: it installs and removes korvane"
installed() { dpkg-query -W -f='${Status} ${Version}' korvane 2>/dev/null | sed -n 's/^install ok installed //p'; }
[ -z "$(installed)" ] || fail "korvane is installed here already; run it where it is not"
"$top/scripts/install-deps.sh" apt-repository

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvane-apt-test.XXXXXX")
sources=/etc/apt/sources.list.d/korvane.sources keyring=/etc/apt/keyrings/korvane-archive-keyring.gpg
server=
finish() {
  [ -z "$server" ] || { kill "$server" && wait "$server"; } 2>/dev/null || true
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq korvane >/dev/null 2>&1 || true
  rm -f "$sources" "$keyring" /var/lib/apt/lists/127.0.0.1_*
  rm -rf "$tmp"
}
trap finish EXIT

# The release's key, and another that the lab does not trust.
for key in release other; do
  export GNUPGHOME=$tmp/gnupg-$key
  mkdir -m 700 "$GNUPGHOME"
  gpg --batch --quiet --passphrase '' --quick-gen-key "Korvane $key test <$key@korvane.example>" ed25519 sign never 2>/dev/null
  gpg --batch --armor --export-secret-keys >"$tmp/$key.key"
  gpgconf --kill all
done
unset GNUPGHOME

# The next version: the same package, its upstream version and changelog moved on by one
# (1.0.0-1 to 1.0.1-1).
bump() {  # VERSION
  local upstream=${1%-*} revision=
  [ "$upstream" = "$1" ] || revision=-${1##*-}
  echo "${upstream%.*}.$((${upstream##*.} + 1))$revision"
}
version=$(dpkg-deb --field "$deb" Version)
next=$(bump "$version")
epoch=$(date +%s)
dpkg-deb --raw-extract "$deb" "$tmp/next"
sed -i "s/^Version: .*/Version: $next/" "$tmp/next/DEBIAN/control"
changelog=$tmp/next/usr/share/doc/korvane/changelog.Debian.gz
[ -f "$changelog" ] || changelog=$tmp/next/usr/share/doc/korvane/changelog.gz
{
  printf 'korvane (%s) unstable; urgency=medium\n\n  * A later version for the APT repository test.\n\n' "$next"
  printf ' -- Korvane developers <developers@korvane.example>  %s\n\n' "$(date -R -d "@$epoch")"
  gzip -dc "$changelog"
} | gzip -9n >"$tmp/changelog.gz"
mv "$tmp/changelog.gz" "$changelog"
[ ! -f "$tmp/next/DEBIAN/md5sums" ] ||
  (cd "$tmp/next" && find . -path ./DEBIAN -prune -o -type f -printf '%P\n' | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)
next_deb=$tmp/korvane_${next}_$(dpkg-deb --field "$deb" Architecture).deb
dpkg-deb --root-owner-group --build "$tmp/next" "$next_deb" >/dev/null

repository() {  # NAME KEY DEB
  SIGN_OPENPGP=$tmp/$2.key SOURCE_DATE_EPOCH=$epoch "$top/scripts/apt-repository.sh" "$tmp/$1" "$3" >/dev/null
}
repository "$version" release "$deb"
repository again release "$deb"
diff -r "$tmp/$version" "$tmp/again" || fail "two runs with the same key and date differ"
repository "$next" release "$next_deb"
repository other-key other "$next_deb"
# Altered after signing, at the same size: the index names another version, the package has a byte changed.
cp -a "$tmp/$next" "$tmp/altered-index"
for packages in "$tmp"/altered-index/dists/*/*/binary-*/Packages; do
  sed -i "s/^Version: $next\$/Version: $(bump "$next")/" "$packages"
  gzip -9n <"$packages" >"$packages.gz"
  xz <"$packages" >"$packages.xz"
done
cp -a "$tmp/$next" "$tmp/altered-package"
package=$(find "$tmp/altered-package/pool" -name '*.deb')
printf '\377' | dd of="$package" bs=1 seek=$(($(stat -c %s "$package") - 1)) conv=notrunc status=none

# The server: whichever repository "served" points to, on a free port.
mkdir "$tmp/www"
: >"$tmp/server.log"
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$tmp/www" >"$tmp/server.log" 2>&1 &
server=$!
for ((i = 0; i < 600; i++)); do
  port=$(sed -n 's/^Serving HTTP on .* port \([0-9]*\) .*/\1/p' "$tmp/server.log")
  [ -z "$port" ] || break
  kill -0 "$server" 2>/dev/null || fail "the web server did not start: $(cat "$tmp/server.log")"
  sleep 0.1  # a poll interval, not a wait for the outcome
done
[ -n "$port" ] || fail "the web server gave no port within a minute"

# The lab's source, as the README tells a school to write it.
mkdir -p /etc/apt/keyrings
install -m 644 "$tmp/$version/korvane-archive-keyring.gpg" "$keyring"
printf '%s\n' "Types: deb" "URIs: http://127.0.0.1:$port/served" "Suites: stable" "Components: main" \
  "Signed-By: $keyring" >"$sources"

apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -o Dir::Cache::Archives="$tmp/archives/" -y "$@"; }
mkdir -p "$tmp/archives/partial"
# repository served | what the lab runs | what apt says where it refuses (a regular expression) | korvane after
rows=(
  "$version|install korvane||$version"
  "altered-index|upgrade|Hash Sum mismatch|unexpected size|$version"
  "other-key|upgrade|NO_PUBKEY|Missing key|not signed|$version"
  "altered-package|upgrade|Hash Sum mismatch|unexpected size|$version"
  "$next|upgrade||$next"
)
age=0
for row in "${rows[@]}"; do
  served=${row%%|*} rest=${row#*|}
  command=${rest%%|*} rest=${rest#*|}
  refusal=${rest%|*} expected=${rest##*|}
  # Each repository is newer on the server than the one before, as a new upload is: the test
  # host answers "not modified" to apt's If-Modified-Since for a file no newer than apt's copy
  # (to the second), and the repositories are all made within a few seconds.
  age=$((age + 1))
  find "$tmp/$served" -type f -exec touch -d "@$(($(date +%s) + age))" {} +
  ln -sfn "$tmp/$served" "$tmp/www/served"
  status=0
  # shellcheck disable=SC2086  # the command's words
  out=$(apt_get update 2>&1 && apt_get $command 2>&1) || status=$?
  if [ -z "$refusal" ]; then
    [ "$status" -eq 0 ] || fail "$served: apt-get $command failed:"$'\n'"$out"
  else
    grep -qE "$refusal" <<<"$out" || fail "$served: apt did not refuse it ($refusal):"$'\n'"$out"
  fi
  [ "$(installed)" = "$expected" ] ||
    fail "$served: after apt-get $command korvane is '$(installed)', not $expected:"$'\n'"$out"
  said=${refusal:+refused: $(grep -oE "$refusal" <<<"$out" | head -n 1), }
  echo "apt repository test: $served: apt-get $command: ${said}korvane $expected"
done

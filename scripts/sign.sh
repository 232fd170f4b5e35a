#!/usr/bin/env bash
# Signs one Windows file in place with Authenticode (Debian's osslsigncode): Korvane.exe, the
# setup program, its uninstaller or the MSI, in a release that make release signs.
#   KORVANE_SIGN_PKCS12=<key and certificate> KORVANE_SIGN_PASSWORD_FILE=<its password> scripts/sign.sh FILE
# The key and the password stay in their files: osslsigncode is given their names only, so
# neither reaches a command line that ps shows, a log or the build folder. The signing time is
# SOURCE_DATE_EPOCH, the commit's, and no time stamp is asked for, so that a release signed
# twice with the same key gives the same bytes.
set -euo pipefail
file=$1
: "${KORVANE_SIGN_PKCS12:?sign.sh: no key (KORVANE_SIGN_PKCS12)}"
: "${KORVANE_SIGN_PASSWORD_FILE:?sign.sh: no password file (KORVANE_SIGN_PASSWORD_FILE)}"
: "${SOURCE_DATE_EPOCH:?sign.sh: no signing time (SOURCE_DATE_EPOCH, the time of the commit)}"
rm -f "$file.signed"
if ! osslsigncode sign -pkcs12 "$KORVANE_SIGN_PKCS12" -readpass "$KORVANE_SIGN_PASSWORD_FILE" -h sha256 \
     -n Korvane -i https://www.korvane.example/ -time "$SOURCE_DATE_EPOCH" \
     -in "$file" -out "$file.signed" >/dev/null; then
  rm -f "$file.signed"
  echo "sign.sh: osslsigncode could not sign $(basename "$file")" >&2
  exit 1
fi
mv -f "$file.signed" "$file"

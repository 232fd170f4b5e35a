#!/usr/bin/env bash
# The release scripts' own safeguards, on the scripts as the working tree holds them, in
# throw-away repositories and folders, in seconds:
#   release_scripts_test.sh refusal REPOSITORY
#     release.sh refuses a tree with an untracked or an edited file, a key inside the tree and a
#     key that its password does not open, and an OpenPGP key for the APT repository that is no
#     key, only a public key, inside the tree or missing, each with one line and before it builds
#     anything;
#     a release whose build fails leaves the last good dist/ as it was
#   release_scripts_test.sh signing REPOSITORY
#     sign.sh hands osslsigncode the key's and the password's files and the commit's time, and
#     signs nothing without that time or when osslsigncode fails
#   release_scripts_test.sh comparison REPOSITORY
#     compare-releases.sh fails on a stand-in release whose two builds differ, naming the
#     file, and on one whose second build writes the signing password into its log
#   release_scripts_test.sh debian13 REPOSITORY
#     check-debian13.sh refuses, with exit code 2 and every file left as it was, a folder that
#     an earlier version of the check left, one whose fixed names are symbolic links, and one
#     that neither root nor the calling user owns
#   release_scripts_test.sh signed-build BUILD_FOLDER
#     in a Windows build configured with KORVANE_SIGN=ON (make check-release runs it on its
#     first release's), a failed signing of Korvane.exe, the uninstaller, the setup program
#     or the MSI fails the build
set -euo pipefail
check=$1
repo=$(realpath "$2")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvane-release-test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "$1; its output:" >&2
  echo "$out" >&2
  exit 1
}
# Stand-ins that end a build at once and pass any package: a script that goes on where it
# should stop then ends quickly, and with success where it should fail.
mkdir "$tmp/bin"
printf '#!/bin/sh\nexit 97\n' >"$tmp/bin/cmake"
printf '#!/bin/sh\nexit 0\n' >"$tmp/bin/lintian"
chmod +x "$tmp/bin/cmake" "$tmp/bin/lintian"
# A stand-in osslsigncode: writes its arguments, one a line, to $tmp/osslsigncode.args, and
# "signs" by copying -in to -out, or fails where the file's kind (exe, setup, msi, or the
# uninstaller, whose name makensis chooses) is the one in FAIL_SIGNING.
cat >"$tmp/bin/osslsigncode" <<'STANDIN'
#!/bin/bash
printf '%s\n' "$@" >>"${OSSLSIGNCODE_ARGS:?}"
while [ $# -gt 0 ]; do
  case $1 in -in) in=$2 ;; -out) out=$2 ;; esac
  shift
done
case ${in##*/} in Korvane.exe) kind=exe ;; *-setup.exe) kind=setup ;; *.msi) kind=msi ;; *) kind=uninstaller ;; esac
echo "$kind" >>"$OSSLSIGNCODE_ARGS.kinds"
[ "$kind" != "${FAIL_SIGNING:-}" ] || exit 1
{ cat "$in" && echo signed; } >"$out"
STANDIN
chmod +x "$tmp/bin/osslsigncode"
export PATH=$tmp/bin:$PATH OSSLSIGNCODE_ARGS=$tmp/osslsigncode.args
commit() { git -c user.name=Korvane -c user.email=korvane@example.invalid commit -qm "$1"; }
# snapshot FOLDER: every file's path, kind, size, owner, link target and contents.
snapshot() {
  find "$1" -printf '%p %y %s %u %l\n' 2>&1 | sort
  find "$1" -type f -exec sha256sum {} + 2>&1 | sort
}

case $check in
  refusal)
    # The clone's scripts are the working tree's, committed there, so that an edit is tested
    # before it is committed.
    git clone -q "$repo" "$tmp/clone"
    cd "$tmp/clone"
    cp "$repo/scripts/release.sh" "$repo/scripts/sign.sh" "$repo/scripts/apt-repository.sh" scripts/
    git add scripts
    git diff --cached --quiet || commit "The working tree's release scripts"
    # A key and certificate, its password, and a password that does not open it.
    mkdir -m 700 "$tmp/keys"
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout "$tmp/keys/signer.key" \
      -out "$tmp/keys/signer.crt" -days 2 -subj "/CN=Korvane release test" 2>/dev/null
    echo "the right one" >"$tmp/keys/password"
    echo "a wrong one" >"$tmp/keys/wrong"
    openssl pkcs12 -export -inkey "$tmp/keys/signer.key" -in "$tmp/keys/signer.crt" \
      -passout "file:$tmp/keys/password" -out "$tmp/keys/signer.p12"
    # An OpenPGP secret key, its public key alone, and a file that is no key.
    export GNUPGHOME=$tmp/gnupg
    mkdir -m 700 "$GNUPGHOME"
    gpg --batch --quiet --passphrase '' --quick-gen-key "Korvane test <test@korvane.example>" ed25519 sign never 2>/dev/null
    gpg --batch --armor --export >"$tmp/keys/public.asc"
    gpg --batch --armor --export-secret-keys >"$tmp/keys/secret.asc"
    gpgconf --kill all
    unset GNUPGHOME
    echo "not a key" >"$tmp/keys/not-a-key"
    # The last good release, which every refusal and failure must leave as it is.
    mkdir dist
    echo "the last good release" >dist/SHA256SUMS
    before=$(snapshot dist)
    # name | how the tree is changed | the key's and password's files | the OpenPGP key's file
    # | what release.sh must say | the file it must name
    while IFS='|' read -r name change key password openpgp said names; do
      eval "$change"
      if out=$(SIGN_PKCS12=$key SIGN_PASSWORD_FILE=$password SIGN_OPENPGP=$openpgp scripts/release.sh 2>&1); then
        fail "release.sh built a release with $name"
      fi
      grep -qE "^release: .*$said" <<<"$out" || fail "release.sh did not say why with $name (/$said/)"
      grep -qF "$names" <<<"$out" || fail "release.sh did not name $names with $name"
      [ "$(snapshot dist)" = "$before" ] || fail "release.sh changed the last good dist/ with $name"
      case $name in
        *'fails') ;;
        *) [ ! -e build-release ] || fail "release.sh began a build with $name" ;;
      esac
      git checkout -q -- . && git clean -qfd && rm -rf build-release build
    done <<ROWS
an untracked file|touch untracked.txt||||a release is a commit|untracked.txt
an edited file|echo edited >>README.md||||a release is a commit|README.md
the key inside the tree, in an ignored folder|mkdir build && cp $tmp/keys/signer.p12 build/|$PWD/build/signer.p12|$tmp/keys/password||outside the source tree|
a wrong password|:|$tmp/keys/signer.p12|$tmp/keys/wrong||does not open with the password.*nothing was built|signer.p12
an OpenPGP file that is no key|:|||$tmp/keys/not-a-key|is not an OpenPGP key|not-a-key
an OpenPGP public key alone|:|||$tmp/keys/public.asc|holds no secret key|public.asc
the OpenPGP key inside the tree|mkdir build && cp $tmp/keys/secret.asc build/|||$PWD/build/secret.asc|OpenPGP key outside the source tree|
a missing OpenPGP key|:|||$tmp/keys/missing.asc|not a readable file|missing.asc
a build that fails|:||||failed .*dist/ is as it was|
ROWS
    ;;
  signing)
    echo "Korvane.exe as linked" >"$tmp/Korvane.exe"
    echo "the password itself" >"$tmp/password"
    export KORVANE_SIGN_PKCS12=$tmp/signer.p12 KORVANE_SIGN_PASSWORD_FILE=$tmp/password
    # name | the environment | what sign.sh must say (nothing where it signs)
    while IFS='|' read -r name environment said; do
      rm -f "$OSSLSIGNCODE_ARGS"* && echo "Korvane.exe as linked" >"$tmp/Korvane.exe"
      if out=$(env $environment "$repo/scripts/sign.sh" "$tmp/Korvane.exe" 2>&1); then
        [ -z "$said" ] || fail "sign.sh signed with $name"
        args=" $(paste -sd ' ' "$OSSLSIGNCODE_ARGS") "
        [[ $args == *" -time 1700000000 "* ]] || fail "sign.sh did not date the signature by the commit"
        [[ $args == *" -pkcs12 $tmp/signer.p12 -readpass $tmp/password "* ]] ||
          fail "sign.sh did not name the key's and the password's files"
        ! grep -qF "the password itself" "$OSSLSIGNCODE_ARGS" || fail "the password is on osslsigncode's command line"
        [ "$(tail -n 1 "$tmp/Korvane.exe")" = signed ] || fail "sign.sh did not put the signed file in place"
      else
        [ -n "$said" ] || fail "sign.sh did not sign with $name"
        grep -qE "$said" <<<"$out" || fail "sign.sh did not say why with $name (/$said/)"
        [ "$(cat "$tmp/Korvane.exe")" = "Korvane.exe as linked" ] && [ ! -e "$tmp/Korvane.exe.signed" ] ||
          fail "sign.sh changed the file with $name"
        [ "$name" != "no commit time" ] || [ ! -e "$OSSLSIGNCODE_ARGS" ] || fail "sign.sh signed without a time"
      fi
    done <<ROWS
the commit's time|SOURCE_DATE_EPOCH=1700000000|
no commit time|-u SOURCE_DATE_EPOCH|no signing time
osslsigncode failing|SOURCE_DATE_EPOCH=1700000000 FAIL_SIGNING=exe|could not sign Korvane.exe
ROWS
    ;;
  comparison)
    # name | what the stand-in release writes into its package | what it does after the
    # release | what the comparison must say
    while IFS='|' read -r name package after said; do
      rm -rf "$tmp/standin"
      git init -q "$tmp/standin"
      cd "$tmp/standin"
      mkdir scripts
      cp "$repo/scripts/compare-releases.sh" scripts/
      cat >scripts/release.sh <<STANDIN
#!/bin/bash
set -e
mkdir -p dist build-release
cd dist && $package >korvane_1.0.0_amd64.deb && echo same >korvane-1.0.0.tar.gz &&
  sha256sum korvane-1.0.0.tar.gz korvane_1.0.0_amd64.deb >SHA256SUMS
$after
STANDIN
      chmod +x scripts/release.sh
      git add scripts
      commit "A stand-in release whose $name"
      if out=$(scripts/compare-releases.sh 2>&1); then fail "the comparison passed a release whose $name"; fi
      grep -qE "$said" <<<"$out" || fail "the comparison did not say /$said/ for a release whose $name"
    done <<'ROWS'
two builds differ|pwd|:|differing: korvane_1.0.0_amd64.deb;
second build logs the password|echo same|if [ "$USER" = releaser ]; then cat "$SIGN_PASSWORD_FILE" >../build-release/sign.log; fi|the signing password or the OpenPGP key is in: .*/second/.*/build-release/sign.log
ROWS
    ;;
  debian13)
    # The folders the check must refuse, each built here as an earlier run or someone else
    # might have left it; nothing in them may change.
    d13=$tmp/d13
    mkdir -p "$d13/earlier/bin" "$d13/targets" "$d13/marker-link" "$d13/log-link" "$d13/lock-link" "$d13/others"
    echo "a root that an earlier check kept" >"$d13/earlier/.korvane-root-complete"
    echo "someone's file" >"$d13/earlier/bin/sh"
    for what in marker log lock; do echo "someone's $what" >"$d13/targets/$what"; done
    ln -s "$d13/targets/marker" "$d13/marker-link/.korvane-debian13"
    echo "a marker" >"$d13/log-link/.korvane-debian13"
    ln -s "$d13/targets/log" "$d13/log-link/debootstrap.log"
    echo "a marker" >"$d13/lock-link/.korvane-debian13"
    ln -s "$d13/targets/lock" "$d13/lock-link/.lock"
    echo "a marker" >"$d13/others/.korvane-debian13"
    rows='earlier|a root that an earlier version of this check kept
marker-link|symbolic link
log-link|symbolic link
lock-link|symbolic link'
    if [ "$(id -u)" -eq 0 ]; then
      chown -R 4242:4242 "$d13/others"
      rows+=$'\nothers|owned by neither'
    else
      echo "release scripts: not root, so the folder of another user is not tried"
    fi
    before=$(snapshot "$d13")
    # Where a refusal were missing, the check would stop at once instead of building a root.
    printf '#!/bin/sh\nexit 97\n' >"$tmp/bin/debootstrap"
    chmod +x "$tmp/bin/debootstrap"
    while IFS='|' read -r folder said; do
      status=0
      out=$(KORVANE_DEBIAN13_ROOT=$d13/$folder KORVANE_PRIVATE_MOUNTS=1 KORVANE_DEBIAN_MIRROR=http://127.0.0.1:9/debian \
            "$repo/scripts/check-debian13.sh" 2>&1) || status=$?
      [ "$status" -eq 2 ] || fail "check-debian13.sh ended with $status, not 2, on the folder $folder"
      grep -q "$said" <<<"$out" || fail "check-debian13.sh did not say /$said/ on the folder $folder"
      [ "$(snapshot "$d13")" = "$before" ] || fail "check-debian13.sh changed a file with the folder $folder"
    done <<<"$rows"
    ;;
  signed-build)
    build=$repo
    [ -f "$build/CMakeCache.txt" ] && grep -q '^KORVANE_SIGN:BOOL=ON' "$build/CMakeCache.txt" ||
      { echo "usage: $0 signed-build A-WINDOWS-BUILD-CONFIGURED-WITH-KORVANE_SIGN=ON" >&2; exit 2; }
    export KORVANE_SIGN_PKCS12=$tmp/signer.p12 KORVANE_SIGN_PASSWORD_FILE=$tmp/password SOURCE_DATE_EPOCH=1700000000
    rm "$tmp/bin/cmake"
    for kind in exe uninstaller setup msi; do
      rm -f "$build/Korvane.exe" "$OSSLSIGNCODE_ARGS"*
      if out=$(FAIL_SIGNING=$kind cmake --build "$build" --target installer 2>&1); then
        fail "the build went on when the signing of the $kind failed"
      fi
      grep -qx "$kind" "$OSSLSIGNCODE_ARGS.kinds" || fail "the build failed before it signed the $kind"
      grep -q "sign.sh: osslsigncode could not sign" <<<"$out" || fail "the build did not say the $kind's signing failed"
    done
    # The build as it was, signed again by the real osslsigncode, is left to the caller.
    rm -f "$build/Korvane.exe"
    ;;
  *)
    echo "usage: $0 refusal|signing|comparison|debian13 REPOSITORY, or $0 signed-build BUILD_FOLDER" >&2
    exit 2
    ;;
esac
echo "release scripts: $check checked"

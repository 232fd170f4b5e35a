#!/usr/bin/env bash
# The release scripts' own safeguards, in throw-away repositories, in seconds:
#   release_scripts_test.sh refusal REPOSITORY
#     release.sh, in a clone of REPOSITORY with an untracked file and then with an edited one,
#     refuses and names the file, before it builds anything; and refuses an OpenPGP key for the
#     APT repository that is no key, only a public key, or inside the tree, just as early
#   release_scripts_test.sh comparison REPOSITORY
#     compare-releases.sh of REPOSITORY, run on a committed stand-in release whose two builds
#     differ, fails and names the file that differs
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
export PATH=$tmp/bin:$PATH

case $check in
  refusal)
    git clone -q "$repo" "$tmp/clone"
    cd "$tmp/clone"
    for change in 'untracked.txt:touch untracked.txt' 'README.md:echo edited >>README.md'; do
      file=${change%%:*}
      eval "${change#*:}"
      if out=$(scripts/release.sh 2>&1); then fail "release.sh built a tree with $file changed"; fi
      grep -q "a release is a commit" <<<"$out" && grep -qF "$file" <<<"$out" ||
        fail "release.sh did not refuse the tree with $file changed, naming it"
      [ ! -e build-release ] && [ ! -e dist ] || fail "release.sh began a build with $file changed"
      git checkout -q -- . && git clean -qfdx
    done
    # A public key exported from a throwaway secret one.
    export GNUPGHOME=$tmp/gnupg
    mkdir -m 700 "$GNUPGHOME"
    gpg --batch --quiet --passphrase '' --quick-gen-key "Korvane test <test@korvane.example>" ed25519 sign never 2>/dev/null
    gpg --batch --armor --export >"$tmp/public.asc"
    gpg --batch --armor --export-secret-keys >"$tmp/secret.asc"
    gpgconf --kill all
    unset GNUPGHOME
    echo "not a key" >"$tmp/not-a-key"
    mkdir -p build
    cp "$tmp/secret.asc" build/secret.asc
    # key file | what release.sh says
    for row in "$tmp/not-a-key|is not an OpenPGP key" "$tmp/public.asc|holds no secret key" \
               "build/secret.asc|outside the source tree" "$tmp/missing.asc|not a readable file"; do
      key=${row%%|*}
      if out=$(SIGN_OPENPGP=$key scripts/release.sh 2>&1); then fail "release.sh built with the key $key"; fi
      grep -qF "${row#*|}" <<<"$out" || fail "release.sh did not say of $key that it ${row#*|}"
      [ ! -e build-release ] && [ ! -e dist ] || fail "release.sh began a build with the key $key"
    done
    ;;
  comparison)
    git init -q "$tmp/standin"
    cd "$tmp/standin"
    mkdir scripts
    cp "$repo/scripts/compare-releases.sh" scripts/
    # Each build writes the folder it ran in, and the two clones lie in different folders.
    cat >scripts/release.sh <<'STANDIN'
#!/bin/sh
mkdir -p dist && cd dist && pwd >korvane_1.0.0_amd64.deb && echo same >korvane-1.0.0.tar.gz &&
  sha256sum korvane-1.0.0.tar.gz korvane_1.0.0_amd64.deb >SHA256SUMS
STANDIN
    chmod +x scripts/release.sh
    git add scripts
    git -c user.name=Korvane -c user.email=korvane@example.invalid commit -qm "A release whose builds differ"
    if out=$(scripts/compare-releases.sh 2>&1); then fail "the comparison passed two builds that differ"; fi
    grep -q "the two builds of .* differ" <<<"$out" && grep -q "differing: korvane_1.0.0_amd64.deb;" <<<"$out" ||
      fail "the comparison did not name the file that differs"
    ;;
  *)
    echo "usage: $0 refusal|comparison REPOSITORY" >&2
    exit 2
    ;;
esac
echo "release scripts: $check checked"

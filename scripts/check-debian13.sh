#!/usr/bin/env bash
# make check-debian13: Korvane as a new user of Debian 13 gets it, on a Debian 12
# (or 13) machine. Builds a Debian 13 root from Debian's archive once, into a cache
# folder kept between runs, then runs in a fresh clone of this repository's HEAD
# inside it: make test; make package and apt-get install of the package; make
# test-windows. The run has its own mount and process namespaces: no mount and
# no process it started outlives it, whatever step fails.
#   scripts/check-debian13.sh [REPOSITORY]   (default: this one)
#   KORVANE_DEBIAN13_ROOT   the root's folder (default ~/.cache/korvane/debian13)
#   KORVANE_DEBIAN_MIRROR   Debian's archive (default: the one this machine's apt uses)
#   KORVANE_DEBIAN_SUITE    another release to try the same way (default trixie, Debian 13)
set -euo pipefail
repo=$(cd "${1:-$(dirname "$0")/..}" && pwd)
root=${KORVANE_DEBIAN13_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/korvane/debian13}
suite=${KORVANE_DEBIAN_SUITE:-trixie}
steps=${KORVANE_DEBIAN13_STEPS:-'make test && make package && apt-get -o DPkg::Lock::Timeout=900 install -y -qq ./build/korvane_*.deb && make test-windows'}

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=KORVANE_DEBIAN13_ROOT,KORVANE_DEBIAN_MIRROR,KORVANE_DEBIAN_SUITE,KORVANE_DEBIAN13_STEPS,CI "$0" "$@"
fi
if [ -z "${KORVANE_PRIVATE_MOUNTS:-}" ]; then
  "$repo/scripts/install-deps.sh" debian13
  KORVANE_PRIVATE_MOUNTS=1 exec unshare --mount --propagation private --pid --fork -- "$0" "$repo"
fi

# Debian's archive and its security archive, as this machine's apt reaches them.
archive_site() {  # $1: a pattern for the suite
  apt-get indextargets --format '$(SITE) $(RELEASE)' 'Identifier: Packages' 2>/dev/null |
    awk -v suite="$1" '$2 ~ suite { print $1; exit }'
}
mirror=${KORVANE_DEBIAN_MIRROR:-$(archive_site '^[a-z]+$')}
security=${KORVANE_DEBIAN_SECURITY:-$(archive_site '-security$')}
if [ -z "$mirror" ]; then
  echo "check-debian13: this machine's apt names no Debian archive; set KORVANE_DEBIAN_MIRROR" >&2
  exit 2
fi

# The root is built beside its final place and moved there when complete, so an
# interrupted build is never taken for a root.
if [ ! -e "$root/.korvane-root-complete" ]; then
  echo "check-debian13: building a root of Debian $suite in $root"
  rm -rf --one-file-system "$root" "$root.new"
  mkdir -p "$(dirname "$root")"
  debootstrap --variant=minbase --include=ca-certificates,git,make "$suite" "$root.new" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 30 "$root.log"; exit 1; }
  {
    echo "Types: deb"
    echo "URIs: $mirror"
    echo "Suites: $suite $suite-updates"
    echo "Components: main"
    echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
    if [ -n "$security" ]; then
      echo
      echo "Types: deb"
      echo "URIs: $security"
      echo "Suites: $suite-security"
      echo "Components: main"
      echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
    fi
  } >"$root.new/etc/apt/sources.list.d/debian.sources"
  rm -f "$root.new/etc/apt/sources.list"
  # No service starts inside the root when a package is installed.
  printf '#!/bin/sh\nexit 101\n' >"$root.new/usr/sbin/policy-rc.d"
  chmod 755 "$root.new/usr/sbin/policy-rc.d"
  touch "$root.new/.korvane-root-complete"
  mv "$root.new" "$root"
fi

# What the run started and left (Xvfb, wineserver, D-Bus) ends with the process
# namespace; the mounts are undone here as well as with the mount namespace.
mounted=()
clone=
finish() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
  [ -z "$clone" ] || rm -rf --one-file-system "$root$clone"
}
trap finish EXIT
mount_in_root() {  # $1: what to mount ("proc", "tmpfs" or a folder), $2: where under the root
  local target="$root$2"
  case "$1" in
    proc) mount -t proc proc "$target" ;;
    tmpfs) mount -t tmpfs -o mode=1777 tmpfs "$target" ;;
    *) mount --rbind "$1" "$target" ;;
  esac
  mounted+=("$target")
}
mount_in_root proc /proc
mount_in_root /sys /sys
mount_in_root /dev /dev
mount_in_root tmpfs /dev/shm
cp /etc/resolv.conf "$root/etc/resolv.conf"

# Where this machine reaches registries through a proxy with its own certificate
# authority, the root trusts the same bundle, copied for this run only.
environment=(HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "CI=${CI:-}")
bundle=${NODE_EXTRA_CA_CERTS:-$(npm config get cafile 2>/dev/null | grep -v '^null$' || true)}
if [ -n "$bundle" ] && [ -f "$bundle" ]; then
  cp "$bundle" "$root/etc/ssl/host-ca-bundle.pem"
  environment+=(NODE_EXTRA_CA_CERTS=/etc/ssl/host-ca-bundle.pem npm_config_cafile=/etc/ssl/host-ca-bundle.pem)
fi

# A fresh clone of the committed HEAD, as CI and a new contributor would have it.
clone=$(mktemp -d "$root/root/korvane.XXXXXX")
clone=${clone#"$root"}
git clone -q "$repo" "$root$clone"
echo "check-debian13: $(chroot "$root" sh -c '. /etc/os-release; echo "$PRETTY_NAME"'), $(git -C "$repo" rev-parse --short HEAD): $steps"
chroot "$root" /usr/bin/env -i "${environment[@]}" bash -c "cd $clone && $steps"
echo "check-debian13: passed"

#!/usr/bin/env bash
# make check-debian13: Korvane as a new user of Debian 13 gets it, on a Debian 12
# (or 13) machine. Runs, in a fresh clone of this repository's HEAD inside a
# Debian 13 root: make test; make package and apt-get install of the package;
# make test-windows.
#
# Every run starts from the root exactly as debootstrap made it: the root is the
# lower layer of an overlay whose upper layer belongs to the run and is thrown
# away after it, so nothing an earlier run installed can help a later one. The
# root is made again when the archive has moved on (a point release). Downloaded
# packages are kept between runs; apt checks each against the archive's signed
# index before it installs it. The run has its own mount and process namespaces:
# no mount and no process it started outlives it, whatever step fails. After the
# clone and again after the steps, the pristine root must hold nothing newer than
# itself: a run that wrote into it fails, and the root is made again next time.
#   scripts/check-debian13.sh [REPOSITORY]   (default: this one)
#   KORVANE_DEBIAN13_ROOT   the check's own folder (default ~/.cache/korvane/debian13); an
#                           existing folder that is not one is refused (exit code 2), never
#                           emptied or written: one without the check's marker that is not
#                           empty, one whose fixed names are symbolic links, one that
#                           neither root nor the calling user owns
#   KORVANE_DEBIAN_MIRROR   Debian's archive (default: the one this machine's apt uses)
#   KORVANE_DEBIAN_SUITE    another release to try the same way (default trixie, Debian 13)
set -euo pipefail
repo=$(cd "${1:-$(dirname "$0")/..}" && pwd)
home=${KORVANE_DEBIAN13_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/korvane/debian13}
suite=${KORVANE_DEBIAN_SUITE:-trixie}
steps=${KORVANE_DEBIAN13_STEPS:-'make test && make package && tests/package/apt_repository_test.sh build/korvane_*.deb && apt-get -o DPkg::Lock::Timeout=900 install -y -qq ./build/korvane_*.deb && make test-windows'}
marker=.korvane-debian13

# The folder is the check's own when it carries the marker; anything else is someone else's,
# and root neither deletes it nor writes through a symbolic link in it into another's file.
# A root that an earlier version of this check kept (marked .korvane-root-complete) is
# refused too: only its owner knows that nothing else lies in that folder.
refuse() {
  echo "check-debian13: $home $1; refusing to use it, nothing in it was changed." \
    "Point KORVANE_DEBIAN13_ROOT at an empty or new folder." >&2
  exit 2
}
if [ -e "$home" ] || [ -L "$home" ]; then
  [ -d "$home" ] || refuse "is not a folder"
  owner=$(stat -L -c %u "$home")
  [ "$owner" -eq 0 ] || [ "$owner" -eq "${SUDO_UID:-$(id -u)}" ] ||
    refuse "is owned by neither root nor you (its owner's id is $owner)"
  for name in "$marker" .korvane-root-complete .lock debootstrap.log pristine pristine.new pristine.release \
              run packages; do
    [ ! -L "$home/$name" ] || refuse "holds a symbolic link named $name"
  done
  if [ ! -e "$home/$marker" ] && [ -e "$home/.korvane-root-complete" ]; then
    refuse "holds a root that an earlier version of this check kept; delete it yourself if nothing else is there"
  fi
  if [ ! -e "$home/$marker" ] && [ -n "$(ls -A "$home" 2>/dev/null || echo unreadable)" ]; then
    refuse "is not a folder of this check (it has no $marker)"
  fi
fi

if [ "$(id -u)" -ne 0 ]; then
  # Its parents are the user's, not root's (~/.cache, say).
  mkdir -p "$(dirname "$home")"
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

# Files are written beside their place and renamed into it, which replaces a symbolic link
# made meanwhile instead of writing through it. put NAME TEXT
put() {
  local new
  new=$(mktemp "$1.XXXXXX")
  echo "$2" >"$new"
  chmod 644 "$new"
  mv -f -T "$new" "$1"
}
mkdir -p "$home"
put "$home/$marker" "The Debian 13 check's roots (scripts/check-debian13.sh); delete the folder to start over."
# One run at a time: a run never sees the root being remade under it. The lock is the
# folder's own, so that no file is opened for it.
exec {lock}<"$home"
flock "$lock"

pristine=$home/pristine run=$home/run
# What a killed run left: its mounts went with its namespace, its layer is removed here.
rm -rf --one-file-system "$run" "$pristine.new"

# The suite's release as the archive states it now ("Version: 13.3" and its date); the
# root is made again when it differs from the one the root was made from.
release=$(mktemp -d)
chmod 755 "$release"  # apt downloads as its own unprivileged user
if /usr/lib/apt/apt-helper -qq download-file "$mirror/dists/$suite/InRelease" "$release/InRelease" >/dev/null 2>&1; then
  archive_now=$(grep -m2 -E '^(Version|Date):' "$release/InRelease" | paste -sd ' ')
else
  archive_now=
  echo "check-debian13: warning: cannot read $mirror/dists/$suite/InRelease; the root is not checked for a newer release" >&2
fi
rm -rf "$release"
made_from=$(cat "$pristine.release" 2>/dev/null || true)
if [ ! -e "$pristine.release" ] || { [ -n "$archive_now" ] && [ "$archive_now" != "$made_from" ]; }; then
  echo "check-debian13: making a root of Debian $suite (${archive_now:-release not known}) in $pristine"
  rm -f "$pristine.release"
  log=$(mktemp "$home/debootstrap.log.XXXXXX")
  chmod 644 "$log"
  if ! debootstrap --variant=minbase --include=ca-certificates,git,make "$suite" "$pristine.new" "$mirror" \
       >"$log" 2>&1; then
    tail -n 30 "$log"
    mv -f -T "$log" "$home/debootstrap.log"
    echo "check-debian13: debootstrap could not make the root (the end of $home/debootstrap.log above)" >&2
    exit 1
  fi
  mv -f -T "$log" "$home/debootstrap.log"
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
  } >"$pristine.new/etc/apt/sources.list.d/debian.sources"
  rm -f "$pristine.new/etc/apt/sources.list"
  # No service starts inside the root when a package is installed.
  printf '#!/bin/sh\nexit 101\n' >"$pristine.new/usr/sbin/policy-rc.d"
  chmod 755 "$pristine.new/usr/sbin/policy-rc.d"
  # The packages of the old root's runs are of no use to the new one.
  rm -rf --one-file-system "$pristine" "$home/packages"
  mv "$pristine.new" "$pristine"
  # Written last: an interrupted build is never taken for a root.
  put "$pristine.release" "${archive_now:-unknown}"
fi

# The run's root: the pristine one under a layer of the run's own.
root=$run/root
mkdir -p "$run/upper" "$run/work" "$root" "$home/packages/partial"
mounted=()
finish() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
  # The layer holds everything the run wrote; the mount point is empty once unmounted.
  rm -rf --one-file-system "$run/upper" "$run/work"
  rmdir "$root" "$run" 2>/dev/null || true
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
mount -t overlay overlay -o "lowerdir=$pristine,upperdir=$run/upper,workdir=$run/work" "$root"
mounted+=("$root")
mount_in_root proc /proc
mount_in_root /sys /sys
mount_in_root /dev /dev
mount_in_root tmpfs /dev/shm
mount_in_root "$home/packages" /var/cache/apt/archives
cp /etc/resolv.conf "$root/etc/resolv.conf"

# Where this machine reaches registries through a proxy with its own certificate
# authority, the root trusts the same bundle, for this run only.
environment=(HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "CI=${CI:-}")
bundle=${NODE_EXTRA_CA_CERTS:-$(npm config get cafile 2>/dev/null | grep -v '^null$' || true)}
if [ -n "$bundle" ] && [ -f "$bundle" ]; then
  cp "$bundle" "$root/etc/ssl/host-ca-bundle.pem"
  environment+=(NODE_EXTRA_CA_CERTS=/etc/ssl/host-ca-bundle.pem npm_config_cafile=/etc/ssl/host-ca-bundle.pem)
fi

# A fresh clone of the committed HEAD, as CI and a new contributor would have it.
clone=/root/korvane
git clone -q "$repo" "$root$clone"
echo "check-debian13: $(chroot "$root" sh -c '. /etc/os-release; echo "$PRETTY_NAME"') as debootstrap made it" \
  "($(cat "$pristine.release")), $(git -C "$repo" rev-parse --short HEAD): $steps"
# Whatever the run writes goes into its own layer: the pristine root keeps nothing newer than
# the record of its making. Checked before the steps, so that layers in the wrong order stop
# the run at once, and after them.
untouched() {
  local written
  written=$(find "$pristine" -xdev -newer "$pristine.release" -print -quit)
  [ -z "$written" ] && return 0
  rm -f "$pristine.release"
  echo "check-debian13: the run wrote into the pristine root ($written); it is made again at the next run" >&2
  exit 1
}
untouched
status=0
chroot "$root" /usr/bin/env -i "${environment[@]}" bash -c "cd $clone && $steps" || status=$?
untouched
if [ "$status" -ne 0 ]; then
  echo "check-debian13: failed: the steps ended with exit code $status" >&2
  exit "$status"
fi
echo "check-debian13: passed"

#!/usr/bin/env bash
# A small drive for the full-disk tests: `small-drive.sh mount DIR SIZE` mounts a tmpfs of SIZE on
# DIR, `small-drive.sh unmount DIR` removes it. Without the right to mount it says so and the tests
# that need the drive skip (they check its size themselves).
set -u
case "${1:-}" in
  mount)
    mkdir -p "$2"
    if ! mountpoint -q "$2"; then
      if mount -t tmpfs -o "size=$3" tolvan-small-drive "$2" 2>/dev/null; then
        touch "$2/small-drive.mounted"   # the tests' sign that the drive is the small one
      else
        echo "small-drive: cannot mount a tmpfs on $2; the full-disk tests will skip"
      fi
    fi
    ;;
  unmount)
    if mountpoint -q "$2"; then umount -l "$2"; fi
    rmdir "$2" 2>/dev/null
    ;;
  *)
    echo "usage: small-drive.sh mount DIR SIZE | unmount DIR" >&2
    exit 2
    ;;
esac
exit 0

#!/usr/bin/env bash
# A small drive for the full-disk tests: `small-drive.sh mount DIR SIZE` mounts a tmpfs of SIZE on
# DIR, `small-drive.sh unmount DIR` removes it. `small-drive.sh mount-read-only DIR SIZE FILE...`
# mounts one with the files in it and makes it read-only: a folder no one may add a file to, not even
# root. Without the right to mount it says so and the tests that need the drive skip (they look for
# its sign file).
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
  mount-read-only)
    dir=$2
    size=$3
    shift 3
    mkdir -p "$dir"
    if mountpoint -q "$dir"; then umount -l "$dir"; fi
    if mount -t tmpfs -o "size=$size" tolvan-read-only "$dir" 2>/dev/null; then
      cp "$@" "$dir"/ && touch "$dir/read-only.mounted" && mount -o remount,ro "$dir" ||
        { echo "small-drive: cannot prepare $dir"; umount -l "$dir"; }
    else
      echo "small-drive: cannot mount a tmpfs on $dir; the tests that need it will skip"
    fi
    ;;
  unmount)
    if mountpoint -q "$2"; then umount -l "$2"; fi
    rmdir "$2" 2>/dev/null
    ;;
  *)
    echo "usage: small-drive.sh mount DIR SIZE | mount-read-only DIR SIZE FILE... | unmount DIR" >&2
    exit 2
    ;;
esac
exit 0

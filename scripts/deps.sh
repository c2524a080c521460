#!/usr/bin/env bash
# Installs everything the build needs and prints the dependency prefix as the last line of stdout.
# Idempotent: Debian packages are installed when missing; the cross-built libraries live in a prefix
# outside the checkout, keyed by a hash of the recipes, so a second run rebuilds nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec 3>&1 1>&2          # recipes talk on stderr; only the prefix goes to stdout

"$here/install-packages.sh"   # not part of the recipe hash: packages do not change the prefix

home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache_root=${TOLVAN_DEPS_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/tolvan-deps}
recipe_hash=$(cd "$here/deps" && find . -type f | LC_ALL=C sort | xargs sha256sum | sha256sum | cut -c1-16)
prefix=$cache_root/$recipe_hash
if [ ! -f "$prefix/.complete" ]; then
  mkdir -p "$cache_root"
  exec 9>"$cache_root/.lock"; flock 9          # one builder at a time per machine
  if [ ! -f "$prefix/.complete" ]; then
    rm -rf "$prefix" "$prefix.work"
    mkdir -p "$prefix.work/src" "$prefix.work/out"
    export TOLVAN_PREFIX=$prefix.work/out TOLVAN_SRC=$prefix.work/src
    export TOLVAN_JOBS=${TOLVAN_JOBS:-$(nproc)}
    for recipe in headers gtest curl minizip cpprest; do
      if [ -x "$here/deps/$recipe.sh" ]; then
        echo "== deps: $recipe"; "$here/deps/$recipe.sh"
      fi
    done
    rm -rf "$prefix.work/src"
    mv "$prefix.work/out" "$prefix"; rmdir "$prefix.work"
    touch "$prefix/.complete"
  fi
  flock -u 9
fi
echo "$prefix" >&3

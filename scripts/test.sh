#!/usr/bin/env bash
# Builds everything and runs every test: the Windows build under Wine (windows on a private Xvfb
# display), the native builds with AddressSanitizer+UBSan and with ThreadSanitizer, and the bounded
# fuzzing runs. Installs what it needs first. Exits non-zero when anything fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOLVAN_BUILD_DIR:-$root/build}
jobs=${TOLVAN_JOBS:-$(nproc)}

prefix=$("$root/scripts/deps.sh" | tail -n 1) || { echo "test: dependency set-up failed" >&2; exit 1; }

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

configure() {  # configure <name> <cmake args...>
  local name=$1; shift
  cmake -S "$root" -B "$build/$name" -G Ninja "${launcher[@]}" "$@" >"$build/$name.configure.log" 2>&1 ||
    { cat "$build/$name.configure.log"; return 1; }
}

mkdir -p "$build"
failed_steps=()
step() {  # step <description> <command...>
  echo "== $1"; shift
  "$@" || failed_steps+=("$*")
}

configure win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DTOLVAN_DEPS_PREFIX="$prefix" || exit 1
configure asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVAN_SANITIZE=address || exit 1
configure tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVAN_SANITIZE=thread || exit 1
CC=clang CXX=clang++ configure fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVAN_FUZZ=ON || exit 1

for name in win asan tsan fuzz; do
  step "build $name" cmake --build "$build/$name" -j "$jobs"
done
if [ ${#failed_steps[@]} -gt 0 ]; then
  printf 'test: build failed: %s\n' "${failed_steps[@]}" >&2
  exit 1
fi

passed=0; failed=0
run_ctest() {  # run_ctest <name> [wrapper...]
  local name=$1; shift
  local log="$build/$name.ctest.log"
  echo "== tests: $name"
  "$@" ctest --test-dir "$build/$name" -j "$jobs" --output-on-failure --no-tests=error 2>&1 | tee "$log"
  local line; line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + total - bad)); failed=$((failed + bad))
}

run_ctest win "$root/scripts/with-display.sh"
for prefix in "$build/win/wineprefix" "$build/win/wineprefix-dpi"; do   # the persistent servers this run kept
  [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null
done
run_ctest asan
run_ctest tsan
run_ctest fuzz

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

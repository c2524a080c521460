#!/usr/bin/env bash
# The installer's main job against the bundled demo server: builds the installer (default build, which
# points at the demo server on 127.0.0.1:18080), serves a small sample setup program, runs the silent
# installation under Wine and shows what happened. Stops the server and the Wine server it started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOLVAN_BUILD_DIR:-$root/build}/demo
prefix=$("$root/scripts/deps.sh" | tail -n 1)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
echo "== building the installer"
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTOLVAN_DEPS_PREFIX="$prefix" >/dev/null
cmake --build "$build" --target VexaOnlineInstaller setup_standin >/dev/null

url=$(grep -E '^TOLVAN_DOWNLOAD_URL:' "$build/CMakeCache.txt" | cut -d= -f2-)
port=$(sed -E 's|^[a-z]+://[^:/]+:([0-9]+).*|\1|' <<<"$url")
installer="$build/installer/VexaOnlineInstaller.exe"
sample="$build/tests/installer/setup_standin.exe"
work=$build/run
rm -rf "$work"; mkdir -p "$work"

echo "== starting the demo server on 127.0.0.1:$port (serving the sample setup at /)"
python3 "$root/tests/servers/testserver.py" --port "$port" --port-file "$work/port" \
  --serve-file "/=$sample" --log-file "$work/server.log" --verbose --idle-exit 600 &
server_pid=$!
cleanup() {
  kill "$server_pid" 2>/dev/null || true
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || { echo "demo: the server did not start (is port $port in use?)" >&2; exit 1; }

# The Wine prefix is made on first use by the build's wine-run; Wine passes these variables on.
folder='C:\TolvanDemo\Game\'
export TOLVAN_SETUP_RECORD='C:\TolvanDemo\setup-record.json'
echo "== running: VexaOnlineInstaller.exe -dir:\"$folder\""
set +e
"$build/wine-run" "$installer" "-dir:$folder"
code=$?
set -e

drive_c="$build/wineprefix/drive_c"
echo
echo "installer exit code: $code"
echo "setup landed at:     $drive_c/TolvanDemo/Game/VexaGameFull.exe"
ls -l "$drive_c/TolvanDemo/Game/" 2>/dev/null | sed 's/^/    /' || true
for _ in $(seq 50); do [ -f "$drive_c/TolvanDemo/setup-record.json" ] && break; sleep 0.1; done
echo "the setup received:  $(cat "$drive_c/TolvanDemo/setup-record.json" 2>/dev/null || echo '(it did not run)')"
log=$(find "$drive_c" -name VexaOnlineInstaller.log 2>/dev/null | head -n 1)
echo "last lines of the log ($log):"
tail -n 5 "$log" 2>/dev/null | sed 's/^/    /'
echo "requests the server saw:"
tail -n 5 "$work/server.log" 2>/dev/null | sed 's/^/    /'
exit "$code"

#!/usr/bin/env bash
# Runs a command with a private 24-bit Xvfb display (Wine needs one to create windows); stops only
# the Xvfb it started, by process id.
set -euo pipefail
for n in $(seq 90 140); do
  [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] || { display=$n; break; }
done
[ -n "${display:-}" ] || { echo "with-display: no free display number" >&2; exit 1; }
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e /tmp/.X11-unix/X$display ] && break
  kill -0 $xvfb_pid 2>/dev/null || { echo "with-display: Xvfb failed to start" >&2; exit 1; }
  sleep 0.05
done
export DISPLAY=:$display
"$@"

#!/usr/bin/env bash
# Runs a command with a private 24-bit Xvfb display (Wine needs one to create windows); stops only
# the Xvfb it started, by process id. Xvfb picks the display number itself (-displayfd): two runs
# started at once never share a display, so one run's end cannot take the windows of the other.
set -euo pipefail
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wait $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
display=
for _ in $(seq 200); do
  # Xvfb writes the number and a newline once it listens; read fails until the line is whole.
  if read -r display <"$work/display" 2>/dev/null && [ -n "$display" ]; then break; fi
  display=
  kill -0 $xvfb_pid 2>/dev/null || { echo "with-display: Xvfb failed to start" >&2; exit 1; }
  sleep 0.05
done
[ -n "$display" ] || { echo "with-display: Xvfb did not report a display" >&2; exit 1; }
export DISPLAY=:$display
"$@"

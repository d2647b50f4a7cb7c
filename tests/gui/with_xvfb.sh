#!/usr/bin/env bash
# Runs a command under a virtual X server of its own (Xvfb), as on a user's
# desktop: Qt's xcb platform, a real window system with window managers'
# rules for focus, popups and modality left out. The server takes the first
# free display number (-displayfd), so runs side by side do not collide.
#
# Usage: with_xvfb.sh COMMAND [ARGS...]
set -uo pipefail

dir=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; fi
  rm -rf "$dir"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
pid=$!
for _ in $(seq 200); do
  [ -s "$dir/display" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -s "$dir/display" ]; then
  echo "with_xvfb: Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi

export DISPLAY=":$(head -n1 "$dir/display")"
export QT_QPA_PLATFORM=xcb
# Under the sanitizers: the X11 platform's D-Bus library keeps a buffer to the
# end (tests/gui/lsan_xcb.supp); every other leak still fails the run.
export LSAN_OPTIONS="suppressions=$(dirname "$(readlink -f "$0")")/lsan_xcb.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset WAYLAND_DISPLAY
"$@"

#!/usr/bin/env bash
# Runs one build folder's tests under a private D-Bus session with an unlocked Secret Service
# (gnome-keyring) and a throw-away HOME, so secure-store tests use a real keyring.
# Usage: scripts/run-tests.sh BUILD_DIR [ctest args...]
# Tests run offscreen; those labelled "window" (the Qt Quick view tests a second time, the
# screenshot tour, the newcomer's walk) run in a real window on one Xvfb display started here
# (1366x1024x24, xcb with OpenGL on Mesa llvmpipe) and stopped on exit.
# Tests run side by side, one per core (ZELTRIN_TEST_JOBS overrides); those in a real window
# take turns with the display (their RESOURCE_LOCK).
set -euo pipefail
build="$1"; shift
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY

window_tests=$(ctest --test-dir "$build" -N -L window "$@" 2>/dev/null || true)
if grep -q "^ *Test *#" <<<"$window_tests"; then
  command -v Xvfb >/dev/null || { echo "run-tests: Xvfb is not installed (scripts/ensure-deps.sh)" >&2; exit 1; }
  Xvfb -displayfd 3 -screen 0 1366x1024x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for ((i = 0; i < 150; i++)); do
    [[ -s "$work/display" ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "run-tests: Xvfb exited" >&2; exit 1; }
    sleep 0.1
  done
  [[ -s "$work/display" ]] || { echo "run-tests: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n 1 "$work/display")"
  echo "run-tests: real-window tests on Xvfb $DISPLAY"
fi

status=0
dbus-run-session -- bash -c '
  echo -n "zeltrin-test" | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 || true
  ctest --test-dir "$0" --output-on-failure -j "$1" "${@:2}"
' "$build" "${ZELTRIN_TEST_JOBS:-$(nproc)}" "$@" || status=$?
exit "$status"

#!/usr/bin/env bash
# Runs one build folder's tests under a private D-Bus session with an unlocked Secret Service
# (gnome-keyring) and a throw-away HOME, so secure-store tests use a real keyring.
# Usage: scripts/run-tests.sh BUILD_DIR [ctest args...]
set -euo pipefail
build="$1"; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
exec dbus-run-session -- bash -c '
  echo -n "zeltrin-test" | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 || true
  ctest --test-dir "$0" --output-on-failure "$@"
' "$build" "$@"

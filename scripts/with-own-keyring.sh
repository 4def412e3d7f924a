#!/usr/bin/env bash
# Runs a command under a D-Bus session with an unlocked gnome-keyring of its own, in a throw-away
# HOME. For a test that compares what it has just stored with what the keyring then shows: other
# tests writing to a shared keyring at the same moment can upset that.
# Usage: scripts/with-own-keyring.sh COMMAND [ARGS...]
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_CONFIG_HOME="$work/home/.config"
# The keyring is stopped by hand: one that has not yet seen the bus does not notice it go.
dbus-run-session -- bash -c '
  echo -n "zeltrin-test" | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
  keyring=$!
  for ((i = 0; i < 200; i++)); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q "boolean true" && break
    kill -0 "$keyring" 2>/dev/null || break
    sleep 0.05
  done
  status=0
  "$@" || status=$?
  kill "$keyring" 2>/dev/null || true
  wait "$keyring" 2>/dev/null || true
  exit "$status"
' with-own-keyring "$@"

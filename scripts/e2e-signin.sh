#!/usr/bin/env bash
# Signs in end to end with the real app, the way a pilot would, and checks that a restart
# restores the session from the Secret Service without a password.
#
#   scripts/e2e-signin.sh [BUILD_DIR]     (default: build-e2e; `make e2e` builds and runs it)
#
# BUILD_DIR must be configured against the development account service on 127.0.0.1
# (ZELTRIN_ACCOUNT_BASE_URL=https://127.0.0.1:<port>/v1, ZELTRIN_ACCOUNT_EXTRA_CA=<dir>/ca.crt)
# and hold zeltrin-pilot and dev-account-service. Everything runs under a private D-Bus session
# with an unlocked gnome-keyring, a throw-away HOME and its own Xvfb display. The service keeps
# its certificates in <dir>, the folder of the CA file the build trusts.
#
# Phase 1: the gate, "Sign In with MRV Account", e-mail and password typed with xdotool, Return,
#          the dashboard; the service sees POST /auth/login and the keyring holds the token.
# Phase 2: the app is stopped and started again in the same keyring session; it reaches the
#          dashboard with no typing, and the service sees GET /auth/me and no POST /auth/login.
# Screenshots and logs go to out/e2e/ (E2E_OUT to change). Exits 0 only when both phases pass.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
script="$root/scripts/$(basename "${BASH_SOURCE[0]}")"

# --- Outside: check the build and the tools, then re-run inside a private D-Bus session. -------
if [[ "${ZELTRIN_E2E_INSIDE:-}" != 1 ]]; then
  build=${1:-build-e2e}
  [[ "$build" = /* ]] || build="$root/$build"
  out=${E2E_OUT:-$root/out/e2e}
  die() { echo "e2e: $*" >&2; exit 1; }

  for f in zeltrin-pilot dev-account-service; do
    [[ -x "$build/$f" ]] || die "$build/$f is missing; build it first (make e2e does)"
  done
  for t in Xvfb xdotool import secret-tool dbus-run-session dbus-send gnome-keyring-daemon; do
    command -v "$t" >/dev/null || die "'$t' is not installed; run scripts/ensure-deps.sh --e2e"
  done
  cache="$build/CMakeCache.txt"
  [[ -f "$cache" ]] || die "$cache not found"
  base_url=$(sed -n 's/^ZELTRIN_ACCOUNT_BASE_URL:[A-Z]*=//p' "$cache")
  ca=$(sed -n 's/^ZELTRIN_ACCOUNT_EXTRA_CA:[A-Z]*=//p' "$cache")
  [[ "$base_url" =~ ^https://127\.0\.0\.1:([0-9]+)/v1$ ]] \
    || die "$build is built for '$base_url', not the development service (https://127.0.0.1:<port>/v1)"
  port=${BASH_REMATCH[1]}
  [[ "$(basename "$ca")" == ca.crt ]] \
    || die "$build trusts '$ca'; it must be the service's ca.crt (-DZELTRIN_ACCOUNT_EXTRA_CA=<dir>/ca.crt)"

  mkdir -p "$out"
  rm -f "$out"/*.png "$out"/*.log
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/home" "$work/runtime"
  chmod 700 "$work/runtime"
  export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/home/.local/share" \
         XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
  state_dir=$(dirname "$ca")
  export E2E_BUILD="$build" E2E_OUT="$out" E2E_WORK="$work" E2E_PORT="$port" E2E_STATE_DIR="$state_dir"
  export ZELTRIN_E2E_INSIDE=1
  unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
  status=0
  dbus-run-session -- "$script" || status=$?
  exit "$status"
fi

# --- Inside the private D-Bus session. -----------------------------------------------------------
build=$E2E_BUILD out=$E2E_OUT work=$E2E_WORK port=$E2E_PORT
readonly EMAIL="pilot@zeltrin.dev" PASSWORD="skyward-demo"
readonly WIN_W=390 WIN_H=844
readonly SECRET_SERVICE_KEY="app.zeltrin.pilot.authToken"

# Where things are in the 390×844 window, and their colours (see out/screenshots/gate.png,
# login-empty.png and tabs-connected.png, rendered by zeltrin-tour). Points sit in plain parts
# of a control, away from its text.
readonly GATE_SIGN_IN_X=60 GATE_SIGN_IN_Y=700       # the gate's "Sign In with MRV Account"
readonly EMAIL_X=340 EMAIL_Y=549                    # login sheet: e-mail field
readonly PASSWORD_X=340 PASSWORD_Y=612              # login sheet: password field
readonly SHEET_SIGN_IN_X=60 SHEET_SIGN_IN_Y=672     # login sheet: "Sign In"
readonly TAB_BAR_X=5 TAB_BAR_Y=838                  # tab bar background
readonly DASHBOARD_TAB_X=32 DASHBOARD_TAB_Y=810     # the selected Dashboard tab's icon
readonly DASHBOARD_TOP=390x300+0+80 DASHBOARD_LOWER=390x300+0+400  # cards under the bar
readonly GOLD=D4A017 GOLD_DISABLED=725814 FIELD=1A1A22 TAB_BAR=191921

app_pid="" xvfb_pid="" service_pid="" keyring_pid=""
cleanup() {
  stop_pid "$app_pid"; stop_pid "$service_pid"; stop_pid "$xvfb_pid"; stop_pid "$keyring_pid"
}
trap cleanup EXIT

phase="setup"
fail() {
  echo "e2e: FAIL ($phase): $*" >&2
  if [[ -n "${DISPLAY:-}" ]]; then
    import -display "$DISPLAY" -window root "$out/failure.png" 2>/dev/null && echo "e2e: screen at failure: $out/failure.png" >&2
  fi
  for log in service app-1 app-2; do
    [[ -s "$out/$log.log" ]] && { echo "--- last lines of $out/$log.log" >&2; tail -n 15 "$out/$log.log" >&2; }
  done
  exit 1
}

# The window's top-left corner on the screen, for sampling pixels in window coordinates.
win_x=0 win_y=0 wid=""
# shellcheck source=lib/xwindow.sh
source "$(dirname "$script")/lib/xwindow.sh"
screenshot() { import -display "$DISPLAY" -window root "$out/$1" || fail "could not save $out/$1"; say "screenshot $out/$1"; }

service_log="$out/service.log"
# answered_ok METHOD PATH [FROM_LINE]: the service answered the request with 200 (fails at once
# on any other status).
answered_ok() {
  local line
  line=$(tail -n "+${3:-1}" "$service_log" | grep -m 1 "^$1 $2 " || true)
  [[ -n "$line" ]] || return 1
  [[ "$line" == "$1 $2 200" ]] || fail "the service answered '$line'"
}
service_lines() { wc -l <"$service_log"; }

# --- Secret Service ------------------------------------------------------------------------------
echo -n "zeltrin-e2e" | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 \
  || fail "gnome-keyring-daemon did not start"
secret_service_up() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.secrets 2>/dev/null | grep -q "boolean true"
}
wait_for 10 "the Secret Service on the session bus" secret_service_up
keyring_pid=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
  org.freedesktop.DBus.GetConnectionUnixProcessID string:org.freedesktop.secrets | awk '/uint32/ { print $2 }')
say "Secret Service up (gnome-keyring-daemon $keyring_pid)"

# --- Development account service -----------------------------------------------------------------
"$build/dev-account-service" --port "$port" --state-dir "$E2E_STATE_DIR" >"$service_log" 2>&1 &
service_pid=$!
service_listening() {
  kill -0 "$service_pid" 2>/dev/null || fail "dev-account-service exited (port $port taken?)"
  grep -q "^Dev account service on https://127.0.0.1:$port" "$service_log"
}
wait_for 30 "dev-account-service to listen on 127.0.0.1:$port" service_listening
say "dev-account-service listening on 127.0.0.1:$port"

# --- X display -----------------------------------------------------------------------------------
Xvfb -displayfd 3 -screen 0 "${WIN_W}x${WIN_H}x24" -nolisten tcp -noreset 3>"$work/display" \
  >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
display_ready() { kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb exited"; [[ -s "$work/display" ]]; }
wait_for 15 "Xvfb to start" display_ready
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
say "Xvfb on $DISPLAY"

# --- The app -------------------------------------------------------------------------------------
start_app() { # log file
  QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 "$build/zeltrin-pilot" >>"$out/$1" 2>&1 &
  app_pid=$!
  find_window() {
    wid=$(xdotool search --onlyvisible --pid "$app_pid" --name '^Zeltrin Pilot$' 2>/dev/null | head -n 1)
    [[ -n "$wid" ]]
  }
  wait_for 30 "the app's window" find_window
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  win_x=$X win_y=$Y
  [[ "$WIDTH" == "$WIN_W" && "$HEIGHT" == "$WIN_H" ]] || fail "the window is ${WIDTH}×${HEIGHT}, not ${WIN_W}×${WIN_H}"
  xdotool windowfocus --sync "$wid"
  say "app started (pid $app_pid, window $wid at $win_x,$win_y)"
}
# Xvfb has no window manager to close the window with, so the app is asked to quit as a
# session ending would: SIGTERM. The token was stored when the sign-in succeeded.
stop_app() {
  local pid=$app_pid i
  kill -TERM "$pid" 2>/dev/null || fail "zeltrin-pilot had already ended"
  for ((i = 0; i < 100; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the app did not quit within 10 s"
  wait "$pid" 2>/dev/null || true
  app_pid=""
}

dashboard() {
  settled_colour "$TAB_BAR_X" "$TAB_BAR_Y" "$TAB_BAR" && is_colour "$DASHBOARD_TAB_X" "$DASHBOARD_TAB_Y" "$GOLD"
}
# The dashboard's content, not only its banner and tab bar: the status card at the top and the
# cards below it are drawn (their grey levels vary), within a few seconds of the tab bar.
dashboard_content() {
  local f="$work/dashboard.png"
  grab_window "$f" || return 1
  region_has_content "$f" "$DASHBOARD_TOP" 6 && region_has_content "$f" "$DASHBOARD_LOWER" 6
}

# --- Phase 1: sign in --------------------------------------------------------------------------
phase="phase 1, sign in"
say "$phase"
phase_start=$(date +%s.%N)
start_app app-1.log
wait_for 30 "the sign-in gate" settled_colour "$GATE_SIGN_IN_X" "$GATE_SIGN_IN_Y" "$GOLD"
screenshot 1-gate.png
click "$GATE_SIGN_IN_X" "$GATE_SIGN_IN_Y"
login_sheet() {
  settled_colour "$EMAIL_X" "$EMAIL_Y" "$FIELD" && is_colour "$PASSWORD_X" "$PASSWORD_Y" "$FIELD" \
    && is_colour "$SHEET_SIGN_IN_X" "$SHEET_SIGN_IN_Y" "$GOLD_DISABLED"
}
wait_for 10 "the login sheet" login_sheet
click "$EMAIL_X" "$EMAIL_Y"
xdotool type --delay 40 "$EMAIL"
click "$PASSWORD_X" "$PASSWORD_Y"
xdotool type --delay 40 "$PASSWORD"
# Both fields filled: the sheet's "Sign In" turns from half to full gold.
wait_for 5 "the sheet's Sign In button to be enabled" settled_colour "$SHEET_SIGN_IN_X" "$SHEET_SIGN_IN_Y" "$GOLD"
screenshot 2-login-filled.png
xdotool key Return
wait_for 15 "the app to send POST /v1/auth/login" answered_ok POST /v1/auth/login
wait_for 15 "the dashboard" dashboard
wait_for 5 "the dashboard's cards between the banner and the tab bar" dashboard_content
screenshot 3-dashboard.png
# The item's attributes are checked; its secret, the token, is only checked to be there, never shown.
secrets=$(secret-tool search --all server app.zeltrin.pilot user "$SECRET_SERVICE_KEY" 2>&1) || true
grep -q "^attribute.user = $SECRET_SERVICE_KEY\$" <<<"$secrets" \
  || fail "the Secret Service holds no item for $SECRET_SERVICE_KEY"
grep -q "^secret = ." <<<"$secrets" || fail "the Secret Service item for $SECRET_SERVICE_KEY is empty"
unset secrets
if [[ -n "$(ls -A "$XDG_DATA_HOME/zeltrin-pilot/secure-store" 2>/dev/null)" ]]; then
  fail "the token went to the encrypted file store, not the Secret Service"
fi
say "Secret Service holds $SECRET_SERVICE_KEY"
phase1_time=$(awk -v s="$phase_start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }')

# --- Phase 2: restart, session restored ----------------------------------------------------------
phase="phase 2, restart"
say "$phase"
stop_app
mark=$(service_lines)
phase_start=$(date +%s.%N)
start_app app-2.log
new_requests() { tail -n "+$((mark + 1))" "$service_log"; }
wait_for 15 "the app to check its stored token (GET /v1/auth/me)" answered_ok GET /v1/auth/me "$((mark + 1))"
wait_for 15 "the dashboard" dashboard
wait_for 5 "the dashboard's cards between the banner and the tab bar" dashboard_content
screenshot 4-restored-dashboard.png
if new_requests | grep -q "^POST /v1/auth/login"; then
  fail "the restart signed in again (POST /v1/auth/login) instead of restoring the session"
fi
phase2_time=$(awk -v s="$phase_start" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }')
stop_app

echo
echo "End-to-end sign-in against https://127.0.0.1:$port/v1"
echo "  phase 1, sign in with the demo account: PASS (${phase1_time}s)"
echo "  phase 2, restart restores the session:  PASS (${phase2_time}s)"
echo "  service requests: $(grep -c '^[A-Z]* /' "$service_log") ($(grep '^[A-Z]* /' "$service_log" | tr '\n' ',' | sed 's/,$//; s/,/, /g'))"
echo "  screenshots: $out/{1-gate,2-login-filled,3-dashboard,4-restored-dashboard}.png"

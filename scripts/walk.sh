#!/usr/bin/env bash
# A newcomer's first walk through the real app, judged from the window's own pixels.
#
#   scripts/walk.sh PATH/TO/zeltrin-pilot
#
# Needs an X display (DISPLAY) and a session bus with a Secret Service: scripts/run-tests.sh
# provides both (`scripts/run-tests.sh build -R walk`). The app runs on xcb with OpenGL, the
# simulated aircraft SDK and a throw-away HOME. The walk: the gate, "Continue as Guest", every
# tab, back to the dashboard, a sheet opened and closed on each screen that has one, waypoints
# added by tapping the map, the mission uploaded. After every step the window is grabbed to
# out/walk/NN-step.png (WALK_OUT to change) and must show what the pilot expects: content where
# the screen has content (not one flat grey), the cards or panels the screen is made of, and a
# change after every tap that should change something.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
app=${1:?usage: scripts/walk.sh PATH/TO/zeltrin-pilot}
out=${WALK_OUT:-$root/out/walk}
[[ -x "$app" ]] || { echo "walk: $app is not executable" >&2; exit 1; }
[[ -n "${DISPLAY:-}" ]] || { echo "walk: no DISPLAY; run it through scripts/run-tests.sh" >&2; exit 1; }
for t in xdotool import convert compare; do
  command -v "$t" >/dev/null || { echo "walk: '$t' is not installed" >&2; exit 1; }
done
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.log

# Faults known today, by step name: the step is reported (XFAIL) but does not fail the walk.
# A step listed here that passes is reported as XPASS, so the entry can go.
KNOWN_FAULTS=${WALK_KNOWN_FAULTS-}

work=$(mktemp -d)
mkdir -p "$work/home"
fail() {
  echo "walk: FAIL (${step:-setup}): $*" >&2
  [[ -n "${wid:-}" ]] && grab_window "$out/failure.png" && echo "walk: window at failure: $out/failure.png" >&2
  [[ -s "$out/app.log" ]] && { echo "--- last lines of $out/app.log" >&2; tail -n 15 "$out/app.log" >&2; }
  exit 1
}
# shellcheck source=lib/xwindow.sh
source "$root/scripts/lib/xwindow.sh"
cleanup() { stop_pid "$app_pid"; rm -rf "$work"; }
trap cleanup EXIT

readonly W=390 H=844
# Window regions (390×844, see out/tour/window/tabs-connected.png): the banner on top, the tab
# bar at the bottom, the screen's content between them.
readonly BANNER_H=28 TABBAR_H=49
readonly CONTENT="${W}x$((H - BANNER_H - TABBAR_H))+0+${BANNER_H}"
readonly TAB_Y=$((H - 24))
tab_x() { echo $((W * (2 * $1 + 1) / 12)); } # tab index 0-5 -> the centre of its item

faults=0 xfails=0 n=0 prev=""
# check NAME DESCRIPTION COMMAND...: one assertion about the current grab.
check() {
  local name=$1 what=$2; shift 2
  local known=0
  [[ " $KNOWN_FAULTS " == *" $name "* ]] && known=1
  if "$@"; then
    ((known)) && say "XPASS $name: $what (listed as a known fault; remove it from WALK_KNOWN_FAULTS)"
    return 0
  fi
  if ((known)); then
    say "XFAIL $name: $what"
    xfails=$((xfails + 1))
  else
    echo "walk: FAIL ($step): $what; see $shot" >&2
    faults=$((faults + 1))
  fi
}
# grab NAME: waits until two grabs 0.3 s apart agree but for a spinner or a live figure (slides
# and fades are over; at most 6 s), keeps it as
# out/walk/NN-NAME.png and makes it the current grab ($shot; the one before is $prev).
grab() {
  local tries a b
  n=$((n + 1))
  step=$1
  prev=${shot:-}
  shot=$(printf '%s/%02d-%s.png' "$out" "$n" "$1")
  a="$work/a.png" b="$work/b.png"
  grab_window "$a" || fail "could not grab the window"
  for ((tries = 0; tries < 20; tries++)); do
    sleep 0.3
    grab_window "$b" || fail "could not grab the window"
    awk -v s="$(differing_share "$a" "$b")" 'BEGIN { exit !(s < 0.002) }' && break
    mv "$b" "$a"
  done
  mv "$b" "$shot"
  say "$(basename "$shot")"
}
has_content() { region_has_content "$shot" "$1" "${2:-4}"; }
changed() { # [REGION] [MIN_SHARE]: the current grab differs from the one before
  awk -v s="$(differing_share "$prev" "$shot" "${1:-}")" -v m="${2:-0.01}" 'BEGIN { exit !(s >= m) }'
}
same_as() { # FILE [REGION]: the current grab matches an earlier one (a sheet closed again)
  awk -v s="$(differing_share "$1" "$shot" "${2:-}")" 'BEGIN { exit !(s < 0.01) }'
}
tap() { click "$1" "$2"; }

# --- Start --------------------------------------------------------------------------------------
step=start
HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config" \
XDG_CACHE_HOME="$work/home/.cache" QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 ZELTRIN_SDK=simulated \
  "$app" >"$out/app.log" 2>&1 &
app_pid=$!
find_window() {
  wid=$(xdotool search --onlyvisible --pid "$app_pid" --name '^Zeltrin Pilot$' 2>/dev/null | head -n 1)
  [[ -n "$wid" ]]
}
wait_for 30 "the app's window" find_window
eval "$(xdotool getwindowgeometry --shell "$wid")"
win_x=$X win_y=$Y
[[ "$WIDTH" == "$W" && "$HEIGHT" == "$H" ]] || fail "the window is ${WIDTH}×${HEIGHT}, not ${W}×${H}"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
say "app started (pid $app_pid, window $wid at $win_x,$win_y)"

# --- The gate -----------------------------------------------------------------------------------
readonly GOLD=D4A017
wait_for 30 "the sign-in gate" settled_colour 60 700 "$GOLD"
grab gate
check gate-content "the gate shows its icon, title and two buttons" \
  has_content "${W}x380+0+100" 8
check gate-buttons "the gate's buttons are drawn" has_content "${W}x130+0+680" 8
# The tour's real-window image of the gate, when the tour ran with this build.
tour_gate="$root/out/tour/window/gate.png"
if [[ -f "$tour_gate" && "$tour_gate" -nt "$app" ]]; then
  check gate-tour "the gate looks as the tour drew it ($tour_gate)" same_as "$tour_gate"
fi

# --- "Continue as Guest": the dashboard -----------------------------------------------------
readonly TAB_BAR=191921
tap 195 771
wait_for 15 "the tab bar" settled_colour 5 $((H - 6)) "$TAB_BAR"
grab dashboard
# The status card under the navigation bar, and the cards further down.
readonly DASH_TOP="${W}x300+0+90" DASH_LOWER="${W}x300+0+400"
check dashboard-content "the dashboard shows its cards, not only the banner and the tab bar" \
  has_content "$DASH_TOP" 6
check dashboard-lower "the dashboard's lower cards are drawn" has_content "$DASH_LOWER" 6

# --- Every tab ------------------------------------------------------------------------------
tabs=(dashboard mission camera telemetry logbook settings)
for i in 1 2 3 4 5; do
  tap "$(tab_x "$i")" "$TAB_Y"
  grab "${tabs[i]}"
  # A tab tap is idempotent: on a loaded machine one was seen to land unanswered once, so a
  # second tap is allowed and said; a tab that never answers still fails below.
  if ! changed "$CONTENT" 0.05; then
    say "the ${tabs[i]} tab did not answer the first tap; tapping again"
    n=$((n - 1)) shot=$prev
    tap "$(tab_x "$i")" "$TAB_Y"
    grab "${tabs[i]}"
  fi
  check "${tabs[i]}-content" "the ${tabs[i]} screen shows content" has_content "$CONTENT" 6
  check "${tabs[i]}-changed" "tapping the ${tabs[i]} tab changes the screen" changed "$CONTENT" 0.05
done
tap "$(tab_x 0)" "$TAB_Y"
grab dashboard-again
check dashboard-again-content "back on the dashboard, its cards are drawn" has_content "$DASH_TOP" 6
check dashboard-again-lower "back on the dashboard, its lower cards are drawn" has_content "$DASH_LOWER" 6
check dashboard-again-changed "tapping the dashboard tab changes the screen" changed "$CONTENT" 0.05

# --- A sheet on each screen that has one ----------------------------------------------------
# sheet SCREEN TAB OPEN_X OPEN_Y CLOSE_X CLOSE_Y: on the tab, a tap opens the sheet, another
# closes it, and the screen is as it was.
sheet() {
  local name=$1 tabi=$2 before
  if [[ "$tabi" != current ]]; then
    tap "$(tab_x "$tabi")" "$TAB_Y"
    grab "$name-before-sheet"
  fi
  before=$shot
  tap "$3" "$4"
  grab "$name-sheet"
  check "$name-sheet-open" "a tap opens the $name screen's sheet" changed "" 0.10
  check "$name-sheet-content" "the $name screen's sheet shows content" has_content "$CONTENT" 6
  tap "$5" "$6"
  grab "$name-sheet-closed"
  check "$name-sheet-closed" "closing the sheet brings the $name screen back" same_as "$before" "$CONTENT"
}
# Points in the 390×844 window (see out/tour/window/*.png): the dashboard's "POI" flight mode,
# the mission tools' "Waypoint list", the camera's advanced controls, the logbook's analytics
# entry; each sheet closes with its "Done" at the top right.
readonly DONE_X=352 DONE_Y=30  # a sheet's "Done", top right
readonly POI_X=${WALK_POI_X:-100} POI_Y=${WALK_POI_Y:-700}
readonly LIST_X=$((W - 16 - 24)) LIST_Y=$((BANNER_H + 44 + 100 + 2 * (44 + 12) + 24))
sheet dashboard current "$POI_X" "$POI_Y" "$DONE_X" "$DONE_Y"
sheet mission 1 "$LIST_X" "$LIST_Y" "$DONE_X" "$DONE_Y"
sheet camera 2 "${WALK_ADV_X:-195}" "${WALK_ADV_Y:-372}" "$DONE_X" "$DONE_Y"
sheet logbook 4 "${WALK_AN_X:-195}" "${WALK_AN_Y:-120}" "$DONE_X" "$DONE_Y"

# --- Waypoints by tapping the map, then the upload -----------------------------------------
tap "$(tab_x 1)" "$TAB_Y"
grab mission-again
# The panel's header holds the waypoint count (y 496 with waypoints, 536 without: the panel
# grows by the "Clear All Waypoints" row). The map lies above it; the region stops above the
# attribution (y 450 with waypoints) and left of the map tools. Waypoints are placed by count,
# not where the tap lands: the first one sits at the map's centre, y 410.
readonly PANEL="${W}x70+0+480" MAP="$((W - 80))x364+0+$((BANNER_H + 44))"
for p in "120 260" "200 330" "90 380"; do
  read -r x y <<<"$p"
  tap "$x" "$y"
  grab "waypoint-at-$x-$y"
  check "waypoint-$x-$y-marker" "a tap on the map at $x,$y draws a waypoint" changed "$MAP" 0.001
  check "waypoint-$x-$y-panel" "a tap on the map at $x,$y changes the panel (waypoint count)" changed "$PANEL" 0.0005
done
# "Upload & Execute Mission", above "Clear All Waypoints".
readonly UPLOAD_X=195 UPLOAD_Y=${WALK_UPLOAD_Y:-700}
tap "$UPLOAD_X" "$UPLOAD_Y"
grab upload
check upload-started "a tap on the upload button starts the upload" changed "${W}x60+0+$((UPLOAD_Y - 30))" 0.01

stop_pid "$app_pid"
app_pid=""
echo
echo "Newcomer's walk: $n screens in $out, $faults fault(s), $xfails known fault(s)"
((faults == 0))

# Helpers for scripts that drive the real app in an X window (xdotool) and judge what the pilot
# sees from the window's own pixels (ImageMagick). Source it; the caller defines
#   fail MESSAGE...   reports and exits
# and sets app_pid (the running app, or empty), wid (its window), win_x/win_y (its top-left
# corner on the screen) and DISPLAY.

start=${start:-$(date +%s.%N)}
elapsed() { awk -v s="$start" -v n="$(date +%s.%N)" 'BEGIN { printf "%5.1fs", n - s }'; }
say() { echo "[$(elapsed)] $*"; }

app_pid=${app_pid:-} wid=${wid:-} win_x=${win_x:-0} win_y=${win_y:-0}

stop_pid() { # pid: TERM, then KILL after 5 s
  local pid=$1 i
  [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null || true
  for ((i = 0; i < 50; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# wait_for SECONDS DESCRIPTION COMMAND...: polls COMMAND every 0.1 s until it succeeds; fails
# at once if the app was started and has ended meanwhile.
wait_for() {
  local secs=$1 what=$2; shift 2
  local deadline status
  deadline=$(awk -v n="$(date +%s.%N)" -v s="$secs" 'BEGIN { printf "%.1f", n + s }')
  until "$@"; do
    if [[ -n "$app_pid" ]] && ! kill -0 "$app_pid" 2>/dev/null; then
      status=0
      wait "$app_pid" 2>/dev/null || status=$?
      app_pid=""
      fail "zeltrin-pilot ended (exit status $status) while waiting for $what"
    fi
    if awk -v n="$(date +%s.%N)" -v d="$deadline" 'BEGIN { exit !(n > d) }'; then
      fail "timed out after ${secs}s waiting for $what"
    fi
    sleep 0.1
  done
}

pixel() { # x y (window coordinates) -> RRGGBB
  import -display "$DISPLAY" -window root -crop "1x1+$((win_x + $1))+$((win_y + $2))" -depth 8 txt:- 2>/dev/null \
    | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}
# is_colour x y RRGGBB: the pixel is within 6 per channel of the colour.
is_colour() {
  local got i d
  got=$(pixel "$1" "$2")
  [[ "$got" =~ ^[0-9A-Fa-f]{6}$ ]] || return 1
  for i in 0 2 4; do
    d=$((16#${got:i:2} - 16#${3:i:2}))
    ((d >= -6 && d <= 6)) || return 1
  done
}
# The colour, and the very same pixel 0.25 s later: nothing is sliding or fading there any more.
settled_colour() {
  local first
  is_colour "$@" || return 1
  first=$(pixel "$1" "$2")
  sleep 0.25
  [[ "$(pixel "$1" "$2")" == "$first" ]]
}
click() { xdotool mousemove --sync "$((win_x + $1))" "$((win_y + $2))" click 1; }

# grab_window FILE: the app's window as the pilot sees it.
grab_window() { import -display "$DISPLAY" -window "$wid" "$1" 2>/dev/null; }

# grey_spread FILE WxH+X+Y: the standard deviation of the grey levels in the region, 0-255.
# A region drawn in one flat colour (a blank screen) has a spread near 0.
grey_spread() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:standard_deviation*255]' info: 2>/dev/null
}
# region_has_content FILE WxH+X+Y [MIN_SPREAD]: the region is more than one flat colour.
region_has_content() {
  local s
  s=$(grey_spread "$1" "$2") || return 1
  awk -v s="$s" -v m="${3:-4}" 'BEGIN { exit !(s >= m) }'
}
# differing_share A B [WxH+X+Y]: the share (0-1) of pixels that differ by more than 8 % between
# two grabs of the same size, in the region or the whole image.
differing_share() {
  local a=$1 b=$2 n total tmp
  if [[ -n "${3:-}" ]]; then
    tmp=$(mktemp -d)
    convert "$a" -crop "$3" +repage "$tmp/a.png" && convert "$b" -crop "$3" +repage "$tmp/b.png"
    a=$tmp/a.png b=$tmp/b.png
  fi
  n=$(compare -metric AE -fuzz 8% "$a" "$b" null: 2>&1 >/dev/null || true)
  total=$(convert "$a" -format '%[fx:w*h]' info:)
  [[ -n "${tmp:-}" ]] && rm -rf "$tmp"
  awk -v n="${n%% *}" -v t="$total" 'BEGIN { printf "%.4f", (t > 0 ? n / t : 0) }'
}

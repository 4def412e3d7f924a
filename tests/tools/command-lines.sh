#!/usr/bin/env bash
# Each program given on the command line answers --help with its usage (status 0) and refuses an
# unknown option, a stray argument and a bad number with a message naming it (a non-zero status,
# no crash), and in none of these cases writes a file: not in its working folder (where the tour
# once made a folder named "--help" full of pictures), nor under its home.
#   tests/tools/command-lines.sh PROGRAM...
set -u
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs "$@" in an empty folder with an empty home; sets status, out, err and written.
run() {
  rm -rf "$scratch/work" "$scratch/home" "$scratch/out" "$scratch/err"
  mkdir -p "$scratch/work" "$scratch/home"
  (cd "$scratch/work" && HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/data" \
    XDG_CONFIG_HOME="$scratch/home/config" XDG_CACHE_HOME="$scratch/cache" QT_QPA_PLATFORM=offscreen \
    timeout 60 "$@" >"$scratch/out" 2>"$scratch/err")
  status=$?
  out=$(cat "$scratch/out")
  err=$(cat "$scratch/err")
  written=$(find "$scratch/work" "$scratch/home" -mindepth 1 | head -5)
}

for program in "$@"; do
  name=$(basename "$program")

  run "$program" --help
  [[ $status -eq 0 ]] || fail "$name --help: status $status: $err"
  grep -Eq "^Usage: (.*/)?$name( |\$)" <<<"$out" || fail "$name --help: no usage line: $out"
  [[ -z $written ]] || fail "$name --help wrote $written"

  for bad in --no-such-option -Z; do
    run "$program" "$bad"
    if [[ $status -eq 0 || $status -ge 124 ]]; then
      fail "$name $bad: status $status (refused with 1 or 2 expected)"
    fi
    opt=${bad#-}
    opt=${opt#-}
    grep -q -- "'$opt'" <<<"$err" || fail "$name $bad: the message does not name it: $err"
    [[ -z $written ]] || fail "$name $bad wrote $written"
  done
done

# Arguments beyond what a program takes, and numbers that are not, are refused the same way.
for program in "$@"; do
  name=$(basename "$program")
  case $name in
    zeltrin-pilot | session-stall | dev-account-service) args=(stray) ;;
    zeltrin-tour) args=(out scene stray) ;;
    zeltrin-pack-image) args=(only-one) ;;
    startup-app) args=(sometimes) ;;
    startup-bare) args=(tap soon) ;;
    mission-bench | plan-files-bench | survey-drag-bench | offline-bench | preview-bench | survey-bench | logbook-bench | startup-bench | stream-bench | mission-flight-bench | terrain-follow-bench) args=(many) ;;
    *) continue ;;
  esac
  run "$program" "${args[@]}"
  if [[ $status -eq 0 || $status -ge 124 ]]; then
    fail "$name ${args[*]}: status $status (refused expected)"
  fi
  [[ -n $err ]] || fail "$name ${args[*]}: refused without a word"
  [[ -z $written ]] || fail "$name ${args[*]} wrote $written"
done

echo "$# programs, $failures failures"
[[ $failures -eq 0 ]]

#!/usr/bin/env bash
# Renders the screenshot tour in a real window twice, by default and under another locale
# (de_DE.UTF-8 unless given), and prints each scene whose images differ beyond 2 % colour noise.
# Numbers must come out the same in every locale; only dates may differ.
# Usage: scripts/tour-locale-compare.sh BUILD_DIR [LOCALE]
set -euo pipefail
build="$1"; loc="${2:-de_DE.UTF-8}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
run() { xvfb-run -a -s "-screen 0 1366x1024x24" "$build/zeltrin-tour" --window "$1" >/dev/null; }
run "$out/default"
LANG="$loc" LC_ALL="$loc" run "$out/locale"
differ=0
for f in "$out"/default/*.png; do
  b=$(basename "$f")
  ae=$(compare -metric AE -fuzz 2% "$f" "$out/locale/$b" null: 2>&1 || true)
  if [[ "$ae" != "0" ]]; then echo "$b: $ae pixels differ"; differ=$((differ + 1)); fi
done
echo "$differ scenes differ under $loc"

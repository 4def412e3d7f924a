#!/usr/bin/env bash
# Checks that the C++ lines added or changed since BASE follow .clang-format (clang-format 14):
#   scripts/check-format.sh          prints what clang-format would change, and fails if anything
#   scripts/check-format.sh --fix    makes those changes in the working tree
#
# BASE is the commit the format was introduced on top of. The tree was not reformatted as a
# whole: work begun before then on other branches merges without conflicts. Every line added or
# changed after BASE is checked, on any clone that has BASE in its history (CI clones the whole
# history); lines older than BASE are left as they are until they change. After merging a branch
# begun before the format existed, run --fix and commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."

BASE=2c6ccb2e6ab2cc4af02c3c3a7430d1070062a2d1
PATHS=(src tests tools bench fuzz)

fix=false
case "${1:-}" in
  --fix) fix=true ;;
  "") ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

for tool in git clang-format git-clang-format; do
  if ! command -v "$tool" >/dev/null; then
    echo "check-format: $tool is missing (apt-get install git clang-format)" >&2
    exit 1
  fi
done
version=$(clang-format --version)
if [[ "$version" != *"clang-format version 14."* ]]; then
  echo "check-format: needs clang-format 14 (other versions format differently); found: $version" >&2
  exit 1
fi
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "check-format: not a git checkout; the changed lines cannot be found" >&2
  exit 1
fi
if ! git cat-file -e "$BASE^{commit}" 2>/dev/null; then
  # A shallow clone has no way to tell which lines changed: say so rather than fail the build.
  echo "check-format: commit $BASE is not in this clone (a shallow clone?); nothing checked" >&2
  exit 0
fi

if $fix; then
  # --force: files with unstaged changes are formatted too.
  # A reformatted line can widen the changed range into its neighbours: repeat until settled.
  for _ in 1 2 3 4; do
    out=$(git clang-format --force --extensions cpp,h "$BASE" -- "${PATHS[@]}")
    printf '%s\n' "$out"
    grep -q '^changed files:' <<<"$out" || exit 0
  done
  exit 0
fi

# git-clang-format 14 exits 0 whether or not it finds something, so its output decides.
status=0
out=$(git clang-format --diff --extensions cpp,h "$BASE" -- "${PATHS[@]}") || status=$?
if grep -q '^diff --git' <<<"$out"; then
  printf '%s\n' "$out"
  echo "check-format: the lines above differ from .clang-format; scripts/check-format.sh --fix formats them" >&2
  exit 1
fi
if [[ $status -ne 0 ]]; then
  printf '%s\n' "$out" >&2
  exit "$status"
fi
echo "check-format: the lines changed since ${BASE:0:12} follow .clang-format"

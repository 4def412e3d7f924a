#!/bin/sh
# Lints the app's QML module (Zeltrin) and the kit's (Zeltrin.Kit) with the qmllint targets Qt
# generates for them, and fails on any qmllint warning. Both modules are always linted, so one
# run lists every warning.
#   scripts/qmllint.sh BUILD_DIR [CMAKE]
build=${1:?usage: $0 BUILD_DIR [CMAKE]}
cmake=${2:-cmake}
status=0
for target in zeltrin_kit_qmllint zeltrin_qmllint; do
    "$cmake" --build "$build" --target "$target" || status=1
done
exit $status

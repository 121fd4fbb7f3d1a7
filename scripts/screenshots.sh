#!/usr/bin/env bash
# Screenshots of the main window in modes 0, 3 and 6 with a row selected, and after an
# install with its result line, taken by the end-to-end tests under a private X display in
# the Japanese locale. Writes PNG files to build/screenshots/ and prints their paths.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$QV_ROOT/scripts/setup.sh" >/dev/null

export LANG=ja_JP.UTF-8
unset LC_ALL
OUT=$QV_BUILD/screenshots
# Only this script's own files go; run.sh keeps its screenshots here too.
rm -rf "$OUT/bmp"
mkdir -p "$OUT/bmp"

cleanup() {
  qv_stop_wine
  qv_stop_xvfb
}
trap cleanup EXIT

qv_start_xvfb
QV_SCREENSHOTS=$OUT/bmp QV_BIN_DIR=$QV_WIN \
  wine "$QV_WIN/qv_wine_tests.exe" \
  --gtest_filter='E2eWindow.InstallRow*:E2eWindow.RemovalAndShowRows*:E2eNext.NewInstalls*' >"$OUT/e2e-tests.log" 2>&1 ||
  qv_die "the screenshot tests failed; see $OUT/e2e-tests.log"
timeout 30 wineserver -w || true

shopt -s nullglob
bmps=("$OUT"/bmp/*.bmp)
((${#bmps[@]} > 0)) || qv_die "no screenshots were written; see $OUT/e2e-tests.log"
for bmp in "${bmps[@]}"; do
  png=$OUT/$(basename "$bmp" .bmp).png
  convert "$bmp" "$png"
  echo "$png"
done
rm -rf "$OUT/bmp"

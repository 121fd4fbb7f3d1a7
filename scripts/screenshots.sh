#!/usr/bin/env bash
# Screenshots of the main window in every mode with a row selected, in modes 0, 3 and 6
# as the removal and install tests see them, and after an install with its result line,
# taken by the end-to-end tests under a private X display in the Japanese locale. Writes
# PNG files to build/screenshots/ and prints their paths.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$QV_ROOT/scripts/setup.sh" >/dev/null

# run.sh keeps its screenshots in the same folder; only this script's own files are made.
OUT=$QV_BUILD/screenshots
qv_e2e_screenshots "$OUT" \
  'E2eWindow.EveryMode*:E2eWindow.InstallRow*:E2eWindow.RemovalAndShowRows*:E2eNext.NewInstalls*' \
  "$OUT/e2e-tests.log" || exit 1

#!/usr/bin/env bash
# Runs every test: set-up first, then the native tests, then the Windows tests
# under Wine on a private X display. Exits non-zero if any test failed.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$QV_ROOT/scripts/setup.sh"

# The real add-in files lie outside the checkout (their licences differ).
if [[ -d $QV_ROOT/../shared/corpus/xla ]]; then
  QV_CORPUS=$(realpath "$QV_ROOT/../shared/corpus/xla")
else
  QV_CORPUS=/work/shared/corpus/xla
fi
export QV_CORPUS
export LANG=ja_JP.UTF-8
unset LC_ALL
# Removed add-ins go to the desktop's trash, which Wine keeps under $XDG_DATA_HOME/Trash: the
# tests get a trash of their own, emptied for each run, not the user's.
export XDG_DATA_HOME=$QV_BUILD/test-data-home
rm -rf "$XDG_DATA_HOME"
mkdir -p "$XDG_DATA_HOME"

cleanup() {
  qv_stop_wine
  qv_stop_xvfb
}
trap cleanup EXIT

status=0
qv_say "native tests"
ctest --test-dir "$QV_NATIVE" --output-on-failure || status=1

# The manual beside quorvel.exe against the wizard's texts and the build's screenshots
# (it renders two pages to build/screenshots/ for review), then the release zip.
qv_say "manual and release"
"$QV_PYTHON" "$QV_ROOT/tests/manual/check_manual.py" "$QV_BUILD/manual/texts.json" "$QV_WIN/操作説明.pdf" \
  "$QV_BUILD/manual/shots" "$QV_BUILD/screenshots" "$QV_BUILD/manual/manual.html" || status=1
"$QV_PYTHON" "$QV_ROOT/tests/manual/check_release.py" "$QV_ROOT" || status=1

qv_start_xvfb
# A run killed in the middle of a test cannot put the stand-in's settings back; each run
# starts from none, as a fresh prefix does.
wine reg delete 'HKCU\Software\ExcelStandIn' /va /f >/dev/null 2>&1 || true
# Its registration too (a test may have written the Click-to-Run layout), from those defaults.
wine "$QV_WIN/excel-standin.exe" /regserver >/dev/null 2>&1 || true
qv_say "Windows tests under Wine (DISPLAY=$DISPLAY)"
ctest --test-dir "$QV_WIN" --output-on-failure || status=1
# Nothing may outlive the tests; a stand-in left behind would keep this waiting.
if ! timeout 30 wineserver -w; then
  qv_say "warning: wine processes were still running 30 s after the tests" >&2
fi

if ((status == 0)); then
  qv_say "all tests passed"
else
  qv_say "some tests FAILED" >&2
fi
exit "$status"

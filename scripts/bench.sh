#!/usr/bin/env bash
# Measures the mode switch against the Excel stand-in under Wine: round trips per listed
# add-in, its time beside a bare create and Quit of the stand-in, two switches back to back
# with the wait for the earlier instance apart from the listing, and the wizard's memory, for
# 10, 200 and 1,000 add-ins (or the list sizes given as arguments), each in the user add-in
# folder and listed through Add-in Manager values. Prints figures; not part of the tests.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$QV_ROOT/scripts/setup.sh"
cmake --build "$QV_WIN" --target qv_bench >/dev/null

export LANG=ja_JP.UTF-8
unset LC_ALL
cleanup() {
  qv_stop_wine
  qv_stop_xvfb
}
trap cleanup EXIT
[[ -n ${DISPLAY:-} ]] || qv_start_xvfb
wine "$QV_WIN/qv_bench.exe" "$@"

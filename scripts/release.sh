#!/usr/bin/env bash
# Makes build/release/QuorvelSP-<version>-win-x64.zip from the current build (quorvel.exe
# and 操作説明.pdf in build/win) and prints its SHA-256. It builds nothing: run setup.sh
# (or run.sh or test.sh) first. The same build gives the same zip, byte for byte.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

for f in quorvel.exe 操作説明.pdf; do
  [[ -f $QV_WIN/$f ]] || qv_die "$QV_WIN/$f is missing; run bash scripts/setup.sh first"
done
version=$(qv_version)
"$QV_PYTHON" "$QV_ROOT/scripts/release.py" "$QV_ROOT" "$QV_WIN" "$version" \
  "$QV_BUILD/release/QuorvelSP-$version-win-x64.zip"

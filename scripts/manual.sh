#!/usr/bin/env bash
# Builds the manual, 操作説明.pdf, beside quorvel.exe, so that the 操作説明 button opens it:
# screenshots of the seven modes from the running program under Wine, when the programs
# changed, then the PDF from docs/manual with WeasyPrint, when any of its inputs changed.
# setup.sh calls it once both builds and the Wine prefix are ready.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

WORK=$QV_BUILD/manual
SHOTS=$WORK/shots
TEXTS=$WORK/texts.json
PDF=$QV_WIN/操作説明.pdf

# True when <file> is missing or older than one of the inputs that follow it.
stale() {
  local file=$1 input
  shift
  [[ -e $file ]] || return 0
  for input in "$@"; do
    [[ $input -nt $file ]] && return 0
  done
  return 1
}

take_screenshots() {
  local stamp=$SHOTS/.taken shot
  stale "$stamp" "$QV_WIN/qv_wine_tests.exe" "$QV_WIN/excel-standin.exe" || return 0
  qv_say "screenshots of the seven modes and of a finished install"
  rm -rf "$SHOTS"
  mkdir -p "$SHOTS"
  qv_e2e_screenshots "$SHOTS" 'E2eWindow.EveryModeWithARowSelected*' "$WORK/screenshots.log" >/dev/null ||
    qv_die "the screenshots for the manual failed"
  for shot in mode{0..6}-row-selected mode0-done; do
    [[ -s $SHOTS/$shot.png ]] || qv_die "no screenshot $shot; see $WORK/screenshots.log"
  done
  touch "$stamp"
}

# The texts the wizard shows, from the compiler's own reading of texts.h. The file keeps
# its date when nothing changed, so the PDF is not made again for nothing.
write_texts() {
  "$QV_NATIVE/qv_texts_json" >"$TEXTS.new"
  if cmp -s "$TEXTS.new" "$TEXTS"; then
    rm "$TEXTS.new"
  else
    mv "$TEXTS.new" "$TEXTS"
  fi
}

typeset_manual() {
  local sources=("$QV_ROOT"/docs/manual/*)
  stale "$PDF" "$TEXTS" "$SHOTS/.taken" "$QV_WIN/CMakeCache.txt" "${sources[@]}" || return 0
  qv_say "typesetting $PDF"
  "$QV_PYTHON" "$QV_ROOT/docs/manual/render.py" "$TEXTS" "$SHOTS" "$(qv_version)" "$WORK/manual.pdf" \
    "$WORK/manual.html"
  mv "$WORK/manual.pdf" "$PDF"
}

mkdir -p "$WORK"
take_screenshots
write_texts
typeset_manual

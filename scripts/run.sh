#!/usr/bin/env bash
# Runs the wizard under Wine, with any arguments passed through (add-in paths
# as Windows paths, e.g. Z:\home\me\tool.xla). With a display it simply runs.
# Without one it runs on a private X server, saves a screenshot of the
# wizard's window to build/screenshots/ and prints its path.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$QV_ROOT/scripts/setup.sh" </dev/null

export LANG=ja_JP.UTF-8
unset LC_ALL
WIZARD=$QV_WIN/quorvel.exe
TITLE='Quorvel SP'

if [[ -n ${DISPLAY:-} ]]; then
  status=0
  wine "$WIZARD" "$@" || status=$?
  wineserver -w
  exit "$status"
fi

wizard_pid=
cleanup() {
  if [[ -n $wizard_pid ]]; then
    kill "$wizard_pid" 2>/dev/null || true
  fi
  qv_stop_wine
  qv_stop_xvfb
}
trap cleanup EXIT

qv_start_xvfb
qv_say "no display given; running on a private X server ($DISPLAY)"
wine "$WIZARD" "$@" &
wizard_pid=$!

window=
for ((i = 0; i < 120; i++)); do
  window=$(xdotool search --onlyvisible --name "$TITLE" 2>/dev/null | head -n1 || true)
  [[ -n $window ]] && break
  if ! kill -0 "$wizard_pid" 2>/dev/null; then
    wizard_status=0
    wait "$wizard_pid" || wizard_status=$?
    wizard_pid=
    qv_die "no window appeared: quorvel.exe ended (exit code $wizard_status) without showing a \"$TITLE\" window"
  fi
  sleep 0.5
done
[[ -n $window ]] || qv_die "no window appeared: no \"$TITLE\" window within 60 s"

sleep 2 # let it paint
mkdir -p "$QV_BUILD/screenshots"
shot=$QV_BUILD/screenshots/quorvel-$(date +%Y%m%d-%H%M%S).png
import -window root "$shot"
qv_say "screenshot saved"
echo "$shot"

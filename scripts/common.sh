# Shared by setup.sh, test.sh and run.sh: where things lie and how wine is run.
# Sourced, not executed.

QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QV_BUILD=$QV_ROOT/build
QV_NATIVE=$QV_BUILD/native
QV_WIN=$QV_BUILD/win

# Every wine step uses the checkout's own prefix, never ~/.wine.
export WINEPREFIX=$QV_BUILD/wineprefix
export WINEDEBUG=-all
export WINEARCH=win64

qv_say() { printf '%s: %s\n' "$(basename "$0" .sh)" "$*"; }
qv_die() { qv_say "$*" >&2; exit 1; }

# Starts a private X server on a free display and exports DISPLAY.
# Sets QV_XVFB_PID so the caller can stop it.
qv_start_xvfb() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" \
    >/dev/null 2>&1 &
  QV_XVFB_PID=$!
  local i
  for ((i = 0; i < 100; i++)); do
    if [[ -s $fdfile ]]; then
      export DISPLAY=:$(head -n1 "$fdfile")
      rm -f "$fdfile"
      return 0
    fi
    kill -0 "$QV_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$fdfile"
  qv_die "Xvfb did not start"
}

qv_stop_xvfb() {
  if [[ -n ${QV_XVFB_PID:-} ]]; then
    kill "$QV_XVFB_PID" 2>/dev/null || true
    wait "$QV_XVFB_PID" 2>/dev/null || true
    QV_XVFB_PID=
  fi
}

# Ends every wine process of this checkout's prefix (and nothing else).
qv_stop_wine() {
  if command -v wineserver >/dev/null && [[ -d $WINEPREFIX ]]; then
    wineserver -k 2>/dev/null || true
  fi
}

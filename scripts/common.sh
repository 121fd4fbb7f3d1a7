# Shared by setup.sh, test.sh and run.sh: where things lie and how wine is run.
# Sourced, not executed.

QV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QV_BUILD=$QV_ROOT/build
QV_NATIVE=$QV_BUILD/native
QV_WIN=$QV_BUILD/win
# Debian's own Python, which has WeasyPrint; not whatever python3 comes first in PATH.
QV_PYTHON=/usr/bin/python3

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

# Wine draws a window's title bar and frame itself only when its X11 driver neither leaves
# them to a window manager nor lets one manage the window; the private X server has none, so
# without these values the pictures have a black bar where the title bar belongs.
# Usage: qv_wine_draws_frames on|off (off puts Wine's defaults back).
QV_X11_KEY='HKCU\Software\Wine\X11 Driver'
qv_wine_draws_frames() {
  local v
  for v in Decorated Managed; do
    if [[ $1 == on ]]; then
      wine reg add "$QV_X11_KEY" /v "$v" /t REG_SZ /d N /f >/dev/null 2>&1 || true
    else
      wine reg delete "$QV_X11_KEY" /v "$v" /f >/dev/null 2>&1 || true
    fi
  done
  wineserver -w || true
}

# Runs end-to-end Wine tests that save the window as it is on the screen, on a private X
# display in the Japanese locale, and turns their pictures into PNG files. Each picture's
# record of the paths it shows (<name>.txt) goes beside it.
# Usage: qv_e2e_screenshots <folder for the PNG files> <gtest filter> <log file>
# Prints the PNG paths. Needs the prepared prefix; stops the X server and wine afterwards.
qv_e2e_screenshots() {
  local out=$1 filter=$2 log=$3 status=0
  rm -rf "$out/bmp"
  mkdir -p "$out/bmp"
  (
    trap 'qv_wine_draws_frames off; qv_stop_wine; qv_stop_xvfb' EXIT
    export LANG=ja_JP.UTF-8
    unset LC_ALL
    qv_start_xvfb
    qv_wine_draws_frames on
    QV_SCREENSHOTS=$out/bmp QV_BIN_DIR=$QV_WIN \
      wine "$QV_WIN/qv_wine_tests.exe" --gtest_filter="$filter" >"$log" 2>&1
    timeout 30 wineserver -w || true
  ) || status=$?
  ((status == 0)) || { qv_say "the screenshot tests failed; see $log" >&2; return 1; }
  shopt -s nullglob
  local bmps=("$out"/bmp/*.bmp) bmp png
  shopt -u nullglob
  ((${#bmps[@]} > 0)) || { qv_say "no screenshots were written; see $log" >&2; return 1; }
  for bmp in "${bmps[@]}"; do
    png=$out/$(basename "$bmp" .bmp).png
    # No dates or other chunks beyond the pixels, so the same window makes the same file.
    convert "$bmp" -define png:exclude-chunks=date,time "$png"
    [[ -f ${bmp%.bmp}.txt ]] && mv "${bmp%.bmp}.txt" "${png%.png}.txt"
    echo "$png"
  done
  rm -rf "$out/bmp"
}

# The program's version, as the Windows build took it from CMakeLists.txt for the exe's
# version block (for example 1.0.0).
qv_version() {
  local v
  v=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$QV_WIN/CMakeCache.txt" 2>/dev/null)
  [[ $v =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || qv_die "no project version in $QV_WIN/CMakeCache.txt"
  echo "$v"
}

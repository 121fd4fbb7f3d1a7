#!/usr/bin/env bash
# Prepares a Debian 12 machine and this checkout: system packages, the
# Japanese locale, the native and the Windows builds, the Wine prefix in
# build/wineprefix with the Excel stand-in registered, and the manual
# (操作説明.pdf beside quorvel.exe). Run as root.
# Safe to run again: finished steps are skipped, so a second run takes seconds.
set -Eeuo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# No step stops the set-up silently: a failing command is named, with where it ran. Its own
# output, where it has any, is printed above (the registry writes print theirs themselves).
setup_failed() { # <exit status> <command>
  # The functions it ran in, innermost first, without this one and the script's own "main".
  local where=${FUNCNAME[*]:1:${#FUNCNAME[@]}-2}
  qv_say "FAILED (exit status $1): $2${where:+ (in ${where// / <- })}" >&2
}
trap 'setup_failed $? "$BASH_COMMAND"' ERR

PACKAGES=(
  build-essential cmake ninja-build googletest nlohmann-json3-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine
  xvfb xauth xdotool imagemagick
  fonts-ipafont-gothic fonts-dejavu-core locales procps util-linux
  python3 python3-pil weasyprint poppler-utils
  binutils osslsigncode openssl
)

STANDIN_CLSID='{5E0B7C1A-3F2D-4C8B-9A61-7D2E4F8B1C35}'
# Windows' Japanese faces on the IPA fonts: the proportional ones on IPAPGothic, the
# monospaced MS Gothic on IPAGothic.
PROPORTIONAL_FACES=("MS UI Gothic" "MS PGothic" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma")
MONOSPACED_FACES=("MS Gothic")
# Bump when the prefix recipe below changes, so existing prefixes are redone.
PREFIX_RECIPE=5

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    if [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null) != ii* ]]; then
      missing+=("$p")
    fi
  done
  if ((${#missing[@]} == 0)); then
    return 0
  fi
  [[ $(id -u) == 0 ]] || qv_die "packages missing (${missing[*]}); run as root"
  qv_say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${PACKAGES[@]}"
}

generate_locale() {
  if locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    return 0
  fi
  qv_say "generating ja_JP.UTF-8"
  if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  fi
  locale-gen
}

build_tree() { # <dir> [extra cmake arguments...]
  local dir=$1
  shift
  if [[ ! -f $dir/CMakeCache.txt ]]; then
    qv_say "configuring $dir"
    cmake -S "$QV_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
  fi
  cmake --build "$dir"
}

# Runs one wine step and waits until the prefix is idle again.
wine_step() {
  "$@"
  wineserver -w
}

# Writes one REG_SZ value into the prefix. A new prefix may still be settling: each try first
# waits for the Wine server, and a write is tried up to three times. When all fail, wine's own
# message is printed with the command.
reg_sz() { # <key> <value name, empty = default> <data>
  local args=(reg add "$1")
  if [[ -z $2 ]]; then args+=(/ve); else args+=(/v "$2"); fi
  args+=(/t REG_SZ /d "$3" /f)
  local try out=
  for try in 1 2 3; do
    wineserver -w
    if out=$(wine "${args[@]}" 2>&1); then
      return 0
    fi
  done
  qv_say "FAILED after $try tries: wine ${args[*]@Q}" >&2
  printf '%s\n' "$out" >&2
  return 1
}

register_fonts() {
  local face
  for face in "${PROPORTIONAL_FACES[@]}"; do
    reg_sz 'HKCU\Software\Wine\Fonts\Replacements' "$face" IPAPGothic
  done
  for face in "${MONOSPACED_FACES[@]}"; do
    reg_sz 'HKCU\Software\Wine\Fonts\Replacements' "$face" IPAGothic
  done
  # The title bar's buttons are Marlett glyphs. This Wine does not read the fonts of its own
  # data folder, so without a copy in the prefix they show as the letters 0, 1 and r.
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}

register_standin() { # <windows path of the stand-in>
  local server=$1
  [[ $server == *' '* ]] && server="\"$server\""
  reg_sz 'HKCR\Excel.Application\CLSID' '' "$STANDIN_CLSID"
  reg_sz "HKCR\\CLSID\\$STANDIN_CLSID" '' 'Excel stand-in'
  reg_sz "HKCR\\CLSID\\$STANDIN_CLSID\\LocalServer32" '' "$server"
  reg_sz "HKCR\\CLSID\\$STANDIN_CLSID\\ProgID" '' 'Excel.Application'
}

# The Wine user's profile folder under drive_c/users.
wine_user() {
  local users=() d
  for d in "$WINEPREFIX"/drive_c/users/*/; do
    d=$(basename "$d")
    [[ $d == Public ]] || users+=("$d")
  done
  if ((${#users[@]} == 1)); then
    echo "${users[0]}"
  elif [[ -d $WINEPREFIX/drive_c/users/$(id -un) ]]; then
    id -un
  else
    qv_die "cannot tell the Wine user from $WINEPREFIX/drive_c/users"
  fi
}

prepare_prefix() {
  local standin=$QV_WIN/excel-standin.exe
  [[ -f $standin ]] || qv_die "$standin was not built"
  local stamp=$WINEPREFIX/.quorvel-setup
  local want="recipe=$PREFIX_RECIPE standin=$standin"
  if [[ -f $WINEPREFIX/system.reg && -f $stamp && $(<"$stamp") == "$want" ]]; then
    return 0
  fi
  rm -f "$stamp"

  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    qv_say "creating Wine prefix $WINEPREFIX"
    # No Mono or Gecko: nothing here needs them, and their installers would ask.
    WINEDLLOVERRIDES='mscoree=;mshtml=' wine_step wineboot -i
  fi
  [[ -f $WINEPREFIX/system.reg ]] || qv_die "wineboot did not create $WINEPREFIX"

  qv_say "Japanese font replacements"
  wine_step register_fonts

  local server
  server=$(winepath -w "$standin")
  wineserver -w
  [[ -n $server ]] || qv_die "winepath gave no path for $standin"
  qv_say "registering $server as Excel.Application"
  wine_step register_standin "$server"
  # What Office registers beside its server (CurVer, InstallRoot), as the stand-in's Version
  # and LibraryPath settings make it; readers that never start Excel find it there.
  wine_step wine "$standin" /regserver

  # The wizard only checks that the VB runtime file exists in the system
  # folder; a 64-bit program's system folder is system32, a 32-bit one's
  # syswow64. Nothing loads it, so a placeholder is enough.
  local dir
  for dir in system32 syswow64; do
    mkdir -p "$WINEPREFIX/drive_c/windows/$dir"
    [[ -f $WINEPREFIX/drive_c/windows/$dir/MSVBVM60.DLL ]] ||
      printf 'Placeholder for the VB6 runtime file.\r\n' \
        >"$WINEPREFIX/drive_c/windows/$dir/MSVBVM60.DLL"
  done

  # N: is a network drive, so that tests can put an add-in on a share: a link under
  # dosdevices and the drive's type in the registry. Wine reads that type only when the
  # prefix's server starts, which is why it is set here and not by a test.
  mkdir -p "$WINEPREFIX/network-share"
  ln -sfn ../network-share "$WINEPREFIX/dosdevices/n:"
  wine_step reg_sz 'HKLM\Software\Wine\Drives' 'n:' network

  # Excel's two default add-in folders, as the stand-in reports them.
  local user
  user=$(wine_user)
  mkdir -p "$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/AddIns" \
    "$WINEPREFIX/drive_c/Program Files/Microsoft Office/OFFICE11/Library"

  echo "$want" >"$stamp"
}

# Sample add-ins beside the wizard, so a run has something to offer.
# Redone when make-xla changes or when none are there.
write_samples() {
  local tool=$QV_WIN/make-xla.exe stamp=$QV_WIN/.samples-written
  [[ -f $tool ]] || qv_die "$tool was not built"
  if [[ -f $stamp && ! $tool -nt $stamp ]] && compgen -G "$QV_WIN/*.xla" >/dev/null; then
    return 0
  fi
  qv_say "writing sample add-ins"
  local folder
  folder=$(winepath -w "$QV_WIN")
  wine_step wine "$tool" --samples "$folder"
  touch "$stamp"
}

main() {
  install_packages
  generate_locale
  mkdir -p "$QV_BUILD"
  # One set-up at a time per checkout (run.sh and test.sh may overlap).
  exec 9>"$QV_BUILD/.setup.lock"
  flock 9
  build_tree "$QV_NATIVE"
  build_tree "$QV_WIN" -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-w64.cmake"
  prepare_prefix
  write_samples
  bash "$QV_ROOT/scripts/manual.sh"
  qv_say "ready"
}

main "$@"

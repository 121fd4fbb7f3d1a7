#!/usr/bin/env bash
# Makes build/release/QuorvelSP-<version>-win-x64.zip from the current build (quorvel.exe,
# quorvelc.exe and 操作説明.pdf in build/win) and prints its SHA-256. It builds nothing: run
# setup.sh (or run.sh or test.sh) first. The same build gives the same zip, byte for byte.
#
# Signing: with QV_SIGN_PFX (a .pfx file) and QV_SIGN_PASSWORD_FILE (a file holding its
# password) set, copies of both exes are signed with Authenticode (SHA-256) in a staging folder
# and packed; build/win's own files are never touched. The signing time is the release's fixed
# date, so a signed release is reproducible too, unless QV_SIGN_TIMESTAMP_URL names an
# RFC 3161 time-stamping server, whose timestamp differs on each run.
set -euo pipefail
exec </dev/null
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

for f in quorvel.exe quorvelc.exe 操作説明.pdf; do
  [[ -f $QV_WIN/$f ]] || qv_die "$QV_WIN/$f is missing; run bash scripts/setup.sh first"
done
version=$(qv_version)
exes=$QV_WIN

if [[ -n ${QV_SIGN_PFX:-} || -n ${QV_SIGN_PASSWORD_FILE:-} ]]; then
  [[ -n ${QV_SIGN_PFX:-} && -f $QV_SIGN_PFX ]] || qv_die "QV_SIGN_PFX must name the .pfx file to sign with"
  [[ -n ${QV_SIGN_PASSWORD_FILE:-} && -f $QV_SIGN_PASSWORD_FILE ]] ||
    qv_die "QV_SIGN_PASSWORD_FILE must name the file that holds the .pfx file's password"
  mkdir -p "$QV_BUILD/release"
  staging=$(mktemp -d "$QV_BUILD/release/signing.XXXXXX")
  trap 'rm -rf "$staging"' EXIT
  timestamp=()
  [[ -n ${QV_SIGN_TIMESTAMP_URL:-} ]] && timestamp=(-ts "$QV_SIGN_TIMESTAMP_URL")
  signing_time=$("$QV_PYTHON" "$QV_ROOT/scripts/release.py" --signing-time)
  for exe in quorvel.exe quorvelc.exe; do
    # -readpass: the password never appears in the process list.
    if ! log=$(osslsigncode sign -pkcs12 "$QV_SIGN_PFX" -readpass "$QV_SIGN_PASSWORD_FILE" -h sha256 \
      -n "Quorvel SP" -time "$signing_time" "${timestamp[@]}" \
      -in "$QV_WIN/$exe" -out "$staging/$exe" 2>&1); then
      printf '%s\n' "$log" >&2
      qv_die "osslsigncode could not sign $exe"
    fi
  done
  exes=$staging
  qv_say "signed quorvel.exe and quorvelc.exe with $QV_SIGN_PFX${timestamp:+, timestamped}" >&2
else
  qv_say "unsigned: set QV_SIGN_PFX and QV_SIGN_PASSWORD_FILE to sign the programs" >&2
fi

"$QV_PYTHON" "$QV_ROOT/scripts/release.py" "$QV_ROOT" "$QV_WIN" "$version" \
  "$QV_BUILD/release/QuorvelSP-$version-win-x64.zip" "$exes"

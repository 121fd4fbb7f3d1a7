#!/usr/bin/env python3
"""The set-up never stops silently: with a stand-in `wine` first on the PATH whose `reg add`
fails, scripts/setup.sh must print the failed command with wine's own message and exit
non-zero, after three tries each preceded by `wineserver -w`; a write that fails once and then
succeeds goes on.

usage: check_setup.py CHECKOUT

It runs a copy of the set-up scripts in a scratch checkout, with stand-ins for every outside
program it calls (packages, locale, cmake, the Wine tools), so it needs no Wine and takes a second.
"""
import os
import shutil
import stat
import subprocess
import sys
import tempfile
from pathlib import Path

WINE_MESSAGE = "reg: レジストリに書き込めません (stand-in failure)"

STANDINS = {
    # Every package counts as installed, the locale as there.
    "dpkg-query": "printf 'ii '",
    "locale": "echo ja_JP.utf8",
    "cmake": "exit 0",
    "wineboot": 'mkdir -p "$WINEPREFIX" && touch "$WINEPREFIX/system.reg"',
    "wineserver": 'echo "wineserver $*" >>"$QV_CALLS"',
    "winepath": 'echo "Z:\\\\standin.exe"',
    # `reg add` fails for the first $QV_REG_FAILURES calls; everything else succeeds.
    "wine": """echo "wine $*" >>"$QV_CALLS"
if [[ $1 == reg && $2 == add ]]; then
  n=$(grep -c '^wine reg add' "$QV_CALLS")
  if (( n <= QV_REG_FAILURES )); then echo "%s" >&2; exit 1; fi
  echo "操作は正常に完了しました。"
fi
exit 0""" % WINE_MESSAGE,
}


def run_setup(root, failures):
    """Runs the scratch set-up; gives (exit status, its output, the calls the stand-ins saw)."""
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        (tmp / "scripts").mkdir()
        for name in ("setup.sh", "common.sh"):
            shutil.copy(root / "scripts" / name, tmp / "scripts" / name)
        (tmp / "build/win").mkdir(parents=True)
        (tmp / "build/win/excel-standin.exe").write_bytes(b"")
        bin_dir = tmp / "bin"
        bin_dir.mkdir()
        for name, body in STANDINS.items():
            path = bin_dir / name
            path.write_text("#!/usr/bin/env bash\n" + body + "\n", encoding="utf-8")
            path.chmod(path.stat().st_mode | stat.S_IXUSR)
        calls = tmp / "calls"
        calls.write_text("")
        env = dict(os.environ, PATH=f"{bin_dir}:{os.environ['PATH']}", QV_CALLS=str(calls),
                   QV_REG_FAILURES=str(failures))
        done = subprocess.run(["bash", str(tmp / "scripts/setup.sh")], env=env, capture_output=True,
                              text=True, timeout=60)
        return done.returncode, done.stdout + done.stderr, calls.read_text(encoding="utf-8").splitlines()


def main(root):
    failures = []

    def check(ok, what, output):
        if not ok:
            failures.append(f"{what}\n--- output ---\n{output}")

    status, out, calls = run_setup(root, failures=99)
    check(status != 0, "setup exited 0 although every registry write failed", out)
    command = "wine 'reg' 'add' 'HKCU\\Software\\Wine\\Fonts\\Replacements' '/v' 'MS UI Gothic'"
    check(command in out, f"the failed command ({command}) is not printed", out)
    check(WINE_MESSAGE in out, "wine's own message is not printed", out)
    adds = [i for i, c in enumerate(calls) if c.startswith("wine reg add")]
    check(len(adds) == 3, f"the write was tried {len(adds)} times, not 3", "\n".join(calls))
    check(all(i > 0 and calls[i - 1] == "wineserver -w" for i in adds),
          "a try did not wait for the Wine server first", "\n".join(calls))

    status, out, calls = run_setup(root, failures=1)
    check("FAILED after" not in out, "a write that failed once was not tried again", out)
    check(sum(c.startswith("wine reg add") for c in calls) > 2, "the set-up stopped after one failed write", out)

    for f in failures:
        print(f"check_setup: FAILED: {f}")
    print(f"check_setup: {'FAILED' if failures else 'passed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    sys.exit(main(Path(sys.argv[1]).resolve()))

#!/usr/bin/env python3
"""Runs the release command twice over the current build and checks the zip: exactly the
expected files, all in one top-level folder QuorvelSP-<version>/, UTF-8 flagged names, the built exe and manual unchanged, Windows-ready
text files, the SHA-256 it prints, and the same bytes both times. Then it signs twice with a
throwaway certificate made here: both packed exes verify against it (and not against another),
build/win's exes are untouched, and the signed zip too is the same both times. The zip left
behind is the unsigned one.

usage: check_release.py CHECKOUT
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def release(root, env=None):
    out = subprocess.run(["bash", str(root / "scripts/release.sh")], check=True, capture_output=True, text=True,
                         env=env)
    digest, path = out.stdout.strip().split(None, 1)
    zipped = Path(path).read_bytes()
    check(hashlib.sha256(zipped).hexdigest() == digest, "the printed SHA-256 is not the zip's")
    return Path(path), zipped, out.stderr


# A throwaway code-signing certificate, valid from before the release's fixed date (its
# signing time) until long after today; made with openssl's own small CA.
CA_CONFIG = """[ca]
default_ca = throwaway
[throwaway]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
x509_extensions = signing
[any]
commonName = supplied
[signing]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
"""


def throwaway_certificate(folder, name):
    """Makes <name>.pfx with its password in <name>.pass and the certificate in <name>.pem."""
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)
    (folder / "ca.cnf").write_text(CA_CONFIG)
    (folder / "index.txt").write_text("")
    (folder / "serial").write_text("01\n")
    (folder / f"{name}.pass").write_text("throwaway password")
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.csr",
            "-subj", f"/CN=Quorvel {name}")
    openssl("ca", "-batch", "-config", "ca.cnf", "-selfsign", "-keyfile", f"{name}.key", "-in", f"{name}.csr",
            "-out", f"{name}.pem", "-startdate", "20250101000000Z", "-enddate", "20991231000000Z", "-notext")
    openssl("pkcs12", "-export", "-inkey", f"{name}.key", "-in", f"{name}.pem", "-out", f"{name}.pfx",
            "-passout", f"file:{name}.pass")
    for f in ("index.txt", "serial", "ca.cnf"):
        (folder / f).unlink()
    for f in folder.glob("index.txt.*"):
        f.unlink()
    for f in folder.glob("serial.*"):
        f.unlink()


def verifies(data, cert, folder):
    exe = folder / "packed.exe"
    exe.write_bytes(data)
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", str(cert), "-in", str(exe)], capture_output=True,
                          text=True)
    return done.returncode == 0


def check_signed(root, win, top):
    built = {n: (win / n).read_bytes() for n in ("quorvel.exe", "quorvelc.exe")}
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        signer, other = tmp / "signer", tmp / "other"
        signer.mkdir()
        other.mkdir()
        throwaway_certificate(signer, "signer")
        throwaway_certificate(other, "other")
        env = dict(os.environ, QV_SIGN_PFX=str(signer / "signer.pfx"),
                   QV_SIGN_PASSWORD_FILE=str(signer / "signer.pass"))
        env.pop("QV_SIGN_TIMESTAMP_URL", None)
        path, first, said = release(root, env)
        _, second, _ = release(root, env)
        check(first == second, "two signed runs over the same build gave different zips")
        check("signed" in said and "unsigned" not in said, f"the signed release said: {said!r}")
        with zipfile.ZipFile(path) as zf:
            for name, data in built.items():
                packed = zf.read(top + name)
                check(packed != data, f"{name}: the signed zip holds the unsigned exe")
                check(verifies(packed, signer / "signer.pem", tmp), f"{name}: the signature does not verify")
                check(not verifies(packed, other / "other.pem", tmp),
                      f"{name}: the signature verifies against another certificate too")
    for name, data in built.items():
        check((win / name).read_bytes() == data, f"build/win's {name} was changed by signing")
    check(not list((root / "build/release").glob("signing.*")), "the signing folder was left behind")


def main(root):
    win = root / "build/win"
    version = re.search(r"project\(\w+ VERSION (\d+\.\d+\.\d+)", (root / "CMakeLists.txt").read_text()).group(1)
    # Signed first, so that the zip left in build/release is the unsigned one.
    check_signed(root, win, f"QuorvelSP-{version}/")
    env = {k: v for k, v in os.environ.items() if not k.startswith("QV_SIGN_")}
    path, first, said = release(root, env)
    _, second, _ = release(root, env)
    check(said.strip().startswith("release: unsigned"), f"the unsigned release said: {said!r}")
    check(first == second, "two runs over the same build gave different zips")
    check(path.name == f"QuorvelSP-{version}-win-x64.zip", f"zip named {path.name}, version {version}")

    top = f"QuorvelSP-{version}/"
    expected = ["quorvel.exe", "quorvelc.exe", "操作説明.pdf", "お読みください.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"]
    with zipfile.ZipFile(path) as zf:
        members = zf.infolist()
        names = [m.filename for m in members]
        # The folder first, so that "extract here" makes it; then its files, and nothing beside it.
        check(names == [top] + [top + n for n in expected], f"zip holds {names}")
        check(members and members[0].is_dir(), f"{top} is not stored as a folder")
        for m in members:
            check(m.flag_bits & 0x800, f"{m.filename}: no UTF-8 flag")
        # also compares local and central names
        data = {m.filename.removeprefix(top): zf.read(m) for m in members if not m.is_dir()}

    check(data.get("quorvel.exe") == (win / "quorvel.exe").read_bytes(), "quorvel.exe differs from the build's")
    check(data.get("quorvelc.exe") == (win / "quorvelc.exe").read_bytes(), "quorvelc.exe differs from the build's")
    check(data.get("操作説明.pdf") == (win / "操作説明.pdf").read_bytes(), "操作説明.pdf differs from the build's")
    readme = data.get("お読みください.txt", b"")
    check(readme.startswith(b"\xef\xbb\xbf"), "お読みください.txt has no BOM")
    for name in ("お読みください.txt", "LICENSE", "THIRD-PARTY-NOTICES.txt"):
        text = data.get(name, b"")
        check(text and text.count(b"\n") == text.count(b"\r\n"), f"{name}: not CR LF throughout")
    check(f"Ver {version}".encode() in readme, "お読みください.txt does not name the version")
    check(data.get("LICENSE", b"").replace(b"\r\n", b"\n") == (root / "LICENSE").read_bytes(),
          "LICENSE differs from the repository's")

    for f in failures:
        print(f"check_release: FAILED: {f}")
    print(f"check_release: {'FAILED' if failures else 'passed'} ({path.name})")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    sys.exit(main(Path(sys.argv[1]).resolve()))

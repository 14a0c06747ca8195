#!/usr/bin/env python3
"""Runs kesmora-cli on bad input that names FILE as an output: it must exit with code 2, say
one line on standard error and leave FILE as it was.

usage: check_unchanged.py FILE -- PROGRAM ARGS...
"""
import subprocess
import sys
import tempfile


def main(argv):
    target, command = argv[0], argv[argv.index("--") + 1:]
    kept = b"kept as it was\r\n"
    with open(target, "wb") as f:
        f.write(kept)
    with tempfile.TemporaryDirectory() as home:
        run = subprocess.run(command + ["--home", home], capture_output=True)
    lines = run.stderr.decode(errors="replace").splitlines()
    if run.returncode != 2:
        return f"exit code {run.returncode}, not 2: {lines}"
    if len(lines) != 1:
        return f"{len(lines)} lines on standard error, not one: {lines}"
    with open(target, "rb") as f:
        if f.read() != kept:
            return f"{target} was changed"
    print(lines[0])
    return None


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

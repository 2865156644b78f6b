#!/usr/bin/env python3
"""Builds the release zip and checks it: exactly the program, README, LICENSE and SHA256SUMS, with matching sums.

  check_package.py BUILD_DIR VERSION
"""
import hashlib
import os
import subprocess
import sys
import zipfile


def main():
    build, version = sys.argv[1], sys.argv[2]
    subprocess.run(["cmake", "--build", build, "--target", "package"], check=True, stdout=subprocess.DEVNULL)
    path = os.path.join(build, "envrefresh-%s-win32.zip" % version)
    failures = []

    def check(condition, what):
        print("%s: %s" % ("ok" if condition else "FAIL", what))
        if not condition:
            failures.append(what)

    check(os.path.exists(path), "package %s" % os.path.basename(path))
    if failures:
        return 1
    with zipfile.ZipFile(path) as package:
        names = sorted(package.namelist())
        check(names == ["LICENSE", "README.md", "SHA256SUMS", "envrefresh.exe"], "contents %s" % names)
        contents = {name: package.read(name) for name in names}
    with open(os.path.join(build, "envrefresh.exe"), "rb") as built:
        check(contents.get("envrefresh.exe") == built.read(), "the zipped program is the built one")
    sums = {}
    for line in contents.get("SHA256SUMS", b"").decode().splitlines():
        digest, name = line.split("  ", 1)
        sums[name] = digest
    check(sorted(sums) == ["LICENSE", "README.md", "envrefresh.exe"], "SHA256SUMS lists the other three files")
    for name, digest in sums.items():
        check(hashlib.sha256(contents.get(name, b"")).hexdigest() == digest, "checksum of %s" % name)
    check(contents.get("LICENSE", b"").startswith(b"MIT License"), "LICENSE is MIT")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

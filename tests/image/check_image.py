#!/usr/bin/env python3
"""Checks a built envrefresh.exe: PE kind, hardening flags, relocations, imports, resources, and size.

  check_image.py EXE --arch x86|x64 --version X.Y.Z [--floor FLOOR_EXE --max-growth BYTES]
"""
import argparse
import os
import re
import subprocess
import sys

TOOLS = {"x86": "i686-w64-mingw32-", "x64": "x86_64-w64-mingw32-"}
SYSTEM_DLLS = ["ADVAPI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL"]
VERSION_STRINGS = ["CompanyName", "FileDescription", "FileVersion", "InternalName", "OriginalFilename",
                   "ProductName", "ProductVersion", "LegalCopyright"]
SUPPORTED_OS = {
    "Windows 7": "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
    "Windows 8": "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
    "Windows 8.1": "1f676c76-80e1-4239-95bb-83d0f6d0da78",
    "Windows 10 and 11": "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a",
}


def tool(arch, name, *args):
    return subprocess.run([TOOLS[arch] + name] + list(args), check=True, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE).stdout.decode("utf-8", "replace")


def sections(arch, exe):
    """Section name to size in bytes."""
    sizes = {}
    for line in tool(arch, "objdump", "-h", exe).splitlines():
        found = re.match(r"\s+\d+\s+(\S+)\s+([0-9a-f]+)\s", line)
        if found:
            sizes[found.group(1)] = int(found.group(2), 16)
    return sizes


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--arch", choices=["x86", "x64"], required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--floor")
    parser.add_argument("--max-growth", type=int, default=4096)
    args = parser.parse_args()

    failures = []

    def check(condition, what):
        print("%s: %s" % ("ok" if condition else "FAIL", what))
        if not condition:
            failures.append(what)

    header = tool(args.arch, "objdump", "-p", args.exe)
    if args.arch == "x86":
        check(re.search(r"^Magic\s+010b\s+\(PE32\)", header, re.M), "PE32 image")
        check("file format pei-i386" in header, "machine i386")
    else:
        check(re.search(r"^Magic\s+020b\s+\(PE32\+\)", header, re.M), "PE32+ image")
        check("file format pei-x86-64" in header, "machine x86-64")
    check(re.search(r"^Subsystem\s+00000002", header, re.M), "GUI subsystem")

    flags_block = re.search(r"^DllCharacteristics\s+[0-9a-f]+\n((?:\t+\S.*\n)*)", header, re.M)
    flags = set(flags_block.group(1).split()) if flags_block else set()
    wanted = ["DYNAMIC_BASE", "NX_COMPAT", "TERMINAL_SERVICE_AWARE"]
    # x86: no SEH handler in the image, so NO_SEH; x64 gets high-entropy ASLR.
    wanted.append("NO_SEH" if args.arch == "x86" else "HIGH_ENTROPY_VA")
    for flag in wanted:
        check(flag in flags, "DllCharacteristics has %s" % flag)

    relocations = re.search(r"Base Relocation Directory \[\.reloc\]", header)
    check(relocations is not None and sections(args.arch, args.exe).get(".reloc", 0) > 0, "relocations present")

    imports = sorted(name.upper() for name in re.findall(r"DLL Name: (\S+)", header))
    check(imports == SYSTEM_DLLS, "imports only KERNEL32, USER32, ADVAPI32 and msvcrt (found %s)" % ", ".join(imports))

    resources = tool(args.arch, "windres", "-i", args.exe, "-J", "coff", "-O", "rc")
    manifest = "".join(re.findall(r'^\s+"(.*)"$', resources.split("RT_MANIFEST", 1)[-1], re.M)).replace('""', '"')
    check(re.search(r"^1 24 /\* RT_MANIFEST \*/", resources, re.M) is not None, "manifest resource, RT_MANIFEST 1")
    check('requestedExecutionLevel level="highestAvailable"' in manifest, "manifest asks for highestAvailable")
    for name, guid in SUPPORTED_OS.items():
        check("{%s}" % guid in manifest, "manifest declares %s" % name)
    check("PerMonitorV2" in manifest and ">true</dpiAware>" in manifest, "manifest: PerMonitorV2, system-aware fallback")
    check('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in manifest, "manifest: Common Controls 6")
    check(re.search(r"^1 VERSIONINFO", resources, re.M) is not None, "version resource")
    numbers = ", ".join(args.version.split(".") + ["0"])
    check("FILEVERSION %s" % numbers in resources and "PRODUCTVERSION %s" % numbers in resources,
          "version numbers %s" % args.version)
    for name in VERSION_STRINGS:
        check(re.search(r'VALUE "%s", "[^"]+"' % name, resources) is not None, "version string %s" % name)
    for name in ("FileVersion", "ProductVersion"):
        check('VALUE "%s", "%s"' % (name, args.version) in resources, "%s is %s" % (name, args.version))
    check(re.search(r"^1 14 /\* RT_GROUP_ICON \*/", resources, re.M) is not None, "application icon")

    if args.floor:
        # Resources are left out: they are data the floor has no need of.
        mine = sections(args.arch, args.exe)
        floor = sections(args.arch, args.floor)
        print("file sizes: this image %d bytes, the floor %d bytes"
              % (os.path.getsize(args.exe), os.path.getsize(args.floor)))
        print("section sizes (bytes), this image against a GUI program that only calls MessageBoxA:")
        for name in sorted(set(mine) | set(floor)):
            print("  %-9s %7d %7d %+7d" % (name, mine.get(name, 0), floor.get(name, 0),
                                          mine.get(name, 0) - floor.get(name, 0)))
        growth = sum(size for name, size in mine.items() if name != ".rsrc") - sum(
            size for name, size in floor.items() if name != ".rsrc")
        check(growth <= args.max_growth, "own code and data add %d bytes to the floor (at most %d)"
              % (growth, args.max_growth))

    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

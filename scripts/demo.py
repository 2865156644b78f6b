#!/usr/bin/env python3
"""The demo: envrefresh.exe refreshing a sample Path under Wine, with a screenshot of its message box."""
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

from wine_session import MACHINE_SUBKEY, USER_SUBKEY, WineSession, parse_box, read_values, windows_path  # noqa: E402

BUILD = os.path.join(ROOT, "build", "windows-x64")
HELPERS = os.path.join(BUILD, "helpers")
DEMO = os.path.join(ROOT, "build", "demo")
SAMPLE_MACHINE = "%SystemRoot%\\system32;%SystemRoot%;C:\\Tools\\bin"
SAMPLE_USER = "C:\\Users\\demo\\AppData\\Local\\Programs\\bin;"
DESKTOP = "640x400"


def utf16z(text):
    return (text + "\0").encode("utf-16-le").hex()


def show(rows):
    for label, row in zip(("machine", "user"), rows):
        if row is None:
            print("  %-7s (missing)" % label)
            continue
        value_type, size, data = row
        units = data.decode("utf-16-le")
        type_name = {1: "REG_SZ", 2: "REG_EXPAND_SZ"}.get(value_type, str(value_type))
        print("  %-7s %-13s %3d bytes  %s" % (label, type_name, size, units.split("\0")[0]))


def main():
    shutil.rmtree(DEMO, ignore_errors=True)
    os.makedirs(DEMO)
    prefix = os.path.join(DEMO, "prefix")
    session = WineSession(prefix, 90, screen=DESKTOP + "x24")
    try:
        print("Making a throwaway Wine prefix in %s ..." % prefix)
        session.boot()
        # Wine's virtual desktop draws window frames itself, so the box shows its caption
        # without a window manager.
        status, out = session.run([
            os.path.join(HELPERS, "registry_fixture.exe"),
            "put", "HKCU", "Software\\Wine\\Explorer", "Desktop", "1", utf16z("Default"),
            "put", "HKCU", "Software\\Wine\\Explorer\\Desktops", "Default", "1", utf16z(DESKTOP),
            "put", "HKLM", MACHINE_SUBKEY, "Path", "2", utf16z(SAMPLE_MACHINE),
            "put", "HKCU", USER_SUBKEY, "Path", "2", utf16z(SAMPLE_USER)])
        if status != 0:
            print("Setting up the sample values failed: %s" % out)
            return 1
        session.stop_server()  # the desktop setting takes effect when Wine starts again
        print("Path values before the run:")
        show(read_values(session, HELPERS))

        hold = os.path.join(DEMO, "box-photographed")
        reader = session.start([os.path.join(HELPERS, "box_reader.exe"), "Update", "30000", windows_path(hold)])
        print("Running envrefresh.exe ...")
        program = subprocess.Popen(["wine", os.path.join(BUILD, "envrefresh.exe")], env=session.env(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        report = []
        for line in iter(reader.stdout.readline, b""):
            report.append(line.decode("utf-8", "replace"))
            if line.startswith(b"button="):
                break
        time.sleep(0.5)
        screenshot = os.path.join(DEMO, "message-box.png")
        subprocess.run(["import", "-display", ":%d" % session.display, "-window", "root", screenshot], check=True)
        print("Screenshot of the message box: %s" % screenshot)
        open(hold, "w").close()
        report.append(reader.communicate(timeout=30)[0].decode("utf-8", "replace"))
        exit_status = program.wait(timeout=30)
        box = parse_box("".join(report))
        print("The box said \"%s\" (caption \"Update\", icon %s) and was closed with %s: %s"
              % (box.get("text"), box.get("icon"), box.get("button"), box.get("end")))
        print("Exit status: %d (%s)" % (exit_status, {1: "completed", 0: "failed"}.get(exit_status, "unexpected")))
        print("Path values after the run:")
        show(read_values(session, HELPERS))
    finally:
        session.close()
        shutil.rmtree(prefix, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())

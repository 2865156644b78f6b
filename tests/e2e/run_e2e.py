#!/usr/bin/env python3
"""End-to-end scenarios: the real envrefresh.exe under Wine, with Wine's registry, message box and broadcast.

  run_e2e.py list                                         names of the scenarios
  run_e2e.py template --template DIR                      boot the prefix every scenario copies
  run_e2e.py scenario NAME --build DIR --template DIR --work DIR
  run_e2e.py contract single|double --build DIR --template DIR --work DIR
                                                          the registry contract on Wine's registry
"""
import argparse
import os
import re
import shutil
import sys
import time
import zlib

from wine_session import MACHINE_SUBKEY, USER_SUBKEY, SetupError, WineSession, parse_box, read_values, windows_path

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7
COMPLETED = "Update process is completed."
FAILED = "Failed to finish update process."
BROADCAST_TIMEOUT_S = 5.0


# ---- what a row holds before the run

class Row:
    def __init__(self, kind, value_type=None, data=b"", denied=False):
        self.kind = kind  # "value", "no-value" or "no-key"
        self.type = value_type
        self.data = data
        self.denied = denied


def text(value, value_type=REG_EXPAND_SZ, denied=False):
    return Row("value", value_type, value.encode("utf-16-le") + b"\0\0", denied)


def raw(value_type, data):
    return Row("value", value_type, data)


NO_VALUE = Row("no-value")
NO_KEY = Row("no-key")


# ---- what a row must hold after

class Kept:
    """Exactly the starting type and bytes."""


class Written:
    """The program's write of `value`: 260 ANSI bytes, the text and zeros, as REG_EXPAND_SZ."""

    def __init__(self, value):
        self.value = value


class Scenario:
    def __init__(self, name, machine, user, machine_after, user_after, completed=True, lang="en_US.UTF-8",
                 listener="normal", delay_ms=0, runs=1):
        self.name = name
        self.machine = machine
        self.user = user
        self.machine_after = machine_after
        self.user_after = user_after
        self.completed = completed
        self.lang = lang
        self.listener = listener
        self.delay_ms = delay_ms
        self.runs = runs


KEPT = Kept()
JAPANESE = "C:\\\u65e5\u672c\u8a9e\\\uff8a\uff9d\u30ab\u30af\\bin"

SCENARIOS = [
    # What a run does to the two rows.
    Scenario("both_written", text("C:\\Windows\\system32;C:\\Windows"), text("C:\\Users\\me\\bin;"),
             Written("C:\\Windows\\system32;C:\\Windows;"), Written("C:\\Users\\me\\bin")),
    Scenario("machine_empty", text(""), text("C:\\bin"), KEPT, Written("C:\\bin;")),
    Scenario("both_empty", text(""), text(""), KEPT, KEPT),
    Scenario("machine_not_writable", text("C:\\Windows", denied=True), text("C:\\bin"), KEPT, KEPT,
             completed=False),
    Scenario("user_not_writable", text("C:\\Windows"), text("C:\\bin", denied=True), Written("C:\\Windows;"), KEPT,
             completed=False),
    Scenario("string_becomes_expand_string", text("C:\\Windows"), text("C:\\bin", REG_SZ), Written("C:\\Windows;"),
             Written("C:\\bin;")),
    Scenario("second_run_restores", text("C:\\Windows"), text("C:\\bin;"), Written("C:\\Windows"),
             Written("C:\\bin;"), runs=2),
    # Values that are not a whole text are never written.
    Scenario("tail_is_zeros", text("C:\\Program Files\\A Rather Long Directory Name\\bin"), text("C:\\u"),
             Written("C:\\Program Files\\A Rather Long Directory Name\\bin;"), Written("C:\\u;")),
    Scenario("hidden_bytes_after_embedded_zero", raw(REG_EXPAND_SZ, "C:\\Windows\0old\0".encode("utf-16-le")),
             text("C:\\bin"), Written("C:\\Windows;"), Written("C:\\bin;")),
    Scenario("user_value_missing", text("C:\\Windows"), NO_VALUE, Written("C:\\Windows;"), KEPT),
    Scenario("user_key_missing", text("C:\\Windows"), NO_KEY, Written("C:\\Windows;"), KEPT),
    Scenario("machine_dword", raw(REG_DWORD, b";\0\0\0"), text("C:\\bin"), KEPT, Written("C:\\bin;")),
    Scenario("machine_binary", raw(REG_BINARY, b"C\0:\0\\\0;\0\0\0"), text("C:\\bin"), KEPT, Written("C:\\bin;")),
    Scenario("machine_multi_string", raw(REG_MULTI_SZ, "C:\\a\0C:\\b\0\0".encode("utf-16-le")), text("C:\\bin"),
             KEPT, Written("C:\\bin;")),
    Scenario("machine_too_long", text("C:\\" + "a" * 297), text("C:\\bin"), KEPT, Written("C:\\bin;")),
    Scenario("machine_unterminated_260", raw(REG_EXPAND_SZ, ("b" * 260).encode("utf-16-le")), text("C:\\bin"),
             KEPT, Written("C:\\bin;")),
    Scenario("no_room_for_semicolon", text("C:\\" + "c" * 256), text("C:\\bin"), KEPT, Written("C:\\bin;")),
    Scenario("full_text_loses_semicolon", text("C:\\" + "d" * 255 + ";"), text("C:\\bin"),
             Written("C:\\" + "d" * 255), Written("C:\\bin;")),
    Scenario("double_semicolon", text("C:\\Windows;;"), text(";"), Written("C:\\Windows;"), Written("")),
    # Code pages: what the ANSI code page carries is toggled, what it cannot carry is left alone.
    Scenario("code_page_932_japanese", text(JAPANESE), text("C:\\bin"), Written(JAPANESE + ";"),
             Written("C:\\bin;"), lang="ja_JP.UTF-8"),
    Scenario("code_page_1252", text("C:\\Caf\u00e9\\bin"), text("C:\\\u0141\u00f3d\u017a\\\u65e5\\bin"),
             Written("C:\\Caf\u00e9\\bin;"), KEPT),
    # Listeners that answer late or not at all.
    Scenario("slow_listener", text("C:\\Windows"), text("C:\\bin"), Written("C:\\Windows;"), Written("C:\\bin;"),
             listener="slow", delay_ms=2000),
    Scenario("hung_listener", text("C:\\Windows"), text("C:\\bin"), Written("C:\\Windows;"), Written("C:\\bin;"),
             listener="hung"),
]


def code_page(lang):
    return "cp932" if lang.startswith("ja_JP") else "cp1252"


def written_bytes(value, lang):
    """What the registry stores for the program's 260-byte ANSI buffer holding `value`."""
    ansi = value.encode(code_page(lang))
    assert len(ansi) < 260
    return (ansi + b"\0" * (260 - len(ansi))).decode(code_page(lang)).encode("utf-16-le")


# ---- running one scenario

class Failures:
    def __init__(self):
        self.messages = []

    def check(self, condition, message):
        if not condition:
            self.messages.append(message)


def fixture_commands(root, subkey, row):
    commands = []
    if row.kind == "no-key":
        return ["delkey", root, subkey]
    if row.kind == "no-value":
        # Make sure the key exists, then drop the value.
        commands += ["put", root, subkey, "EnvrefreshProbe", str(REG_SZ), "00" * 2, "delvalue", root, subkey,
                     "EnvrefreshProbe", "delvalue", root, subkey, "Path"]
    else:
        commands += ["put", root, subkey, "Path", str(row.type), row.data.hex()]
    if row.denied:
        commands += ["deny", root, subkey]
    return commands


def check_row(failures, label, before, after, stored, lang):
    if isinstance(after, Kept):
        if before.kind != "value":
            failures.check(stored is None, "%s: a value appeared where there was none: %r" % (label, stored))
            return
        failures.check(stored is not None and stored[0] == before.type and stored[2] == before.data,
                       "%s: must be untouched, was type %d %s, now %r" % (label, before.type, before.data.hex(), stored))
        return
    expected = written_bytes(after.value, lang)
    failures.check(stored is not None, "%s: value missing after the run" % label)
    if stored is None:
        return
    failures.check(stored[0] == REG_EXPAND_SZ, "%s: type %d, want REG_EXPAND_SZ" % (label, stored[0]))
    failures.check(stored[1] == len(expected), "%s: size %d, want %d" % (label, stored[1], len(expected)))
    failures.check(stored[2] == expected, "%s: bytes %s, want %s" % (label, stored[2].hex(), expected.hex()))


def listener_log(path):
    entries = []
    if os.path.exists(path):
        with open(path) as log:
            for line in log:
                found = re.match(r"settingchange wparam=(\d+) text=([0-9a-f]*) tick=(\d+)$", line.strip())
                if found:
                    entries.append((int(found.group(1)), bytes.fromhex(found.group(2)).decode("utf-16-le"),
                                    int(found.group(3))))
    return entries


def copy_template(template, work):
    """A fresh work folder holding a copy of the booted prefix; returns the prefix's path."""
    prefix = os.path.join(work, "prefix")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    shutil.copytree(template, prefix, symlinks=True)
    return prefix


def run_scenario(scenario, build, template, work):
    failures = Failures()
    prefix = copy_template(template, work)
    helpers = os.path.join(build, "helpers")
    program = os.path.join(build, "envrefresh.exe")
    display_hint = 200 + zlib.crc32(scenario.name.encode()) % 300
    session = WineSession(prefix, display_hint, scenario.lang)
    try:
        status, out = session.run([os.path.join(helpers, "registry_fixture.exe")] +
                                  fixture_commands("HKLM", MACHINE_SUBKEY, scenario.machine) +
                                  fixture_commands("HKCU", USER_SUBKEY, scenario.user))
        if status != 0:
            raise SetupError("registry fixture failed: %s" % out)

        log_path = os.path.join(work, "listener.log")
        ready_path = os.path.join(work, "listener.ready")
        session.start([os.path.join(helpers, "env_listener.exe"), scenario.listener, windows_path(log_path),
                       windows_path(ready_path), str(scenario.delay_ms)])
        deadline = time.time() + 30
        while not os.path.exists(ready_path):
            if time.time() > deadline:
                raise SetupError("the listener window did not come up")
            time.sleep(0.05)

        boxes = []
        for run in range(scenario.runs):
            reader = session.start([os.path.join(helpers, "box_reader.exe"), "Update", "30000"])
            started = time.time()
            status, _ = session.run([program], timeout=90)
            elapsed = time.time() - started
            reader_out = reader.communicate(timeout=60)[0].decode("utf-8", "replace")
            box = parse_box(reader_out)
            boxes.append(box)
            label = "run %d" % (run + 1)
            want = 1 if scenario.completed else 0
            failures.check(status == want, "%s: exit status %d, want %d" % (label, status, want))
            failures.check(box.get("boxes") == 1, "%s: want exactly one box captioned Update: %r" % (label, reader_out))
            failures.check(box.get("text") == (COMPLETED if scenario.completed else FAILED),
                           "%s: box text %r" % (label, box.get("text")))
            failures.check(box.get("icon") == "information", "%s: box icon %r" % (label, box.get("icon")))
            failures.check(box.get("button") == "OK", "%s: box button %r" % (label, box.get("button")))
            failures.check(box.get("end") == "closed", "%s: box not closed with OK: %r" % (label, box.get("end")))
            print("%s: envrefresh ran %.1f s, box closed" % (label, elapsed))
            if scenario.listener == "hung":
                # Wine, like Windows, calls a window hung only after about 5 s without pumping,
                # so the run may wait its whole time-out, but not longer.
                failures.check(elapsed < BROADCAST_TIMEOUT_S + 5.0,
                               "%s: took %.1f s with a hung listener" % (label, elapsed))

        values = read_values(session, helpers)
        check_row(failures, "machine", scenario.machine, scenario.machine_after, values[0], scenario.lang)
        check_row(failures, "user", scenario.user, scenario.user_after, values[1], scenario.lang)

        entries = listener_log(log_path)
        if scenario.listener == "hung":
            failures.check(not entries, "the hung listener answered, so it tested nothing")
        else:
            want = scenario.runs if scenario.completed else 0
            failures.check(len(entries) == want, "listener got %d WM_SETTINGCHANGE, want %d" % (len(entries), want))
            for wparam, message_text, _ in entries:
                failures.check(wparam == 0 and message_text == "Environment",
                               "listener got wParam %d text %r" % (wparam, message_text))
            if scenario.listener == "slow" and entries and "tick" in boxes[0]:
                failures.check(boxes[0]["tick"] >= entries[0][2],
                               "the box showed before the slow listener answered")
    finally:
        session.close()
        shutil.rmtree(prefix, ignore_errors=True)
    return failures.messages


def run_contract(kind, build, template, work):
    """The registry contract cases, run by a helper linked to the program's own Win32 seam."""
    prefix = copy_template(template, work)
    lang = "ja_JP.UTF-8" if kind == "double" else "en_US.UTF-8"
    session = WineSession(prefix, 120 + (kind == "double"), lang)
    try:
        status, out = session.run([os.path.join(build, "helpers", "registry_contract.exe"), kind])
    finally:
        session.close()
        shutil.rmtree(prefix, ignore_errors=True)
    print(out, end="")
    expected_code_page = "932" if kind == "double" else "1252"
    if "ANSI code page %s" % expected_code_page not in out:
        return ["the contract did not run under code page %s" % expected_code_page]
    return [] if status == 0 else ["contract broken on Wine (exit status %d)" % status]


def boot_template(template):
    shutil.rmtree(template, ignore_errors=True)
    os.makedirs(os.path.dirname(os.path.abspath(template)), exist_ok=True)
    session = WineSession(template, 150)
    try:
        session.boot()
    finally:
        session.close()
    if not os.path.exists(os.path.join(template, "system.reg")):
        raise SetupError("wineboot made no registry in %s" % template)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["list", "template", "scenario", "contract"])
    parser.add_argument("name", nargs="?")
    parser.add_argument("--build")
    parser.add_argument("--template")
    parser.add_argument("--work")
    args = parser.parse_args()
    if args.command == "list":
        print(";".join(scenario.name for scenario in SCENARIOS))
        return 0
    try:
        if args.command == "template":
            started = time.time()
            boot_template(args.template)
            print("template prefix booted in %.1f s" % (time.time() - started))
            return 0
        if not os.path.exists(os.path.join(args.template, "system.reg")):
            raise SetupError("no template prefix at %s" % args.template)
        started = time.time()
        if args.command == "contract":
            if args.name not in ("single", "double"):
                print("contract takes single or double")
                return 1
            messages = run_contract(args.name, args.build, args.template, args.work)
        else:
            scenario = next((s for s in SCENARIOS if s.name == args.name), None)
            if scenario is None:
                print("no scenario named %r" % args.name)
                return 1
            messages = run_scenario(scenario, args.build, args.template, args.work)
    except SetupError as error:
        print("SETUP FAILED: %s" % error)
        return 1
    for message in messages:
        print("FAIL: %s" % message)
    print("%s %s: %s in %.1f s" % (args.command, args.name, "failed" if messages else "passed",
                                   time.time() - started))
    return 1 if messages else 0


if __name__ == "__main__":
    sys.exit(main())

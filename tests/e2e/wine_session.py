"""One Wine session for the end-to-end tests and the demo: an Xvfb display, a Wine prefix and the helpers run in it."""
import os
import re
import shutil
import signal
import subprocess
import time

MACHINE_SUBKEY = r"SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
USER_SUBKEY = "Environment"


class SetupError(Exception):
    pass


def require_tools():
    missing = [tool for tool in ("wine", "wineserver", "wineboot", "Xvfb") if shutil.which(tool) is None]
    if missing:
        raise SetupError(
            "the end-to-end tests need Wine and Xvfb, missing: %s (apt-get install wine wine64 xvfb)"
            % ", ".join(missing))


def free_display(preferred):
    for number in range(preferred, preferred + 400):
        if not os.path.exists("/tmp/.X%d-lock" % number) and not os.path.exists("/tmp/.X11-unix/X%d" % number):
            return number
    raise SetupError("no free X display number")


class WineSession:
    """A prefix of its own plus an X display; close() stops both."""

    def __init__(self, prefix, display_hint, lang="en_US.UTF-8", screen="1024x768x24"):
        require_tools()
        self.prefix = prefix
        self.lang = lang
        self.display = free_display(display_hint)
        self.xvfb = subprocess.Popen(
            ["Xvfb", ":%d" % self.display, "-screen", "0", screen, "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not os.path.exists("/tmp/.X11-unix/X%d" % self.display):
            if self.xvfb.poll() is not None or time.time() > deadline:
                raise SetupError("Xvfb did not start on display :%d" % self.display)
            time.sleep(0.05)
        self.background = []

    def env(self):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.prefix,
            "DISPLAY": ":%d" % self.display,
            "WINEDEBUG": "-all",
            # No Mono or Gecko installer prompts in a headless prefix.
            "WINEDLLOVERRIDES": "mscoree=;mshtml=",
            "LANG": self.lang,
            "LC_ALL": self.lang,
        })
        return env

    def run(self, args, timeout=60):
        """Runs a Windows program to its end; returns (exit status, stdout)."""
        done = subprocess.run(["wine"] + args, env=self.env(), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              timeout=timeout)
        return done.returncode, done.stdout.decode("utf-8", "replace")

    def start(self, args):
        process = subprocess.Popen(["wine"] + args, env=self.env(), stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        self.background.append(process)
        return process

    def boot(self):
        subprocess.run(["wineboot", "-i"], env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300, check=True)
        self.stop_server()

    def stop_server(self):
        subprocess.run(["wineserver", "-k"], env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)

    def close(self):
        self.stop_server()
        for process in self.background:
            if process.poll() is None:
                process.kill()
            process.wait()
        self.xvfb.send_signal(signal.SIGTERM)
        try:
            self.xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.xvfb.kill()
            self.xvfb.wait()


def windows_path(path):
    """Wine maps the Unix root to drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_values(session, helpers):
    """Both Path values as (type, size, bytes) read with the wide API, or None where missing."""
    status, out = session.run([os.path.join(helpers, "registry_fixture.exe"), "show", "HKLM", MACHINE_SUBKEY, "Path",
                               "show", "HKCU", USER_SUBKEY, "Path"])
    rows = []
    for line in out.splitlines():
        found = re.match(r"value type=(\d+) size=(\d+) hex=([0-9a-f]*)$", line.strip())
        if found:
            rows.append((int(found.group(1)), int(found.group(2)), bytes.fromhex(found.group(3))))
        elif line.startswith("value missing"):
            rows.append(None)
    if status != 0 or len(rows) != 2:
        raise SetupError("reading the values back failed: %r" % out)
    return rows


def parse_box(out):
    """What box_reader.exe reported."""
    box = {}
    for line in out.splitlines():
        line = line.strip()
        found = re.match(r"found tick=(\d+) boxes=(\d+)$", line)
        if found:
            box["tick"], box["boxes"] = int(found.group(1)), int(found.group(2))
        elif line.startswith("text="):
            box["text"] = bytes.fromhex(line[5:]).decode("utf-16-le")
        elif line.startswith("icon="):
            box["icon"] = line[5:]
        elif line.startswith("button="):
            box["button"] = line[7:]
        elif line in ("closed", "still open", "none"):
            box["end"] = line
    return box

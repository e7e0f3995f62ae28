#!/usr/bin/env python3
"""Runs the README's run command as a new user would and checks the application it installed.

Everything happens on a private desktop (Xvfb, a session bus of its own and trayer as the XEmbed
tray) with a temporary home, XDG folders, a fresh build folder and a scripted codex first on PATH,
so nothing of the machine's own session or of the test build is used. This process makes itself
the subreaper of what the run command leaves running, so it can collect the application's exit
status after SIGTERM.
"""
import ctypes
import os
import pathlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time

REPOSITORY = pathlib.Path(__file__).resolve().parent.parent
PR_SET_CHILD_SUBREAPER = 36
SETTINGS_TITLE = "Pulse Grove · 界面与模块设置"
TRAY_HEIGHT = 32

# Answers the two requests the application makes, then waits for its input to end like codex.
SCRIPTED_CODEX = r"""#!/bin/sh
read -r line || exit 0
printf '%s\n' '{"id":0,"result":{"userAgent":"ci"}}'
read -r line || exit 0
read -r line || exit 0
printf '%s\n' '{"id":1,"result":{"rateLimits":{"planType":"pro","primary":{"usedPercent":25,"windowDurationMins":300,"resetsAt":1700003600},"secondary":{"usedPercent":60,"windowDurationMins":10080,"resetsAt":1700500000}}}}'
cat >/dev/null
"""


class CheckFailed(Exception):
    pass


def wait_until(what, predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = predicate()
        if result:
            return result
        time.sleep(0.2)
    raise CheckFailed(f"{what} (waited {seconds} s)")


class PrivateDesktop:
    def __init__(self):
        self.processes = []
        read_end, write_end = os.pipe()
        self._start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                    pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as display_number:
            number = display_number.readline().strip()
        if not number:
            raise CheckFailed("Xvfb did not start")
        self.display = ":" + number
        bus = self._start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                          stdout=subprocess.PIPE, text=True)
        self.bus_address = bus.stdout.readline().strip()
        self.environment = {"DISPLAY": self.display, "DBUS_SESSION_BUS_ADDRESS": self.bus_address}
        self._start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                     "--height", str(TRAY_HEIGHT), "--SetDockType", "true", "--SetPartialStrut", "true",
                     "--transparent", "false", "--tint", "0x303030", "--expand", "true"],
                    env={**os.environ, **self.environment})
        wait_until("trayer never showed its panel", lambda: self.windows("--class", "trayer"), 15)

    def _start(self, command, **options):
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **options)
        self.processes.append(process)
        return process

    def run(self, *command):
        return subprocess.run(command, env={**os.environ, **self.environment}, capture_output=True,
                              text=True, timeout=20)

    def windows(self, *search):
        found = self.run("xdotool", "search", "--onlyvisible", *search)
        return found.stdout.split() if found.returncode == 0 else []

    def geometry(self, window):
        fields = dict(line.split("=", 1) for line in
                      self.run("xdotool", "getwindowgeometry", "--shell", window).stdout.split())
        return tuple(int(fields.get(key, -1)) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def name(self, window):
        return self.run("xdotool", "getwindowname", window).stdout.strip()

    def stop(self):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def processes_running(executable):
    """The processes whose command line starts with `executable` (zombies excluded)."""
    found = []
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            argv = (entry / "cmdline").read_bytes().split(b"\0")
            state = (entry / "stat").read_text().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if state != "Z" and str(executable).encode() in argv[:2]:
            found.append(int(entry.name))
    return found


def reap(pid, seconds):
    """The exit status of our (adopted) child `pid`, or None when it did not end in time."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done == pid:
            return status
        time.sleep(0.1)
    return None


def main():
    if ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise CheckFailed("cannot become a subreaper")
    root = pathlib.Path(tempfile.mkdtemp(prefix="pulsegrove-run-check-"))
    folders = {name: root / name for name in ("home", "config", "data", "cache", "state", "runtime", "bin")}
    for folder in folders.values():
        folder.mkdir(mode=0o700)
    codex = folders["bin"] / "codex"
    codex.write_text(SCRIPTED_CODEX)
    codex.chmod(0o700)
    desktop = PrivateDesktop()
    passed = []
    application = None
    log = folders["state"] / "Pulsegrove" / "pulsegrove.log"
    try:
        environment = {key: value for key, value in os.environ.items()
                       if key not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP")}
        environment.update(desktop.environment)
        environment.update({
            "HOME": str(folders["home"]), "XDG_CONFIG_HOME": str(folders["config"]),
            "XDG_DATA_HOME": str(folders["data"]), "XDG_CACHE_HOME": str(folders["cache"]),
            "XDG_STATE_HOME": str(folders["state"]), "XDG_RUNTIME_DIR": str(folders["runtime"]),
            "PATH": f"{folders['bin']}:{os.environ.get('PATH', '/usr/bin:/bin')}",
            "PULSEGROVE_BUILD_DIR": str(root / "build"), "PULSEGROVE_WARNINGS_AS_ERRORS": "ON",
            "LANG": "C.UTF-8", "TZ": "UTC"})

        print("== scripts/run.sh (Release, fresh build folder, private desktop)", flush=True)
        started = time.monotonic()
        result = subprocess.run([str(REPOSITORY / "scripts" / "run.sh")], env=environment,
                                stdin=subprocess.DEVNULL, timeout=1800)
        if result.returncode != 0:
            raise CheckFailed(f"scripts/run.sh exited with {result.returncode}")
        print(f"== scripts/run.sh took {time.monotonic() - started:.0f} s", flush=True)
        executable = folders["data"] / "Pulsegrove" / "Pulsegrove.app" / "bin" / "pulsegrove"
        running = processes_running(executable)
        if len(running) != 1:
            raise CheckFailed(f"expected one running application, found {running}")
        application = running[0]
        passed.append("the run command installs and starts the application")

        def docked_icon():
            for window in desktop.windows("--class", "pulsegrove"):
                x, y, width, height = desktop.geometry(window)
                if 0 < width <= 64 and 0 < height <= 64 and 0 <= y < TRAY_HEIGHT:
                    return window
            return None
        wait_until("the tray icon never docked", docked_icon, 30)
        passed.append("its tray icon docks")

        second = subprocess.run([str(executable)], env=environment, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=20)
        if second.returncode != 0:
            raise CheckFailed(f"a second start exited with {second.returncode}")
        wait_until("the running copy did not open its settings window",
                   lambda: any(desktop.name(w) == SETTINGS_TITLE for w in desktop.windows("--class", "pulsegrove")),
                   20)
        if processes_running(executable) != [application]:
            raise CheckFailed("a second start left a second copy running")
        passed.append("a second start exits 0 and the running copy opens its settings window")

        again = subprocess.run([str(REPOSITORY / "scripts" / "run.sh")], env=environment,
                               stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=600)
        if again.returncode != 0 or "already running" not in again.stdout:
            raise CheckFailed(f"running the run command again did not say that a copy runs:\n{again.stdout}{again.stderr}")
        if processes_running(executable) != [application]:
            raise CheckFailed("running the run command again left a second copy running")
        passed.append("the run command says so when a copy already runs")

        entry = folders["data"] / "applications" / "io.velorn.Pulsegrove.desktop"
        validation = subprocess.run(["desktop-file-validate", str(entry)], capture_output=True, text=True)
        if validation.returncode != 0:
            raise CheckFailed(f"the installed desktop entry does not validate:\n{validation.stdout}")
        passed.append("the installed desktop entry validates")

        os.kill(application, signal.SIGTERM)
        status = reap(application, 15)
        if status is None:
            raise CheckFailed("SIGTERM did not end the application within 15 s")
        application = None
        if not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
            raise CheckFailed(f"SIGTERM ended the application with wait status {status:#x}")
        wait_until("a codex process outlived the application", lambda: not processes_running(codex), 5)
        passed.append("SIGTERM ends it with status 0 and no codex process left")
    except (CheckFailed, subprocess.TimeoutExpired) as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        if log.exists():
            print(f"-- the application's log ({log}):\n{log.read_text(errors='replace')[-4000:]}", file=sys.stderr)
        return 1
    finally:
        if application is not None:
            os.kill(application, signal.SIGKILL)
            reap(application, 5)
        for leftover in processes_running(codex):
            os.kill(leftover, signal.SIGKILL)
        desktop.stop()
        shutil.rmtree(root, ignore_errors=True)
    for check in passed:
        print(f"ok: {check}")
    print(f"run command: {len(passed)} passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

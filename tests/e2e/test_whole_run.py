"""Whole runs with the device check: the confirmation answered, the installation built, the installed device-check
tool run into its log, the driver installer started when the binding is missing, and the closing box.

Natively the boxes are printed to standard error and the confirmation is answered on standard input. The Windows
build runs under Wine on a virtual X display of its own: each box is found by its title with xdotool, its texts
are read back from the dialog's controls (tests/tools/message_box_text.cpp), a screenshot is saved under
<build>/screenshots/, and the box is answered with a key press.

The package's device-check tool and driver installer are the recording stand-in (tests/tools/recording_tool.cpp);
their exit codes are chosen by "<name>.exitcode" files in the target's parent folder, which the stand-in finds from
inside the installation."""

import os
import select
import shutil
import signal
import subprocess
import sys
import time
import unittest
from collections import namedtuple
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import tavo_e2e as e2e  # noqa: E402

RECORDING_TOOL = e2e.tool("recording_tool")
BOX_READER = e2e.tool("message_box_text")

CONFIRM_TITLE = "TAVO Windows 10 x64 \u2013 Setup"
TITLE = "TAVO x64"
READY = ("Installation abgeschlossen. Die TAVO-WinUSB-Zuordnung ist bereit. Zum Starten TAVO-starten.exe im neuen "
         "Ordner verwenden.")
MISSING = ("Die Editorfassung wurde vorbereitet. Die Treiberzuordnung fehlt noch. TAVO einschalten, per USB "
           "anschliessen und TAVO-Treiber-installieren.exe im neuen Ordner starten.")
FAILURE = ("Setup wurde abgebrochen. Bitte den originalen TAVO-1.1-Ordner mit App und Tavo verwenden und das ganze "
           "Paket entpacken. Einzelheiten stehen in Setup-Ergebnis.txt. Ein vorhandener Zielordner wird nicht "
           "ungeprueft ueberschrieben.")

CHECK = "device_binding"
INSTALLER = "TAVO-Treiber-installieren"
# The shell's own box for a program that it cannot start (the launch asks for no silence, SEE_MASK_FLAG_NO_UI).
SHELL_ERROR_TITLE = "Error"
# Box titles as an xdotool pattern; the en dash is left to ".*" so that no locale matters.
BOX_PATTERN = "^(TAVO (x64|Windows 10 x64 .* Setup)|Error)$"
BOX_TIMEOUT = 180
EXIT_TIMEOUT = 180

Box = namedtuple("Box", "title text buttons")


def confirmation_box(target: str) -> Box:
    return Box(CONFIRM_TITLE, "TAVO-Editor und USB-Bruecke werden eingerichtet.\n\nZielordner:\n" + target +
               "\n\nDie Originalsoftware ist im Paket enthalten. Eine vorhandene Installation wird nicht "
               "ueberschrieben. Fortfahren?", 2)


def completion_box(text: str, target: str) -> Box:
    return Box(TITLE, text + "\n\n" + target, 1)


def failure_box() -> Box:
    return Box(TITLE, FAILURE, 1)


def shell_error_boxes() -> list:
    """What a failed elevated launch shows besides our boxes: under Wine the shell's error box (its text is the
    shell's, not ours), natively nothing."""
    return [Box(SHELL_ERROR_TITLE, None, 1)] if e2e.WINDOWS else []


def tool_output(name: str) -> bytes:
    """What the stand-in writes to standard output and standard error, byte for byte."""
    return f"{name}: out 1\n{name}: err\n{name}: out 2\n".encode()


def tool_calls(program: Path) -> list:
    """Every start that the stand-in at program recorded: dicts with cwd, args, command_line, stdin."""
    record = program.with_name(program.name.removesuffix(".exe") + ".calls.txt")
    if not record.exists():
        return []
    calls = []
    for line in record.read_text(encoding="utf-8").splitlines():
        if line == "start":
            calls.append({"args": []})
            continue
        key, _, value = line.partition("=")
        if key == "arg":
            calls[-1]["args"].append(value)
        else:
            calls[-1][key] = value
    return calls


def native_folder(path: Path) -> str:
    """A folder as the stand-in reports its current directory."""
    return e2e.winpath(path) if e2e.WINDOWS else os.path.realpath(path)


Outcome = namedtuple("Outcome", "returncode boxes stderr")


class NativeDesktop:
    """Natively: the confirmation is answered with one line on standard input; the boxes are on standard error."""

    answers = {"Return": b"ja\n", "Escape": b"nein\n", "EOF": b""}

    def __init__(self, test):
        self.test = test

    def run(self, package, args, keys, cwd, shots):
        completed = e2e.run_setup(package, *args, cwd=cwd, input=self.answers[keys[0]], env=self.test.env,
                                  timeout=EXIT_TIMEOUT)
        return Outcome(completed.returncode, None, completed.stderr)


class WineDesktop:
    """The Windows build under Wine on an Xvfb display of its own."""

    def __init__(self, test, env):
        self.test = test
        self.env = env

    def _xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=30)

    def _visible_boxes(self):
        found = self._xdotool("search", "--onlyvisible", "--name", BOX_PATTERN)
        return [line for line in found.stdout.split() if line]

    def _read_boxes(self):
        listed = subprocess.run([e2e.WINE_RUN, str(BOX_READER)], env=self.env, capture_output=True, timeout=120)
        boxes, current = [], None
        for line in listed.stdout.decode("utf-8", "replace").splitlines():
            key, _, value = line.partition("=")
            value = value.replace("\\\\", "\0").replace("\\n", "\n").replace("\\r", "\r").replace("\0", "\\")
            if key == "title":
                current = {"title": value, "text": None, "buttons": 0}
            elif key == "button" and current is not None:
                current["buttons"] += 1
            elif key == "text" and current is not None:
                current["text"] = value
            elif line == "end" and current is not None:
                if current["title"] in (TITLE, CONFIRM_TITLE, SHELL_ERROR_TITLE):
                    boxes.append(Box(current["title"], current["text"], current["buttons"]))
                current = None
        return boxes

    def _screenshot(self, name):
        folder = e2e.BUILD_DIR / "screenshots"
        folder.mkdir(parents=True, exist_ok=True)
        shot = folder / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(shot)], env=self.env, capture_output=True, timeout=60)
        return shot

    def _wait_for_box(self, process):
        deadline = time.monotonic() + BOX_TIMEOUT
        while time.monotonic() < deadline:
            windows = self._visible_boxes()
            if windows:
                return windows[0]
            if process.poll() is not None:
                return None
            time.sleep(0.25)
        raise AssertionError(f"no box within {BOX_TIMEOUT} s")

    def _read_box(self):
        # The window can be mapped a moment before its controls hold their texts.
        deadline = time.monotonic() + 60
        while True:
            boxes = self._read_boxes()
            if len(boxes) == 1 and boxes[0].text is not None:
                return boxes[0]
            if time.monotonic() > deadline:
                raise AssertionError(f"expected one readable box, found {boxes}")
            time.sleep(0.25)

    def _wait_until_gone(self, window):
        deadline = time.monotonic() + 60
        while window in self._visible_boxes():
            if time.monotonic() > deadline:
                raise AssertionError("the box did not close after the key press")
            time.sleep(0.25)

    def run(self, package, args, keys, cwd, shots):
        log = open(self.test.root / "wine-output.txt", "wb")
        process = subprocess.Popen([e2e.WINE_RUN, str(package.exe), *args], cwd=cwd, env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
        boxes = []
        try:
            for index, key in enumerate(keys):
                window = self._wait_for_box(process)
                if window is None:
                    break  # ended early: the assertions on the boxes tell what was missing
                boxes.append(self._read_box())
                shot = self._screenshot(f"{shots}-{index + 1}")
                self.test.assertTrue(shot.exists(), shot)
                self._xdotool("key", "--window", window, key)
                self._wait_until_gone(window)
            # No further box may appear before the program ends.
            deadline = time.monotonic() + EXIT_TIMEOUT
            while process.poll() is None:
                if self._visible_boxes():
                    extra = self._read_boxes()
                    self._screenshot(f"{shots}-unexpected")
                    raise AssertionError(f"unexpected box: {extra}")
                if time.monotonic() > deadline:
                    raise AssertionError(f"the program did not end within {EXIT_TIMEOUT} s")
                time.sleep(0.25)
            return Outcome(process.returncode, boxes, b"")
        finally:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait(timeout=60)
            log.close()


class Display:
    """An Xvfb server on a display number that it chooses itself."""

    def __init__(self):
        self.process = None
        self.name = None

    def start(self):
        for program in ("Xvfb", "xdotool", "import"):
            if shutil.which(program) is None:
                raise unittest.SkipTest(f"{program} is not installed")
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                         "-nolisten", "tcp"], pass_fds=[write_end], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        number = b""
        try:
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], 30)
                if not ready:
                    raise unittest.SkipTest("Xvfb did not report a display within 30 s")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise unittest.SkipTest("Xvfb ended without a display")
                number += chunk
        except unittest.SkipTest:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait(timeout=30)


class GuiWine:
    """A Wine prefix of its own for the runs with boxes. Wine's desktop takes its graphics driver from the
    process that starts it: in the shared prefix, a test without a display may have started it first, and then
    no box can be shown. Nothing else uses this prefix, so its server can be ended at will."""

    def __init__(self, display, name="wineprefix-gui"):
        self.prefix = e2e.BUILD_DIR / name
        self.env = dict(os.environ, DISPLAY=display, TAVO_WINEPREFIX=str(self.prefix))

    def end_server(self):
        subprocess.run(["wineserver", "-k"], env=dict(self.env, WINEPREFIX=str(self.prefix)),
                       capture_output=True, timeout=60)

    def start(self):
        if shutil.which("wineserver") is None:
            raise unittest.SkipTest("wineserver is not installed")
        self.end_server()  # a server left by an earlier run would still draw on that run's display
        made = subprocess.run([e2e.WINE_RUN, "--prepare-prefix"], env=self.env, capture_output=True, timeout=600)
        if made.returncode != 0 or not (self.prefix / "system.reg").exists():
            raise unittest.SkipTest(f"cannot make the Wine prefix {self.prefix}: {made.stderr[-500:]!r}")

    def draw_window_titles(self):
        """Has Wine draw the windows' frames and titles itself: Xvfb has no window manager to draw them."""
        subprocess.run([e2e.WINE_RUN, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Decorated",
                        "/t", "REG_SZ", "/d", "N", "/f"], env=self.env, capture_output=True, timeout=120, check=True)


class GuiSession:
    """For the Windows build: a display of its own and a Wine prefix drawing on it, for all tests of a class."""
    prefix_name = "wineprefix-gui"
    draw_titles = False
    display = None
    wine = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        if e2e.WINDOWS:
            cls.display = Display()
            cls.display.start()
            cls.wine = GuiWine(cls.display.name, cls.prefix_name)
            try:
                cls.wine.start()
                if cls.draw_titles:
                    cls.wine.draw_window_titles()
            except BaseException:
                cls.display.stop()
                raise

    @classmethod
    def tearDownClass(cls):
        if cls.wine is not None:
            cls.wine.end_server()
        if cls.display is not None:
            cls.display.stop()
        super().tearDownClass()


class WholeRunTest(GuiSession, e2e.TempFolderTest):
    def setUp(self):
        super().setUp()
        self.desktop = WineDesktop(self, self.wine.env) if e2e.WINDOWS else NativeDesktop(self)
        self.use_case_folder("Lauf")

    def use_case_folder(self, name):
        """Puts the package, the target and the working folder of one case into a fresh folder of its own."""
        self.root = self.tmp / name
        self.cwd = self.root / "Arbeitsordner"
        self.cwd.mkdir(parents=True)
        self.target = self.root / "Mein TAVO Ziel"

    # --- helpers ---

    def package(self, *, check_tool=True, installer_tool=True):
        tools = {}
        if check_tool:
            tools["device_binding.exe"] = RECORDING_TOOL
        if installer_tool:
            tools["TAVO-Treiber-installieren.exe"] = RECORDING_TOOL
        return e2e.make_package(self.root, tools=tools)

    def choose_exit_codes(self, check=None, installer=None):
        for name, code in ((CHECK, check), (INSTALLER, installer)):
            if code is not None:
                (self.root / f"{name}.exitcode").write_text(code)

    def run_whole(self, package, keys, shots):
        return self.desktop.run(package, ["--target", e2e.winpath(self.target)], keys, self.cwd, shots)

    def require_silent_elevation(self):
        if not e2e.WINDOWS and os.geteuid() != 0:
            self.skipTest("the driver installer would be started through pkexec, which asks for a password")

    @property
    def check_program(self):
        return self.target / "Treiber" / "device_binding.exe"

    @property
    def installer_program(self):
        return self.target / "TAVO-Treiber-installieren.exe"

    @property
    def log(self):
        return self.target / "Logs" / "treiberpruefung.txt"

    def assert_boxes(self, outcome, expected, installer_ran=False):
        if e2e.WINDOWS:
            # A box expected without text is the shell's: its title and buttons are compared.
            seen = [box._replace(text=None) if want.text is None else box
                    for box, want in zip(outcome.boxes, expected)] + outcome.boxes[len(expected):]
            self.assertEqual(seen, expected)
            return
        # The installer, run directly as root, shares our standard handles: its error line comes before the
        # closing box.
        text = b""
        for index, box in enumerate(expected):
            if installer_ran and index == len(expected) - 1:
                text += tool_output(INSTALLER).split(b"\n")[1] + b"\n"
            text += f"{box.title}\n{box.text}\n\n".encode("utf-8")
        self.assertEqual(outcome.stderr.decode("utf-8", "replace"), text.decode("utf-8"))

    def assert_device_check_ran_once(self):
        calls = tool_calls(self.check_program)
        self.assertEqual(len(calls), 1, calls)
        call = calls[0]
        self.assertEqual(call["args"], ["--check-tavo"])
        self.assertEqual(call["cwd"], native_folder(self.target / "Treiber"))
        self.assertEqual(call["stdin"], "null")
        if e2e.WINDOWS:
            # The program quoted as joined (forward slash included), the argument unquoted.
            self.assertEqual(call["command_line"],
                             f'"{e2e.winpath(self.target)}\\Treiber/device_binding.exe" --check-tavo')
        self.assertEqual(self.log.read_bytes(), tool_output(CHECK))

    # --- cases ---

    def test_closing_box_follows_the_device_check_and_the_installer(self):
        Case = namedtuple("Case", "name check installer installer_tool final installer_starts")
        cases = [
            Case("ready", "0", "7", True, READY, 0),
            Case("installer-binds", "3", "0", True, READY, 1),
            Case("installer-fails", "3", "5", True, MISSING, 1),
            Case("launch-fails", "3", None, False, MISSING, 0),  # the installer is no program
        ]
        for case in cases:
            with self.subTest(case.name):
                if case.installer_starts:
                    self.require_silent_elevation()
                self.use_case_folder(case.name)
                package = self.package(installer_tool=case.installer_tool)
                self.choose_exit_codes(case.check, case.installer)
                target = e2e.winpath(self.target)
                launch_error = [] if case.installer_tool else shell_error_boxes()
                expected = [confirmation_box(target), *launch_error, completion_box(case.final, target)]
                outcome = self.run_whole(package, ["Return"] * len(expected), f"whole_run-{case.name}")

                self.assertEqual(outcome.returncode, 0)
                self.assertEqual(package.result(), e2e.OK_REPORT)
                self.assert_boxes(outcome, expected, installer_ran=case.installer_starts > 0)
                self.assert_device_check_ran_once()
                installer_calls = tool_calls(self.installer_program)
                self.assertEqual(len(installer_calls), case.installer_starts, installer_calls)
                for call in installer_calls:
                    self.assertEqual(call["args"], [])
                    self.assertEqual(call["cwd"], native_folder(self.cwd))

    def test_next_run_truncates_the_device_log(self):
        self.require_silent_elevation()
        package = self.package()
        first = self.run_whole(package, ["Return", "Return"], "whole_run-log-first")
        self.assertEqual(first.returncode, 0)
        self.log.write_bytes(b"older output that is much longer than the tool's own\n" * 50)
        self.choose_exit_codes(check="3", installer="9")

        second = self.run_whole(package, ["Return", "Return"], "whole_run-log-second")

        self.assertEqual(second.returncode, 0)
        target = e2e.winpath(self.target)
        self.assert_boxes(second, [confirmation_box(target), completion_box(MISSING, target)], installer_ran=True)
        self.assertEqual(self.log.read_bytes(), tool_output(CHECK))
        self.assertEqual(len(tool_calls(self.check_program)), 2)
        self.assertEqual(len(tool_calls(self.installer_program)), 1)

    def test_device_check_that_cannot_start_fails_the_run_and_keeps_the_target(self):
        package = self.package(check_tool=False)  # device_binding.exe is no program

        outcome = self.run_whole(package, ["Return", "Return"], "whole_run-no-device-helper")

        self.assertEqual(outcome.returncode, 1)
        self.assertEqual(package.result(), b"ERROR" + e2e.EOL + b"Cannot start device helper" + e2e.EOL)
        self.assert_boxes(outcome, [confirmation_box(e2e.winpath(self.target)), failure_box()])
        self.assertEqual((self.target / "TAVO-x64-installation.txt").read_bytes(), e2e.MARKER)
        self.assertEqual(self.log.read_bytes(), b"")
        self.assertEqual(tool_calls(self.installer_program), [])

    def test_confirmation_not_given_ends_with_status_2(self):
        keys = ["Escape"] if e2e.WINDOWS else ["Escape", "EOF"]
        for key in keys:
            with self.subTest(key):
                self.use_case_folder(key)
                package = self.package()
                outcome = self.run_whole(package, [key], f"whole_run-cancel-{key}")
                self.assertEqual(outcome.returncode, 2)
                self.assertIsNone(package.result())
                self.assertFalse(self.target.exists())
                self.assert_boxes(outcome, [confirmation_box(e2e.winpath(self.target))])


if __name__ == "__main__":
    e2e.main()

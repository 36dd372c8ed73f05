"""The progress of a whole run on a package big enough to take a while.

Under Wine (Xvfb of its own, a Wine prefix of its own): after the confirmation the progress window shows the
phase and a bar. The test build's door holds the run before every tenth write (TAVO_DOOR pause: the copies' and
the run log's) while the
window is read (tests/tools/progress_window_state.cpp reads its controls): at a hold where the bar is neither
empty nor full a screenshot is taken, so the moment is certain, not caught by timing; a held run keeps its
window answering. The window is gone when the completion box appears, and a failing run shows its failure box
with no window left behind.

Natively: on a terminal (a pseudo-terminal here) standard error carries one progress line that rewrites itself
and ends with a line feed before the completion text; off a terminal standard error holds the boxes only."""

import os
import pty
import select
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import tavo_e2e as e2e  # noqa: E402
import test_whole_run as whole  # noqa: E402

STATE_READER = e2e.tool("progress_window_state")
ANSWER_PROBE = e2e.tool("window_answer_probe")
PROGRESS_TITLE = "TAVO-Einrichtung"
CHECKING = "Dateien werden geprueft"
COPYING = "Dateien werden kopiert"
CHECKING_DEVICE = "Geraet wird geprueft"
SETTING_UP_DRIVER = "Treiber wird eingerichtet"
SLOW_MILLISECONDS = 2500  # each slow call: longer than the probe's second, far from Windows' 5 s
# Calls of the run made slow, each once: the first flush, the first rename, the start of the device check and
# the elevated start of the driver installer. None pumps messages meanwhile, as a slow call would not.
SLOW_CALLS = ("FlushFileBuffers", "MoveFileExW", "CreateProcessW", "ShellExecuteExW")
WAITING = "Warten auf Freigabe der Dateien"
BULK_FILES = 48
BULK_SIZE = 24 << 20  # about 1.2 GB in all: natively the line is drawn for a while
WINDOW_BULK_SIZE = 1 << 20  # under Wine the run is held where the test looks: no need for a long run
HOLD_EVERY = 10  # writes between two holds
TIMEOUT = 300


class ProgressTest(whole.GuiSession, e2e.TempFolderTest):
    prefix_name = "wineprefix-progress"
    draw_titles = True  # the screenshots show the windows' titles

    def setUp(self):
        super().setUp()
        self.target = self.tmp / "Ziel"
        if e2e.WINDOWS:
            self.desktop = whole.WineDesktop(self, self.wine.env)
            self.root = self.tmp  # where WineDesktop keeps Wine's output

    def big_package(self, size=BULK_SIZE, installer=False):
        tools = {"device_binding.exe": whole.RECORDING_TOOL}
        if installer:
            tools["TAVO-Treiber-installieren.exe"] = whole.RECORDING_TOOL
        package = e2e.make_package(self.tmp, tools=tools)
        e2e.add_bulk_software(package, BULK_FILES, size)
        return package

    # --- under Wine ---

    def window_state(self, *args) -> dict:
        read = subprocess.run([e2e.WINE_RUN, str(STATE_READER), *args], env=self.wine.env, capture_output=True,
                              timeout=120)
        return dict(line.partition("=")[::2] for line in read.stdout.decode("utf-8", "replace").splitlines())

    def progress_windows(self) -> list:
        found = self.desktop._xdotool("search", "--onlyvisible", "--name", f"^{PROGRESS_TITLE}$")
        return found.stdout.split()

    def start(self, package, door=None, documented=None):
        log = open(self.tmp / "wine-output.txt", "wb")
        self.addCleanup(log.close)
        env = dict(self.wine.env, TAVO_DOOR=door) if door else dict(self.wine.env)
        if documented:
            env["TAVO_DOCUMENTED"] = documented
        process = subprocess.Popen([e2e.WINE_RUN, str(package.exe), "--target", e2e.winpath(self.target)],
                                   env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   start_new_session=True)

        def stop():
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait(timeout=60)
        self.addCleanup(stop)
        return process

    def answer_box(self, process, title, shot):
        """Waits for the box, checks its title and that no progress window is left, answers it with Return."""
        window = self.desktop._wait_for_box(process)
        self.assertIsNotNone(window, "the program ended without the box")
        box = self.desktop._read_box()
        self.assertEqual(box.title, title)
        self.assertEqual(self.window_state(), {}, "the progress window is still there")
        self.assertEqual(self.progress_windows(), [])
        self.desktop._screenshot(shot)
        self.desktop._xdotool("key", "--window", window, "Return")
        self.desktop._wait_until_gone(window)
        return box

    def is_mid_copy(self, state) -> bool:
        return state.get("phase") == COPYING and 0 < int(state.get("position", "0")) < 1000

    def wait_for_hold(self, process, hold: Path) -> bool:
        """Waits until the run is held at `hold`; False when it went on to a box or ended instead."""
        deadline = time.monotonic() + TIMEOUT
        while not (hold / "paused").exists():
            if process.poll() is not None or self.desktop._visible_boxes() or time.monotonic() > deadline:
                return False
            time.sleep(0.05)
        return True

    @unittest.skipUnless(e2e.WINDOWS, "the progress window is the Windows build's")
    def test_window_shows_the_copy_and_is_gone_before_the_completion_box(self):
        package = self.big_package(WINDOW_BULK_SIZE)
        copies = len(list(package.source.rglob("*"))) + 8  # more than the run makes
        # Writes: the copies', and the run log's lines before them (one per listed file, a few more).
        writes = 2 * copies + 64
        holds = [self.tmp / f"halt-{n}" for n in range(HOLD_EVERY, writes, HOLD_EVERY)]
        for hold in holds:
            hold.mkdir()
        door = ";".join(f"pause=WriteFile:{HOLD_EVERY * (i + 1)}:{e2e.winpath(hold)}" for i, hold in enumerate(holds))
        process = self.start(package, door)
        self.answer_box(process, whole.CONFIRM_TITLE, "progress-1-confirmation")

        phases, shot, held = set(), None, 0
        for hold in holds:
            if not self.wait_for_hold(process, hold):
                break
            held += 1
            # A held run's window still answers; at the first hold it is asked to close, which changes nothing.
            state = self.window_state(*(["close"] if held == 1 else []))
            self.assertEqual(state.get("title"), PROGRESS_TITLE, state)
            phases.add(state.get("phase"))
            if shot is None and self.is_mid_copy(state):
                shot = self.desktop._screenshot("progress-2-copy")
                self.assertEqual(self.window_state(), state, "the window changed while the run was held")
                self.assertTrue(self.progress_windows(), "the window is not on screen")
            (hold / "go").touch()
        self.assertGreaterEqual(held, 2 * BULK_FILES // HOLD_EVERY, "the run was held too seldom")
        self.assertIsNotNone(shot, f"no hold in the middle of the copy; phases seen: {phases}")
        self.assertIn(COPYING, phases)

        box = self.answer_box(process, whole.TITLE, "progress-3-completion")
        self.assertEqual(box.text, whole.READY + "\n\n" + e2e.winpath(self.target))
        self.assertEqual(process.wait(timeout=TIMEOUT), 0)
        self.assertEqual(package.result(), e2e.OK_REPORT)

    @unittest.skipUnless(e2e.WINDOWS, "the progress window is the Windows build's")
    def test_window_answers_through_slow_calls_and_owns_the_elevation_prompt(self):
        """The run is slowed where it counts no bytes (flush, rename, device check, driver installer); the probe
        asks the window every 100 ms whether it answers, from its appearance until it is gone. Every question
        is answered; the window stays through the device check and the installer, shows their phases, and is
        the owner of the elevated launch. A window served only between byte reports fails all of this."""
        package = self.big_package(WINDOW_BULK_SIZE, installer=True)
        (self.tmp / f"{whole.CHECK}.exitcode").write_text("3")  # the binding is missing: the installer runs
        notes = self.tmp / "notes.txt"
        door = ";".join([f"delay={call}:1:{SLOW_MILLISECONDS}" for call in SLOW_CALLS] +
                        [f"note={e2e.winpath(notes)}"])
        probe_log = open(self.tmp / "probe.txt", "wb")
        self.addCleanup(probe_log.close)
        probe = subprocess.Popen([e2e.WINE_RUN, str(ANSWER_PROBE), str(TIMEOUT)], env=self.wine.env,
                                 stdin=subprocess.DEVNULL, stdout=probe_log, stderr=subprocess.DEVNULL,
                                 start_new_session=True)
        self.addCleanup(lambda: probe.poll() is None and os.killpg(probe.pid, signal.SIGKILL))
        process = self.start(package, door)
        self.answer_box(process, whole.CONFIRM_TITLE, "progress-slow-1-confirmation")
        box = self.answer_box(process, whole.TITLE, "progress-slow-2-completion")
        self.assertEqual(box.text, whole.READY + "\n\n" + e2e.winpath(self.target))
        self.assertEqual(process.wait(timeout=TIMEOUT), 0)
        self.assertEqual(probe.wait(timeout=TIMEOUT), 0)
        probe_log.close()
        lines = (self.tmp / "probe.txt").read_text(encoding="utf-8").splitlines()
        report = dict(line.partition("=")[::2] for line in lines if line.startswith(("answered=", "unanswered=")))
        phases = [line.partition("=")[2] for line in lines if line.startswith("phase=")]
        # The slow calls alone take 10 s: at a question every 100 ms and more, far more than 40 are asked.
        self.assertGreaterEqual(int(report["answered"]), 40, lines)
        self.assertEqual(report["unanswered"], "0", lines)
        self.assertEqual(phases[-2:], [CHECKING_DEVICE, SETTING_UP_DRIVER], lines)
        self.assertEqual(notes.read_text().splitlines(), ["owner=visible window of this process"])
        self.assertEqual(len(whole.tool_calls(self.target / "TAVO-Treiber-installieren.exe")), 1)

    @unittest.skipUnless(e2e.WINDOWS, "the progress window is the Windows build's")
    def test_window_shows_the_wait_while_a_scanner_holds_the_staging_folder(self):
        package = e2e.make_package(self.tmp, tools={"device_binding.exe": whole.RECORDING_TOOL})
        hold = self.tmp / "halt-warten"
        hold.mkdir()
        # Held for 15 s by a scanner; the run is held at the second lookup of the holders, 5 s into the wait.
        process = self.start(package, f"pause=RmGetList:3:{e2e.winpath(hold)}",
                             documented="rename_hold=32:15000:OneDrive.exe")
        self.answer_box(process, whole.CONFIRM_TITLE, "progress-wait-1-confirmation")
        self.assertTrue(self.wait_for_hold(process, hold), "the run was never held at the lookup of the holders")
        state = self.window_state()
        self.assertEqual(state.get("title"), PROGRESS_TITLE, state)
        self.assertEqual(state.get("phase"), WAITING, state)
        self.assertEqual(state.get("amount"), "Gehalten von: OneDrive.exe", state)
        self.desktop._screenshot("progress-wait-2-waiting")
        (hold / "go").touch()

        box = self.answer_box(process, whole.TITLE, "progress-wait-3-completion")
        self.assertEqual(box.text, whole.READY + "\n\n" + e2e.winpath(self.target))
        self.assertEqual(process.wait(timeout=TIMEOUT), 0)
        self.assertEqual(package.result(), e2e.OK_REPORT)

    @unittest.skipUnless(e2e.WINDOWS, "the progress window is the Windows build's")
    def test_failing_run_leaves_no_window_behind(self):
        package = self.big_package(WINDOW_BULK_SIZE)
        (package.payload / "tusbshim.dll").write_bytes(b"damaged")
        process = self.start(package)
        self.answer_box(process, whole.CONFIRM_TITLE, "progress-failure-1-confirmation")
        box = self.answer_box(process, whole.TITLE, "progress-failure-2-failure")
        self.assertEqual(box.text, whole.FAILURE)
        self.assertEqual(process.wait(timeout=TIMEOUT), 1)
        self.assertEqual(package.result(), b"ERROR" + e2e.EOL + b"Payload checksum mismatch" + e2e.EOL)

    # --- natively ---

    def run_on_terminal(self, package):
        """Runs the setup with standard error on a pseudo-terminal; returns the exit status and what it wrote."""
        controller, terminal = pty.openpty()
        process = subprocess.Popen([str(package.exe), "--target", str(self.target)], stdin=subprocess.PIPE,
                                   stdout=subprocess.DEVNULL, stderr=terminal, env=self.env)
        os.close(terminal)
        process.stdin.write(b"ja\n")
        process.stdin.close()
        output = b""
        while True:
            ready, _, _ = select.select([controller], [], [], TIMEOUT)
            if not ready:
                break
            try:
                chunk = os.read(controller, 65536)
            except OSError:  # the terminal's other side is closed
                break
            if not chunk:
                break
            output += chunk
        os.close(controller)
        return process.wait(timeout=TIMEOUT), output.replace(b"\r\n", b"\n")

    @unittest.skipIf(e2e.WINDOWS, "the progress line is the native build's")
    def test_progress_line_on_a_terminal_only(self):
        package = self.big_package()
        status, output = self.run_on_terminal(package)
        self.assertEqual(status, 0, output[-2000:])
        confirmation, _, rest = output.partition(b"Fortfahren?\n\n")
        progress, _, completion = rest.partition(b"\x1b[K\n")
        self.assertTrue(completion.startswith(b"TAVO x64\n" + whole.READY.encode()), output[-2000:])
        self.assertIn(b"\r" + CHECKING.encode() + b": ", progress)
        self.assertIn(b"\r" + COPYING.encode() + b": ", progress)
        copied = progress.split(b"\r")
        self.assertTrue(any(part.startswith(COPYING.encode() + b": ") and b" %" in part for part in copied), progress)
        # The device check follows the copy on the same line; it has no amount.
        self.assertIn(progress.rpartition(b"\r")[2], (b"Geraet wird geprueft", b"Treiber wird eingerichtet"))
        self.assertNotIn(b"\n", progress)

        self.target = self.tmp / "Ziel-ohne-Terminal"
        piped = e2e.run_setup(package, "--target", str(self.target), input=b"ja\n", env=self.env,
                              timeout=TIMEOUT)
        self.assertEqual(piped.returncode, 0)
        self.assertNotIn(b"\r", piped.stderr)
        self.assertNotIn(b"Dateien werden", piped.stderr)


if __name__ == "__main__":
    e2e.main()

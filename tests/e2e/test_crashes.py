"""The setup killed (SIGKILL) at moments spread evenly over a whole --prepare-only run, from the first checks to
the result file. Whatever the moment: the package stays byte for byte as it was, the target is either absent or
complete, nothing but the staging folder and the target's new parent folders is left beside it, and a later run
without a kill ends with a complete installation.

The moments are calls, not times: a clean run records its system calls (TAVO_DOOR record), and each killed run
is held by the test build's door just before its call N (TAVO_DOOR pause) and killed there. So the kills land
where they were meant to on a machine of any speed, among them the first call after the final rename."""

import collections
import os
import re
import shutil
import subprocess
import time
from pathlib import Path

from tavo_e2e import (BUILD_DIR, OK_REPORT, WINDOWS, WINE_RUN, InstallationTest, main, make_package, setup_command,
                      snapshot, snapshot_changes, winpath)

# More original software than usual, so that a run has many calls to be killed at, and how many moments spread
# over them. Under Wine every start costs seconds: fewer files and fewer moments.
PLANS = {False: {"files": 1500, "size": 4096, "moments": 50},
         True: {"files": 600, "size": 4096, "moments": 8}}
RENAME_CALL = "MoveFileExW" if WINDOWS else "renameat2"



def final_rename(calls: list) -> int:
    """The index of the final rename among the calls: the last rename (files replaced in the staging folder
    are renamed into place before it)."""
    return len(calls) - 1 - calls[::-1].index(RENAME_CALL)


# What a kill left, as counted in the summary, with its letter in the timeline.
OUTCOMES = {"nothing": ".", "staging folder": "s", "complete target": "c", "broken": "X"}


def more_software(files: int, size: int) -> dict:
    """Files for the three source trees, in folders of a hundred, each with its own content."""
    trees = ["App/Lib/Gross", "Tavo/Samples/Gross", "Presets/Werk/Gross"]
    return {f"{trees[i % 3]}/{i // 100:02d}/stueck-{i:05d}.bin": i.to_bytes(4, "little") * (size // 4)
            for i in range(files)}


class Crashes(InstallationTest):
    def setUp(self):
        super().setUp()
        self.log = self.tmp / "ausgabe.txt"
        if WINDOWS:
            if shutil.which("wineserver") is None:
                self.skipTest("wineserver is not installed: the processes of a killed run could not be ended")
            # A prefix of this test's own: after a kill its Wine server is ended, which in the shared prefix would
            # also end the processes of tests that run beside this one.
            self.prefix = BUILD_DIR / "wineprefix-crashes"
            self.env["TAVO_WINEPREFIX"] = str(self.prefix)
            made = subprocess.run([WINE_RUN, "--prepare-prefix"], env=self.env, capture_output=True, timeout=600)
            if made.returncode != 0 or not (self.prefix / "system.reg").exists():
                self.fail(f"cannot make the Wine prefix {self.prefix}: {made.stderr[-500:]!r}")
            self.addCleanup(self.end_wine)

    def end_wine(self):
        """Ends every process of the test's Wine prefix and waits until its server is gone (natively nothing)."""
        if WINDOWS:
            env = dict(self.env, WINEPREFIX=str(self.prefix))
            subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=60)
            subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=60)

    def start(self, package, target, door=None) -> subprocess.Popen:
        """Starts a run (its door bent by `door`, a TAVO_DOOR setting)."""
        self.end_wine()  # every run starts alike, as the first in a prefix without a server
        env = dict(self.env, TAVO_DOOR=door) if door else self.env
        # Output into a file, not a pipe: a Wine server that the run starts keeps the pipe open after the run.
        with open(self.log, "wb") as log:
            # The run log at one place: a default name taken already within the same second would cost calls.
            return subprocess.Popen(setup_command(package, "--prepare-only", "--target", winpath(target), "--log",
                                                  winpath(self.tmp / "lauf.log")),
                                    env=env, stdout=log, stderr=subprocess.STDOUT)

    def run_to_the_end(self, package, target, door=None):
        """Runs the setup undisturbed and checks the installation."""
        returncode = self.start(package, target, door).wait(timeout=600)
        self.assertEqual(returncode, 0, (self.log.read_bytes(), package.result()))
        self.assertEqual(package.result(), OK_REPORT)
        self.assert_installation(package, target)

    def recorded_calls(self, package) -> list:
        """The system calls of a whole run, in order, to a target as deep below a new folder as the killed runs'."""
        record = self.tmp / "aufruf-liste.txt"
        base = self.tmp / "ungestoert"
        base.mkdir()
        self.run_to_the_end(package, base / "Neu" / "Ordner" / "Ziel", f"record={winpath(record)}")
        shutil.rmtree(base)
        calls = record.read_text().split()
        self.assertIn(RENAME_CALL, calls)
        return calls

    def kill_at(self, package, target, calls: list, n: int, hold: Path) -> int:
        """Starts a run, kills it when it is held just before its call n, and returns its process id."""
        name = calls[n - 1]
        hold.mkdir()
        # As before the recorded run: the run looks through the package, and the call numbers must agree.
        package.result_file.unlink(missing_ok=True)
        process = self.start(package, target, f"pause={name}:{calls[:n].count(name)}:{winpath(hold)}")
        deadline = time.monotonic() + 600
        while not (hold / "paused").exists():
            if process.poll() is not None or time.monotonic() > deadline:
                process.kill()
                self.fail(f"the run ended before its call {n} ({name}): {self.log.read_bytes()[-2000:]!r}")
            time.sleep(0.02)
        process.kill()
        process.wait(timeout=60)
        self.end_wine()  # no Wine process of the killed run may linger and hold files
        return process.pid

    def left_after_kill(self, package, package_before, base, target, pid) -> str:
        """Checks what the killed run left, and says what it was."""
        package.result_file.unlink(missing_ok=True)
        self.assertEqual(snapshot_changes(package_before, snapshot(package.root)), [], "changed in the package")
        # The parent folders that the run created, each holding only the next one.
        folder = base
        for name in target.parent.relative_to(base).parts:
            self.assertIn(os.listdir(folder), ([], [name]), folder)
            folder = folder / name
            if not folder.exists():
                return "nothing"
        # Beside the target only folders of this run's staging names (under Wine the process id is Wine's own).
        staging = re.compile(re.escape(target.name + ".vorbereitung-") + (r"\d+" if WINDOWS else str(pid)) +
                             r"(-\d+)?")
        beside = sorted(os.listdir(target.parent))
        self.assertEqual([name for name in beside if name != target.name and not staging.fullmatch(name)], [])
        for name in beside:
            self.assertTrue((target.parent / name).is_dir(), name)
        if target.name in beside:
            self.assert_installation(package, target)
            return "complete target"
        return "staging folder" if beside else "nothing"

    def test_a_kill_at_any_moment_leaves_only_what_a_failure_may_leave(self):
        plan = PLANS[WINDOWS]
        package = make_package(self.tmp, extra_software=more_software(plan["files"], plan["size"]))
        package_before = snapshot(package.root)
        calls = self.recorded_calls(package)
        # Calls spread evenly over the run, and the first call after the final rename (the result file).
        moments = sorted({max(1, round(len(calls) * (i + 0.5) / plan["moments"])) for i in range(plan["moments"])}
                         | {final_rename(calls) + 2})

        outcomes = []
        for i, n in enumerate(moments):
            base = self.tmp / f"Lauf {i:02d}"
            base.mkdir()
            target = base / "Neu" / "Ordner" / "Ziel"
            pid = self.kill_at(package, target, calls, n, self.tmp / f"halt-{i:02d}")
            outcome = "broken"
            with self.subTest("after the kill", call=f"{n} of {len(calls)} ({calls[n - 1]})"):
                outcome = self.left_after_kill(package, package_before, base, target, pid)
            outcomes.append(outcome)
            with self.subTest("a run after the kill", call=f"{n} of {len(calls)} ({calls[n - 1]})"):
                self.run_to_the_end(package, target)
            shutil.rmtree(base)

        counts = collections.Counter(outcomes)
        print(f"{len(outcomes)} kills over whole runs of {len(calls)} calls:"
              f" {counts['staging folder']} left a staging folder,"
              f" {counts['complete target']} a complete target, {counts['nothing']} nothing"
              + (f", {counts['broken']} broke the rules" if counts["broken"] else "")
              + "; in order: " + "".join(OUTCOMES[outcome] for outcome in outcomes))
        # The kills met every stage: before anything was written, while the staging folder was filled, and after
        # the target was published.
        self.assertEqual(counts["broken"], 0)
        for stage in ("nothing", "staging folder", "complete target"):
            self.assertGreater(counts[stage], 0, f"no kill left {stage}")
        package.result_file.unlink(missing_ok=True)
        self.assertEqual(snapshot_changes(package_before, snapshot(package.root)), [],
                         "changed in the package by the runs after the kills")


if __name__ == "__main__":
    main()

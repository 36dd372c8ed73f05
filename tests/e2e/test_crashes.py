"""The setup killed (SIGKILL) at moments spread evenly over a whole --prepare-only run, from the first checks to
the final rename. Whatever the moment: the package stays byte for byte as it was, the target is either absent or
complete, nothing but the staging folder and the target's new parent folders is left beside it, and a later run
without a kill ends with a complete installation."""

import collections
import os
import re
import shutil
import statistics
import subprocess
import time
from pathlib import Path

from tavo_e2e import (BUILD_DIR, OK_REPORT, WINDOWS, WINE_RUN, InstallationTest, main, make_package, setup_command,
                      snapshot, snapshot_changes, winpath)

# More original software than usual, so that one run lasts long enough to be hit at many moments (one to two
# seconds; creating the files takes most of it), and how many moments. Under Wine every file costs more and every
# start costs seconds: fewer files for a run of about three seconds, and fewer moments.
PLANS = {False: {"files": 1500, "size": 4096, "moments": 50},
         True: {"files": 600, "size": 4096, "moments": 8}}

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

    def start(self, package, target) -> subprocess.Popen:
        """Starts a run; its start time is process.started."""
        self.end_wine()  # every run starts alike, as the first in a prefix without a server
        # Output into a file, not a pipe: a Wine server that the run starts keeps the pipe open after the run.
        with open(self.log, "wb") as log:
            started = time.monotonic()
            process = subprocess.Popen(setup_command(package, "--prepare-only", "--target", winpath(target)),
                                       env=self.env, stdout=log, stderr=subprocess.STDOUT)
        process.started = started
        return process

    def run_to_the_end(self, package, target) -> float:
        """Runs the setup undisturbed, checks the installation, and returns the run's length in seconds."""
        process = self.start(package, target)
        returncode = process.wait(timeout=600)
        length = time.monotonic() - process.started
        self.assertEqual(returncode, 0, (self.log.read_bytes(), package.result()))
        self.assertEqual(package.result(), OK_REPORT)
        self.assert_installation(package, target)
        return length

    def undisturbed_lengths(self, package) -> list:
        """Seconds from start to end of three whole runs."""
        lengths = []
        for attempt in range(3):
            target = self.tmp / "ungestoert" / "Ziel"
            lengths.append(self.run_to_the_end(package, target))
            shutil.rmtree(target.parent)
        return lengths

    def kill_at(self, package, target, moment: float) -> int:
        """Starts a run, kills it moment seconds after its start, and returns its process id."""
        process = self.start(package, target)
        time.sleep(max(0.0, process.started + moment - time.monotonic()))
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
        # The moments are even fractions of a whole run's length. Other work on the machine changes that length
        # over the test, so it is the middle of the last five whole runs: the measured ones, then every run after a
        # kill that had to build the target anew.
        lengths = self.undisturbed_lengths(package)

        outcomes = []
        for i in range(plan["moments"]):
            moment = statistics.median(lengths[-5:]) * (i + 0.5) / plan["moments"]
            base = self.tmp / f"Lauf {i:02d}"
            base.mkdir()
            target = base / "Neu" / "Ordner" / "Ziel"
            pid = self.kill_at(package, target, moment)
            outcome = "broken"
            with self.subTest("after the kill", moment=f"{moment:.3f} s", run=i + 1):
                outcome = self.left_after_kill(package, package_before, base, target, pid)
            outcomes.append(outcome)
            with self.subTest("a run after the kill", moment=f"{moment:.3f} s", run=i + 1):
                length = self.run_to_the_end(package, target)
                if outcome in ("nothing", "staging folder"):  # the run built the target anew
                    lengths.append(length)
            shutil.rmtree(base)

        counts = collections.Counter(outcomes)
        print(f"{len(outcomes)} kills over whole runs of {min(lengths):.2f} to {max(lengths):.2f} s:"
              f" {counts['staging folder']} left a staging folder,"
              f" {counts['complete target']} a complete target, {counts['nothing']} nothing"
              + (f", {counts['broken']} broke the rules" if counts["broken"] else "")
              + "; in order: " + "".join(OUTCOMES[outcome] for outcome in outcomes))
        package.result_file.unlink(missing_ok=True)
        self.assertEqual(snapshot_changes(package_before, snapshot(package.root)), [],
                         "changed in the package by the runs after the kills")


if __name__ == "__main__":
    main()

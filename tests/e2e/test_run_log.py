"""The log of every run: where it goes, what a support desk reads from it, and that it changes nothing else of the
run (result file, exit status, the terminal's silence on Windows)."""

import os
import re
import subprocess
import sys

from setup_package import sha256
from tavo_e2e import (EOL, OK_REPORT, WINDOWS, InstallationTest, main, make_package, run_setup, setup_command,
                      no_plain_files, wine_documents, winpath)

RENAME_CALL = "MoveFileExW" if WINDOWS else "renameat2"
LINE = re.compile(r"^ *\d+\.\d{3} (.*)$")


def read_log(path) -> list:
    """The log's events without their times; every line must carry its time since the start."""
    data = path.read_bytes()
    if WINDOWS:
        assert b"\n" not in data.replace(b"\r\n", b""), "a line end other than CR LF"
    lines = data.decode("utf-8").splitlines()
    events = []
    for line in lines:
        match = LINE.match(line)
        assert match, f"a line without its time: {line!r}"
        events.append(match.group(1))
    return events


def temporary_folder(logs):
    """Where a run's log goes by default: natively the TMPDIR of the tests' environment, under Wine the prefix
    user's %TEMP%."""
    if not WINDOWS:
        return logs
    user = wine_documents().parent
    return next((f for f in (user / "Temp", user / "AppData" / "Local" / "Temp") if f.is_dir()), user / "Temp")


class RunLog(InstallationTest):
    def log_path(self, name="lauf.log"):
        return self.tmp / name

    def test_a_successful_run_logs_its_steps_and_every_listed_file(self):
        package = make_package(self.tmp)
        target = self.tmp / "Ziel"
        log = self.log_path()
        run = self.install(package, target, "--log", winpath(log))
        self.assert_ok(run, package)
        self.assert_installation(package, target)
        self.assertEqual(run.stderr, b"")
        events = read_log(log)
        text = "\n".join(events)
        self.assertTrue(events[0].startswith("TAVO-Setup 1.0.0 ("), events[0])
        self.assertIn("--prepare-only", events[1])
        # Each folder as the run uses it (on Windows also in the long-path form handed to the system).
        self.assertTrue(any(e.startswith(f'Target: "{winpath(target)}"') for e in events), events[:8])
        self.assertTrue(any(e.startswith(f'Program folder: "{winpath(package.root)}"') for e in events), events[:8])
        # Every listed file with its verdict, in the manifests' order.
        software = [e for e in events if e.startswith("Software manifest line ")]
        self.assertEqual(len(software), len(package.software))
        self.assertTrue(all(e.endswith(": OK") for e in software))
        self.assertIn('Software manifest line 1 "App/Bin/Tavo.exe": OK', events)
        self.assertEqual(len([e for e in events if e.startswith("Payload manifest line ")]), 7)
        for step in ("Checking the package", "Copying into the staging folder", "Flushing the staging folder to disk",
                     "Renaming the staging folder to the target", "Installation"):
            self.assertIn(f"{step}: started", events)
            self.assertTrue(any(re.fullmatch(re.escape(step) + r": done \(\d+\.\d{3} s\)", e) for e in events), step)
        self.assertRegex(text, r'Staging folder: "Ziel\.vorbereitung-\d+" beside the target')
        self.assertIn("Rename attempt 1: done", events)
        self.assertTrue(any(e.startswith("Flush: ") for e in events))
        self.assertEqual(events[-2:], ["Result: OK", "Exit status 0 (prepared)"])

    def test_without_a_place_named_the_log_goes_into_the_temporary_folder(self):
        package = make_package(self.tmp)
        folder = temporary_folder(self.logs)
        before = set(folder.glob("TAVO-Setup *.log")) if folder.exists() else set()
        run = self.install(package, self.tmp / "Ziel")
        self.assert_ok(run, package)
        logs = sorted(set(folder.glob("TAVO-Setup *.log")) - before)
        self.assertEqual(len(logs), 1, logs)
        self.assertRegex(logs[0].name, r"^TAVO-Setup \d{4}-\d\d-\d\d \d\d-\d\d-\d\d \d+\.log$")
        self.assertEqual(read_log(logs[0])[-1], "Exit status 0 (prepared)")
        logs[0].unlink()

    def test_a_checksum_failure_names_the_file_and_both_digests(self):
        package = make_package(self.tmp)
        damaged = package.source / "App" / "Bin" / "Tavo.exe"
        listed = sha256(damaged.read_bytes())
        damaged.write_bytes(b"MZ damaged")
        log = self.log_path()
        run = self.install(package, self.tmp / "Ziel", "--log", winpath(log))
        self.assertEqual(run.returncode, 1)
        # The result file stays as it was specified: the message alone.
        self.assertEqual(package.result(), b"ERROR" + EOL + b"Bundled software checksum mismatch" + EOL)
        events = read_log(log)
        self.assertIn(f'Software manifest line 1 "App/Bin/Tavo.exe": Bundled software checksum mismatch: '
                      f'listed {listed}, computed {sha256(b"MZ damaged")}', events)
        self.assertIn("Failed: Bundled software checksum mismatch: listed "
                      f"{listed}, computed {sha256(b'MZ damaged')}", events)
        self.assertEqual(events[-1], "Exit status 1 (failed)")
        # Natively the message is said on the terminal too; the Windows program has no console.
        self.assertEqual(run.stderr, b"" if WINDOWS else b"Bundled software checksum mismatch\n")

    def test_a_link_in_the_original_software_is_named_by_its_path(self):
        package = make_package(self.tmp)
        os.symlink(self.tmp, package.source / "Tavo" / "Samples" / "verweis", target_is_directory=True)
        log = self.log_path()
        run = self.install(package, self.tmp / "Ziel", "--log", winpath(log))
        self.assertEqual(run.returncode, 1)
        self.assertEqual(package.result(), b"ERROR" + EOL + b"Linked source files are unsupported" + EOL)
        found = [e for e in read_log(log) if e.startswith("Link check: first link")]
        self.assertEqual(len(found), 1, found)
        self.assertIn("Samples" + ("\\" if WINDOWS else "/") + "verweis", found[0])

    def test_a_refused_command_line_is_logged_with_what_was_refused(self):
        package = make_package(self.tmp)
        before = package.result()
        for args, reason in ((["--bogus"], 'unknown argument "--bogus"'),
                             (["--prepare-only", "--target"], '"--target" without a value')):
            with self.subTest(args=args):
                log = self.log_path("abgelehnt.log")
                run = run_setup(package, "--log", winpath(log), *args, env=self.env)
                self.assertEqual(run.returncode, 2)
                self.assertEqual(package.result(), before)  # no result file
                events = read_log(log)
                self.assertIn(f"Command line refused: {reason}", events)
                self.assertTrue(any(e.startswith("Usage: ") for e in events))
                if WINDOWS:
                    self.assertEqual(run.stderr, b"")
                else:
                    self.assertIn(f"command line refused: {reason}".encode(), run.stderr)
                    self.assertIn(b"Usage: tavo-setup [--prepare-only]", run.stderr)
        run = run_setup(package, "--log", env=self.env)
        self.assertEqual(run.returncode, 2)

    def test_the_final_rename_logs_every_attempt_with_its_code(self):
        # The door fails the final rename once: with a code that passes by itself the run retries and completes,
        # with any other it fails at once. Which call that is, a clean run's record says.
        package = make_package(self.tmp)
        package.result_file.write_bytes(b"")  # as after the clean run: the package's listings see the same
        target = self.tmp / "Ziel"
        log = self.log_path()
        record = self.tmp / "aufrufe.txt"
        clean = subprocess.run(setup_command(package, "--prepare-only", "--target", winpath(target), "--log",
                                             winpath(log)),
                               env=dict(self.env, TAVO_DOOR=f"record={winpath(record)}"), capture_output=True,
                               timeout=600)
        self.assertEqual(clean.returncode, 0, clean.stderr)
        calls = record.read_text().split()
        final_rename = len(calls) - calls[::-1].index(RENAME_CALL)
        transient, lasting = (32, 19) if WINDOWS else (16, 5)  # sharing violation / busy; write protect / I/O
        for code, status in ((transient, 0), (lasting, 1)):
            with self.subTest(code=code):
                os.rename(target, self.tmp / f"vorher-{code}")
                run = subprocess.run(setup_command(package, "--prepare-only", "--target", winpath(target), "--log",
                                                   winpath(log)),
                                     env=dict(self.env, TAVO_DOOR=f"fail={final_rename}:{code}"),
                                     capture_output=True, timeout=600)
                self.assertEqual(run.returncode, status, run.stderr)
                events = read_log(log)
                attempts = [e for e in events if e.startswith("Rename attempt ")]
                self.assertRegex(attempts[0], rf"^Rename attempt 1: failed, system code {code} \(.+\)$")
                if status == 0:
                    self.assertEqual(attempts[1:], ["Rename attempt 2: done"])
                    self.assertEqual(package.result(), OK_REPORT)
                else:
                    self.assertEqual(len(attempts), 1, attempts)
                    self.assertTrue(package.result().startswith(b"ERROR" + EOL + b"Cannot finalize installation"))
                    failed = [e for e in events if e.startswith("Failed operation: Cannot finalize installation")]
                    self.assertEqual(len(failed), 1, events)
                    self.assertIn(f"system code {code} (", failed[0])
                    for leftover in self.staging_leftovers(target):
                        os.rename(self.tmp / leftover, target)

    def test_a_log_place_that_is_a_link_is_not_followed_and_the_run_goes_on(self):
        outside = self.tmp / "draussen.txt"
        outside.write_bytes(b"the user's own")
        for i, (kind, make) in enumerate(no_plain_files(self.tmp, outside).items()):
            with self.subTest(kind):
                outside.write_bytes(b"the user's own")
                package = make_package(self.tmp / str(i))
                log = self.tmp / str(i) / "lauf.log"
                make(log)
                run = self.install(package, self.tmp / str(i) / "Ziel", "--log", winpath(log))
                self.assert_ok(run, package)
                self.assert_installation(package, self.tmp / str(i) / "Ziel")
                self.assertEqual(outside.read_bytes(), b"the user's own")
                self.assertFalse((self.tmp / "neu.txt").exists())

    def test_a_log_place_inside_the_package_or_the_target_is_refused(self):
        package = make_package(self.tmp)
        target = self.tmp / "Ziel"
        self.assert_ok(self.install(package, target), package)
        before = sorted(p.name for p in package.root.iterdir())
        for place in (package.root / "lauf.log", package.source / "lauf.log", target / "lauf.log"):
            with self.subTest(place=place):
                run = self.install(package, target, "--log", winpath(place))
                self.assert_ok(run, package)  # the target is this installation already
                self.assertFalse(place.exists())
        self.assertEqual(sorted(p.name for p in package.root.iterdir()), before)


if __name__ == "__main__":
    main()

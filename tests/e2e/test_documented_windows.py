"""Whole runs of TAVO-Setup.exe under Wine with the door's "Windows as documented" rules on (TAVO_DOCUMENTED),
for what a user's Windows does and Wine does not show."""

import os
import subprocess
import sys
import time

from tavo_e2e import EOL, SKIPPED, WINDOWS, InstallationTest, main, make_package, run_package_tool, setup_command, winpath

# Reparse tags: links (name surrogates, unknown tags) and the data tags of files stored elsewhere or differently.
LINK_TAGS = {"symlink": 0xA000000C, "mount point": 0xA0000003, "unknown": 0x00000099}
DATA_TAGS = {"cloud": 0x9000001A, "cloud 3": 0x9000301A, "dedup": 0x80000013, "wof": 0x80000017}


class DocumentedWindows(InstallationTest):
    def run_with_rules(self, package, target, rules: str):
        env = dict(self.env, TAVO_DOCUMENTED=rules)
        return subprocess.run(setup_command(package, "--prepare-only", "--target", winpath(target)), env=env,
                              capture_output=True, timeout=600)

    def test_scanner_holding_the_staging_folder_delays_the_rename_but_the_run_completes(self):
        for code in (5, 32):  # ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION
            with self.subTest(code=code):
                package = make_package(self.tmp, f"Paket-{code}")
                target = self.tmp / f"Ziel-{code}"
                started = time.monotonic()
                run = self.run_with_rules(package, target, f"rename_hold={code}:1500")
                self.assert_ok(run, package)
                self.assert_installation(package, target)
                # Held for 1.5 s, retried every 250 ms: the run cannot have finished sooner.
                self.assertGreaterEqual(time.monotonic() - started, 1.5)
                self.assertEqual(self.staging_leftovers(target), [])

    def test_a_scanner_holding_the_files_for_twenty_seconds_is_waited_for(self):
        package = make_package(self.tmp)
        target = self.tmp / "Ziel"
        started = time.monotonic()
        run = self.run_with_rules(package, target, "rename_hold=32:20000:OneDrive.exe")
        elapsed = time.monotonic() - started
        self.assert_ok(run, package)
        self.assert_installation(package, target)
        self.assertGreaterEqual(elapsed, 20)  # the rename passed only once the hold was over
        self.assertEqual(self.staging_leftovers(target), [])

    def test_a_scanner_holding_the_files_past_sixty_seconds_fails_the_run_and_the_staging_folder_stays(self):
        package = make_package(self.tmp)
        target = self.tmp / "Ziel"
        started = time.monotonic()
        run = self.run_with_rules(package, target, "rename_hold=5:70000:MsMpEng.exe")
        elapsed = time.monotonic() - started
        self.assertEqual(run.returncode, 1, (run.stdout, run.stderr, package.result()))
        self.assertTrue(package.result().startswith(b"ERROR" + EOL + b"Cannot finalize installation: "),
                        package.result())
        self.assertGreaterEqual(elapsed, 60)  # the run gave up only at the end of the wait
        self.assertFalse(target.exists())
        # The complete staging folder stays beside the target: it is the installation that could not be published.
        leftovers = self.staging_leftovers(target)
        self.assertEqual(len(leftovers), 1, leftovers)
        os.rename(target.parent / leftovers[0], target)
        self.assert_installation(package, target)

    def test_package_check_refuses_linked_reparse_points_and_accepts_data_tags(self):
        # The tree "Tavo" itself, a folder and a file below it.
        places = [("Tavo", "Linked source folders are unsupported"), ("OS", "Linked source files are unsupported"),
                  ("Liesmich.txt", "Linked source files are unsupported")]
        package = make_package(self.tmp)
        for tag_name, tag in {**LINK_TAGS, **DATA_TAGS}.items():
            for name, message in places:
                with self.subTest(tag=tag_name, entry=name):
                    env = dict(self.env, TAVO_DOCUMENTED=f"reparse={name}:{tag:#010x}")
                    run = run_package_tool("check", winpath(package.root), env=env)
                    found = run.stdout.decode("utf-8", "replace").splitlines()
                    if tag_name in LINK_TAGS:
                        self.assertEqual(run.returncode, 1, (found, run.stderr))
                        self.assertIn(f"Originalsoftware/Tavo: {message}", found)
                    else:
                        self.assertEqual(run.returncode, 0, (found, run.stderr))
                        self.assertEqual(found, [f"the setup accepts the package {winpath(package.root)}"])


if __name__ == "__main__":
    if not WINDOWS:
        print("skipped: the rules play Windows, for the Windows build")
        sys.exit(SKIPPED)
    main()

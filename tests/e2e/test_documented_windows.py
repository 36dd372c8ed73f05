"""Whole runs of TAVO-Setup.exe under Wine with the door's "Windows as documented" rules on (TAVO_DOCUMENTED),
for what a user's Windows does and Wine does not show."""

import subprocess
import sys
import time

from tavo_e2e import SKIPPED, WINDOWS, InstallationTest, main, make_package, setup_command, winpath


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


if __name__ == "__main__":
    if not WINDOWS:
        print("skipped: the rules play Windows, for the Windows build")
        sys.exit(SKIPPED)
    main()

"""The real program's command line: refusals, the result file and its line ends."""

import os

from tavo_e2e import (EOL, OK_REPORT, WINDOWS, TempFolderTest, main, make_package, no_plain_files, run_setup, snapshot,
                      winpath)


class CommandLine(TempFolderTest):
    def test_refused_command_lines_end_with_status_2_and_leave_everything_alone(self):
        package = make_package(self.tmp)
        before = snapshot(package.root)
        for args in (["--target"], ["--source"], ["--Prepare-Only"], ["--bogus"], ["--prepare-only", "extra"],
                     ["--target=" + winpath(self.tmp / "x")], ["-t", winpath(self.tmp / "x")]):
            with self.subTest(args=args):
                run = run_setup(package, *args, env=self.env)
                self.assertEqual(run.returncode, 2, run.stderr)
                # Natively a terminal learns why, and how to call the program; the Windows program stays silent.
                if WINDOWS:
                    self.assertEqual(run.stderr, b"")
                else:
                    self.assertRegex(run.stderr, rb"^tavo-setup: command line refused: .+\nUsage: tavo-setup .+\n$")
                self.assertEqual(snapshot(package.root), before)

    def test_missing_original_software_is_reported_in_the_result_file(self):
        package = make_package(self.tmp)
        (package.source / "App" / "Bin" / "Tavo.exe").unlink()
        run = run_setup(package, "--prepare-only", "--target", winpath(self.tmp / "Ziel"), env=self.env)
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertEqual(package.result(), b"ERROR" + EOL + b"Bundled original software missing" + EOL)
        self.assertFalse((self.tmp / "Ziel").exists())

    def test_a_refused_run_keeps_an_earlier_result_file(self):
        package = make_package(self.tmp)
        package.result_file.write_bytes(b"earlier")
        self.assertEqual(run_setup(package, "--nope", env=self.env).returncode, 2)
        self.assertEqual(package.result(), b"earlier")

    def test_result_file_is_written_only_as_a_plain_file_of_its_own(self):
        # Whatever else stands at its name is left alone, and the run ends as it would have.
        outside = self.tmp / "draussen.txt"
        outside.write_bytes(b"the user's own")
        for i, (kind, make) in enumerate(no_plain_files(self.tmp, outside).items()):
            with self.subTest(kind):
                outside.write_bytes(b"the user's own")
                package = make_package(self.tmp / str(i))
                make(package.result_file)
                run = run_setup(package, "--prepare-only", "--target", winpath(self.tmp / str(i) / "Ziel"),
                                env=self.env, timeout=120)
                self.assertEqual(run.returncode, 0, run.stderr)
                self.assertEqual(outside.read_bytes(), b"the user's own")
                self.assertFalse((self.tmp / "neu.txt").exists())
                os.unlink(package.result_file)

        package = make_package(self.tmp / "plain")
        package.result_file.write_bytes(b"an earlier, longer result of another run")
        run = run_setup(package, "--prepare-only", "--target", winpath(self.tmp / "plain" / "Ziel"), env=self.env)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(package.result(), OK_REPORT)


if __name__ == "__main__":
    main()

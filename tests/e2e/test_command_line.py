"""The real program's command line: refusals, the result file and its line ends."""

from tavo_e2e import EOL, TempFolderTest, main, make_package, run_setup, snapshot, winpath


class CommandLine(TempFolderTest):
    def test_refused_command_lines_end_with_status_2_and_leave_everything_alone(self):
        package = make_package(self.tmp)
        before = snapshot(package.root)
        for args in (["--target"], ["--source"], ["--Prepare-Only"], ["--bogus"], ["--prepare-only", "extra"],
                     ["--target=" + winpath(self.tmp / "x")], ["-t", winpath(self.tmp / "x")]):
            with self.subTest(args=args):
                run = run_setup(package, *args, env=self.env)
                self.assertEqual(run.returncode, 2, run.stderr)
                self.assertEqual(run.stderr, b"")
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


if __name__ == "__main__":
    main()

"""Whole --prepare-only runs of the real program on a complete package: the finished layout, the settings, the
marker, and every refusal leaving the disk as it was."""

import os
import shutil
import stat
import subprocess
from pathlib import Path

from tavo_e2e import (EOL, MARKER, OK_REPORT, PATCHED_DLL, WINDOWS, WINE_RUN, InstallationTest,
                      give_to_unprivileged_user, main, make_package, run_setup, snapshot, software_files,
                      wine_documents, winpath, write_manifest)


class Installation(InstallationTest):
    def assert_refused(self, run, package, message: bytes):
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertEqual(package.result(), b"ERROR" + EOL + message + EOL)

    def test_installs_completely_and_a_second_run_changes_nothing(self):
        package = make_package(self.tmp)
        target = self.tmp / "Benutzer" / "Jürgen Weiß" / "Dokumente" / "Tessaroll TAVO-x64"
        before = snapshot(package.root)

        self.assert_ok(self.install(package, target), package)
        self.assert_installation(package, target)
        self.assertEqual(self.staging_leftovers(target), [])
        package.result_file.unlink()
        self.assertEqual(snapshot(package.root), before)

        installed = snapshot(target)
        self.assert_ok(self.install(package, target), package)
        self.assertEqual(snapshot(target), installed)
        package.result_file.unlink()
        self.assertEqual(snapshot(package.root), before)

    def test_read_only_package_installs_writable_files_and_stays_as_it_was(self):
        # As from a CD or some archives: every file of the package read-only, run by an ordinary user.
        package = make_package(self.tmp)
        target = self.tmp / "Ziel"
        give_to_unprivileged_user(self.tmp)
        for dirpath, dirnames, filenames in os.walk(package.root):
            for name in filenames:
                if name != package.exe.name:
                    os.chmod(Path(dirpath) / name, 0o444)
        for folder in (package.source, package.payload):
            for dirpath, dirnames, _ in os.walk(folder):
                os.chmod(dirpath, 0o555)
        before = snapshot(package.root)

        run = run_setup(package, "--prepare-only", "--target", winpath(target), env=self.env, unprivileged=True)
        self.assert_ok(run, package)
        self.assert_installation(package, target)
        not_writable = [str(path.relative_to(target)) for path in target.rglob("*")
                        if path.is_file() and not path.stat().st_mode & stat.S_IWUSR]
        self.assertEqual(not_writable, [])
        package.result_file.unlink()
        self.assertEqual(snapshot(package.root), before)

    def test_leftover_staging_folder_with_the_same_process_id_does_not_block_the_target(self):
        # A crashed run leaves its staging folder; in a fresh PID namespace every run has process id 1.
        if WINDOWS:
            self.skipTest("process ids under Wine cannot be pinned")
        if subprocess.run(["unshare", "--pid", "--fork", "true"], capture_output=True).returncode != 0:
            self.skipTest("no PID namespace can be made here (needs root)")
        package = make_package(self.tmp)
        target = self.tmp / "Ziel"
        leftover = self.tmp / "Ziel.vorbereitung-1"
        (leftover / "App").mkdir(parents=True)
        (leftover / "App" / "halb.txt").write_bytes(b"from the crashed run")
        command = ["unshare", "--pid", "--fork", str(package.exe), "--prepare-only", "--target", str(target)]
        run = subprocess.run(command, env=self.env, capture_output=True, timeout=600)
        self.assert_ok(run, package)
        self.assert_installation(package, target)
        self.assertEqual(self.staging_leftovers(target), ["Ziel.vorbereitung-1"])
        self.assertEqual((leftover / "App" / "halb.txt").read_bytes(), b"from the crashed run")

    def test_source_without_presets_gets_an_empty_presets_folder(self):
        package = make_package(self.tmp, presets=False)
        target = self.tmp / "Ziel"
        self.assert_ok(self.install(package, target), package)
        self.assert_installation(package, target)
        self.assertEqual(list((target / "Presets").iterdir()), [])

    def test_foreign_or_damaged_targets_are_refused_untouched(self):
        package = make_package(self.tmp)
        cases = {
            "no marker": ({"Eigenes/brief.txt": b"mine"}, b"Destination exists and will not be overwritten"),
            "empty marker": ({"TAVO-x64-installation.txt": b""}, b"Destination exists and will not be overwritten"),
            "marker with trailing blank": ({"TAVO-x64-installation.txt": b"TAVO-WIN10-X64-1.0.0 \n"},
                                           b"Destination exists and will not be overwritten"),
            "lower-case marker": ({"TAVO-x64-installation.txt": b"tavo-win10-x64-1.0.0\n"},
                                  b"Destination exists and will not be overwritten"),
            "original driver DLL": ({"TAVO-x64-installation.txt": MARKER,
                                     "App/Bin/TavoDrv.dll": (package.source / "App/Bin/TavoDrv.dll").read_bytes(),
                                     "App/Bin/tusbshim.dll": (package.payload / "tusbshim.dll").read_bytes()},
                                    b"Destination exists and will not be overwritten"),
            "no driver DLL": ({"TAVO-x64-installation.txt": MARKER}, b"Cannot read input file"),
        }
        package_before = snapshot(package.root)
        for name, (content, message) in cases.items():
            with self.subTest(name):
                target = self.tmp / "Ziele" / name
                for rel, data in content.items():
                    (target / rel).parent.mkdir(parents=True, exist_ok=True)
                    (target / rel).write_bytes(data)
                before = snapshot(target.parent)
                self.assert_refused(self.install(package, target), package, message)
                self.assertEqual(snapshot(target.parent), before)
                package.result_file.unlink()
                self.assertEqual(snapshot(package.root), package_before)

        file_target = self.tmp / "Ziele" / "eine Datei"
        file_target.write_bytes(b"not a folder")
        self.assert_refused(self.install(package, file_target), package,
                            b"Destination exists and will not be overwritten")
        self.assertEqual(file_target.read_bytes(), b"not a folder")

        if not WINDOWS:  # Windows file systems hold no FIFOs
            fifo_target = self.tmp / "Ziele" / "FIFO als Marker"
            fifo_target.mkdir()
            os.mkfifo(fifo_target / "TAVO-x64-installation.txt")
            self.assert_refused(self.install(package, fifo_target), package,
                                b"Destination exists and will not be overwritten")
            self.assertEqual(os.listdir(fifo_target), ["TAVO-x64-installation.txt"])

    def test_a_failure_while_filling_leaves_only_the_staging_folder(self):
        package = make_package(self.tmp)
        # Seven valid lines, but one payload file is named twice and the remover is missing.
        (package.payload / "TAVO-Treiber-entfernen.exe").unlink()
        write_manifest(package.payload, ["TavoDrv.dll", "tusbshim.dll", "tset-template.ini", "device_binding.exe",
                                         "TAVO-starten.exe", "TAVO-Treiber-installieren.exe", "tusbshim.dll"])
        target = self.tmp / "neu" / "Ziel"
        run = self.install(package, target)
        self.assertEqual(run.returncode, 1, run.stderr)
        report = package.result().split(EOL)
        self.assertEqual(report[0], b"ERROR")
        self.assertTrue(report[1].startswith(b"copy_file: "), report[1])
        self.assertIn(b"TAVO-Treiber-entfernen.exe", report[1])
        self.assertFalse(target.exists())
        leftovers = self.staging_leftovers(target)
        self.assertEqual(len(leftovers), 1)
        self.assertTrue((target.parent / leftovers[0] / "TAVO-Treiber-installieren.exe").exists())
        self.assertFalse((target.parent / leftovers[0] / "TAVO-x64-installation.txt").exists())

    def test_links_in_the_source_trees_are_refused(self):
        cases = [("App", "App", "Linked source folders are unsupported"),
                 ("Tavo/OS", "Tavo/OS/Module", "Linked source files are unsupported"),
                 ("Presets/Werk", "Presets/Werk", "Linked source files are unsupported")]
        for i, (link_in, points_at, message) in enumerate(cases):
            with self.subTest(link_in):
                package = make_package(self.tmp / str(i))
                real = self.tmp / str(i) / "woanders"
                shutil.move(str(package.source / points_at), real)
                os.symlink(real, package.source / points_at, target_is_directory=True)
                before = snapshot(package.root)
                target = self.tmp / str(i) / "Ziel"
                self.assert_refused(self.install(package, target), package, message.encode())
                self.assertFalse(target.exists())
                package.result_file.unlink()
                self.assertEqual(snapshot(package.root), before)

    def test_linked_file_in_the_source_is_refused(self):
        if WINDOWS:
            self.skipTest("Wine reports a Linux symbolic link to a file as a plain file")
        package = make_package(self.tmp)
        os.symlink(package.source / "Tavo/Liesmich.txt", package.source / "Tavo/OS/verweis.txt")
        self.assert_refused(self.install(package, self.tmp / "Ziel"), package, b"Linked source files are unsupported")

    def install_with_long_paths(self, package, target, deep):
        # Without the LongPathsEnabled policy Windows refuses plain paths of MAX_PATH characters and more; the
        # door's "max_path" rule does the same under Wine. Either way the run must install.
        for rules in ("", "max_path"):
            with self.subTest(rules=rules):
                env = dict(self.env, TAVO_DOCUMENTED=rules) if rules else self.env
                run = run_setup(package, "--prepare-only", "--target", winpath(target), env=env)
                self.assert_ok(run, package)
                self.assert_installation(package, target)
                self.assertEqual((target / "Tavo" / deep).read_bytes(), b"deep")
                package.result_file.unlink()
                shutil.rmtree(target)

    def add_deep_file(self, package):
        deep = "/".join(["Unterordner mit einem recht langen Namen"] * 6) + "/datei.bin"
        (package.source / "Tavo" / deep).parent.mkdir(parents=True)
        (package.source / "Tavo" / deep).write_bytes(b"deep")
        package.software["Tavo/" + deep] = b"deep"
        write_manifest(package.source, sorted(package.software))
        return deep

    def test_paths_longer_than_260_characters_install(self):
        package = make_package(self.tmp)
        deep = self.add_deep_file(package)
        target = self.tmp / "Ziel"
        self.assertGreater(len(winpath(target / "Tavo" / deep)), 260)
        self.install_with_long_paths(package, target, deep)

    def test_target_and_package_both_longer_than_260_characters_install(self):
        # The program's own folder, its result file, the marker, the settings file and the staging folder all
        # lie past MAX_PATH.
        long_folder = "/".join(["Ein Ordner mit einem ziemlich langen Namen"] * 6)
        package = make_package(self.tmp / "Pakete" / long_folder)
        deep = self.add_deep_file(package)
        target = self.tmp / "Ziele" / long_folder / "Tessaroll TAVO-x64"
        self.assertGreater(len(winpath(package.result_file)), 260)
        self.assertGreater(len(winpath(target / "App/Bin/tset.ini")), 260)
        self.install_with_long_paths(package, target, deep)

    def test_target_the_ansi_template_cannot_hold_is_refused_before_anything_is_written(self):
        if not WINDOWS:
            self.skipTest("natively a template without a byte-order mark is UTF-8 and holds every character")
        # Wine's ANSI code page is that of the Unix locale, 1252 here: no Polish, no Japanese letters.
        package = make_package(self.tmp)
        parent = self.tmp / "Ziele"
        parent.mkdir()
        before = snapshot(package.root)
        run = self.install(package, parent / "\u0141\u00f3d\u017a \u6771\u4eac \u00c6r\u00f8")
        self.assert_refused(run, package, b"Cannot configure editor")
        self.assertEqual(list(parent.iterdir()), [])
        package.result_file.unlink()
        self.assertEqual(snapshot(package.root), before)

    def test_target_inside_the_original_software_is_refused_before_anything_is_written(self):
        package = make_package(self.tmp)
        before = snapshot(package.root)
        for inside in ("Originalsoftware/App/Ziel", "Originalsoftware/Neu"):
            with self.subTest(inside):
                self.assert_refused(self.install(package, package.root / inside), package,
                                    b"Destination inside bundled original software")
                package.result_file.unlink()
                self.assertEqual(snapshot(package.root), before)

    def test_target_inside_the_original_software_by_another_way_is_refused(self):
        # Links, another drive letter, another spelling: the folders on disk decide, before anything is written.
        package = make_package(self.tmp)
        os.symlink(package.source / "Tavo", self.tmp / "tl", target_is_directory=True)
        os.symlink(package.source, self.tmp / "ol", target_is_directory=True)
        inside = b"Destination inside bundled original software"
        cases = [(winpath(self.tmp / "tl" / "Install"), inside),
                 (winpath(self.tmp / "ol" / "Neu" / "Install"), inside),
                 (winpath(self.tmp / "tl"), b"Destination exists and will not be overwritten")]
        if WINDOWS:
            drive = wine_documents().parents[3] / "dosdevices" / "q:"
            if drive.exists() or drive.is_symlink():
                drive.unlink()
            os.symlink(package.source / "Tavo", drive)
            self.addCleanup(drive.unlink)
            cases += [("Q:\\Install", inside), ("\\\\?\\" + winpath(package.source / "Neu"), inside),
                      (winpath(package.source / "TAVO" / "Install").upper(), inside)]
        before = snapshot(package.root)
        for target, message in cases:
            with self.subTest(target):
                run = run_setup(package, "--prepare-only", "--target", target, env=self.env)
                self.assert_refused(run, package, message)
                package.result_file.unlink()
                self.assertEqual(snapshot(package.root), before)
        self.assertEqual(sorted(p.name for p in self.tmp.iterdir()), ["Paket", "home", "ol", "tl"])

    def test_target_with_a_line_break_is_refused_before_anything_is_written(self):
        if WINDOWS:
            self.skipTest("Windows names hold no line breaks")
        package = make_package(self.tmp)
        before = snapshot(self.tmp)
        self.assert_refused(self.install(package, self.tmp / "neu" / "Ziel\nTavo=x"), package,
                            b"Cannot configure editor")
        package.result_file.unlink()
        self.assertEqual(snapshot(self.tmp), before)

    def test_relative_target_is_taken_against_the_current_directory(self):
        package = make_package(self.tmp)
        work = self.tmp / "Arbeitsordner"
        work.mkdir()
        run = run_setup(package, "--prepare-only", "--target", "Relativ", cwd=work, env=self.env)
        self.assert_ok(run, package)
        self.assertTrue((work / "Relativ" / "TAVO-x64-installation.txt").exists())

    def test_default_target_is_in_the_documents_folder(self):
        package = make_package(self.tmp)
        if WINDOWS:
            documents = wine_documents()
            target = documents / "Tessaroll TAVO-x64"
            if target.exists():
                shutil.rmtree(target)
            self.addCleanup(shutil.rmtree, target, True)
        else:
            documents = self.home / "Dokumente Jürgen"
            (self.home / ".config").mkdir()
            (self.home / ".config" / "user-dirs.dirs").write_text('XDG_DOCUMENTS_DIR="$HOME/Dokumente Jürgen"\n')
            target = documents / "Tessaroll TAVO-x64"
        run = run_setup(package, "--prepare-only", env=self.env)
        self.assert_ok(run, package)
        self.assertEqual((target / "TAVO-x64-installation.txt").read_bytes(), MARKER)

    def test_a_fifo_as_user_dirs_file_does_not_hang_the_run(self):
        if WINDOWS:
            self.skipTest("the Windows build asks the shell for the Documents folder")
        package = make_package(self.tmp)
        (self.home / ".config").mkdir()
        os.mkfifo(self.home / ".config" / "user-dirs.dirs")
        self.assert_ok(run_setup(package, "--prepare-only", env=self.env, timeout=60), package)
        self.assertEqual((self.home / "Documents" / "Tessaroll TAVO-x64" / "TAVO-x64-installation.txt").read_bytes(),
                         MARKER)

    def test_program_at_a_drive_root(self):
        if not WINDOWS:
            self.skipTest("drive roots exist only in the Windows build")
        package = make_package(self.tmp)
        prefix = wine_documents().parents[3]
        drive = prefix / "dosdevices" / "t:"
        if drive.exists() or drive.is_symlink():
            drive.unlink()
        os.symlink(package.root, drive)
        self.addCleanup(drive.unlink)
        run = subprocess.run([WINE_RUN, "T:\\TAVO-Setup.exe", "--prepare-only", "--target", "T:\\Ziel"],
                             capture_output=True, env=self.env, timeout=600)
        self.assertEqual(run.returncode, 0, (run.stderr, package.result()))
        self.assertEqual(package.result(), OK_REPORT)
        self.assertEqual((package.root / "Ziel" / "App/Bin/TavoDrv.dll").read_bytes(), PATCHED_DLL)


if __name__ == "__main__":
    main()

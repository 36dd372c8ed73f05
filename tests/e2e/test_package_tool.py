"""The package tool on real packages: the manifests it writes pass the real setup, its check lists every problem
with the setup's own message and writes nothing, and (in the Linux build) its release archive unpacks to exactly
the tree that was checked."""

import hashlib
import os
import unittest
import zipfile
from pathlib import Path

from tavo_e2e import (WINDOWS, TempFolderTest, main, make_package, run_package_tool, run_setup, sha256,
                      software_files, snapshot, winpath, write)

DEEP = "/".join(f"ein-recht-langer-ordnername-fuer-den-test-{i}" for i in range(7))
SPECIAL = ["Presets/Werk/Grüße/Fläche 01.tvp", "Tavo/日本語/データ.bin", "Tavo/mit Leerzeichen/a  b.txt",
           f"Tavo/{DEEP}/datei.txt"]


def lines(output: bytes) -> list:
    return output.decode("utf-8").splitlines()


def tree(root: Path) -> dict:
    """Every folder and file below root with the digest of its content."""
    entries = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames:
            entries[(Path(dirpath) / name).relative_to(root).as_posix()] = "folder"
        for name in filenames:
            path = Path(dirpath) / name
            entries[path.relative_to(root).as_posix()] = sha256(path.read_bytes())
    return entries


class PackageTool(TempFolderTest):
    def tool(self, *args):
        return run_package_tool(*args, env=self.env)

    def package_with_special_names(self):
        package = make_package(self.tmp)
        for rel in SPECIAL:
            write(package.source / rel, f"besonders: {rel}".encode("utf-8"))
        self.assertEqual(self.tool("manifest", winpath(package.source)).returncode, 0)
        return package

    def test_manifests_written_by_the_tool_pass_the_setup(self):
        package = make_package(self.tmp)
        for rel in SPECIAL:
            write(package.source / rel, f"besonders: {rel}".encode("utf-8"))
        (package.source / "SHA256SUMS.txt").unlink()
        (package.payload / "SHA256SUMS.txt").unlink()

        for args in (["manifest", winpath(package.source)], ["manifest", "--payload", winpath(package.payload)]):
            run = self.tool(*args)
            self.assertEqual(run.returncode, 0, (run.stdout, run.stderr))
        target = self.tmp / "Ziel"
        run = run_setup(package, "--prepare-only", "--target", winpath(target), env=self.env)
        self.assertEqual(run.returncode, 0, package.result())
        for rel in SPECIAL:
            self.assertEqual((target / rel).read_bytes(), f"besonders: {rel}".encode("utf-8"))

    def test_check_accepts_a_complete_package(self):
        package = self.package_with_special_names()
        run = self.tool("check", winpath(package.root))
        self.assertEqual(run.returncode, 0, (run.stdout, run.stderr))
        self.assertEqual(lines(run.stdout), [f"the setup accepts the package {winpath(package.root)}"])

    def test_check_lists_every_problem_and_writes_nothing(self):
        package = make_package(self.tmp)
        listed = next(line.split("  ")[0] for line in
                      (package.source / "SHA256SUMS.txt").read_text(encoding="utf-8").splitlines()
                      if line.endswith("  Tavo/Liesmich.txt"))
        (package.source / "Tavo/Liesmich.txt").write_bytes(b"changed after the manifest was made\n")
        computed = hashlib.sha256(b"changed after the manifest was made\n").hexdigest()
        payload_lines = (package.payload / "SHA256SUMS.txt").read_bytes().splitlines(keepends=True)
        payload_lines[2] = payload_lines[2][:65] + b"*" + payload_lines[2][66:]  # the binary marker form
        (package.payload / "SHA256SUMS.txt").write_bytes(b"".join(payload_lines))
        (package.root / "Anleitung.txt").unlink()
        before = snapshot(package.root)

        run = self.tool("check", winpath(package.root))
        self.assertEqual(run.returncode, 1, run.stderr)
        liesmich_line = sorted(software_files(120, True)).index("Tavo/Liesmich.txt") + 1
        found = lines(run.stdout)
        self.assertEqual(found[:2], [
            "Dateien/SHA256SUMS.txt line 3: Invalid payload manifest: binary-mode marker",
            f"Originalsoftware/Tavo/Liesmich.txt (SHA256SUMS.txt line {liesmich_line}): "
            f"Bundled software checksum mismatch: listed {listed}, computed {computed}"])
        self.assertTrue(found[2].startswith("Anleitung.txt: copy_file: "), found)
        self.assertIn("Anleitung.txt", found[2][len("Anleitung.txt: "):])
        self.assertEqual(found[3:], ["3 problems: the setup refuses this package"])
        self.assertEqual(snapshot(package.root), before)

    def test_check_of_a_folder_that_is_no_package_says_so_once(self):
        for name, files in (("leer", []), ("Projekt", ["notizen.txt", "src/a.c", "App/Bin/x.dll"])):
            with self.subTest(name):
                folder = self.tmp / name
                folder.mkdir()
                for rel in files:
                    write(folder / rel, b"x")
                run = self.tool("check", winpath(folder))
                self.assertEqual(run.returncode, 1, run.stderr)
                self.assertEqual(lines(run.stdout), [
                    f"{winpath(folder)}: Not a setup package: neither Originalsoftware nor Dateien found",
                    "1 problem: the setup refuses this package"])

    def test_a_refused_command_line_says_what_was_refused(self):
        cases = [(["bogus", "pkg"], 'unknown command "bogus"'), (["check"], "check: one folder needed, 0 given"),
                 (["check", "--verbose", "pkg"], 'check: unknown option "--verbose"')]
        if WINDOWS:
            cases.append((["release", "pkg", "out.zip"],
                          "release: archives are made by the Linux build of the package tool (tavo-package)"))
        for args, first_line in cases:
            with self.subTest(args):
                run = self.tool(*args)
                self.assertEqual(run.returncode, 2)
                self.assertEqual(run.stdout, b"")
                said = lines(run.stderr)
                self.assertEqual(said[0], first_line)
                self.assertEqual(said[1], "Usage:")

    def test_check_names_the_problem_of_each_broken_package(self):
        def link_tree(tree):
            def make(package):
                real = package.source / (tree + "-echt")
                (package.source / tree).rename(real)
                os.symlink(real, package.source / tree, target_is_directory=True)
            return make

        def wrong_original_dll(package):
            dll = package.source / "App/Bin/TavoDrv.dll"
            dll.write_bytes(b"MZ another build")
            self.assertEqual(self.tool("manifest", winpath(package.source)).returncode, 0)

        cases = [
            ("linked App", link_tree("App"), "Originalsoftware/App: Linked source folders are unsupported"),
            ("linked Tavo", link_tree("Tavo"), "Originalsoftware/Tavo: Linked source folders are unsupported"),
            ("linked Presets", link_tree("Presets"), "Originalsoftware/Presets: Linked source folders are unsupported"),
            ("wrong original DLL", wrong_original_dll,
             "Originalsoftware/App/Bin/TavoDrv.dll: Unsupported TavoDrv.dll version"),
            ("missing payload file", lambda p: (p.payload / "tusbshim.dll").unlink(),
             "Dateien/tusbshim.dll (SHA256SUMS.txt line 2): Cannot read input file: missing"),
            ("no original software", lambda p: (p.source).rename(p.root / "Original"),
             "Originalsoftware: Bundled original software missing"),
        ]
        for i, (name, breaks, expected) in enumerate(cases):
            with self.subTest(name):
                package = make_package(self.tmp, f"Paket-{i}")
                breaks(package)
                before = snapshot(package.root)
                run = self.tool("check", winpath(package.root))
                self.assertEqual(run.returncode, 1, (run.stdout, run.stderr))
                found = lines(run.stdout)
                self.assertTrue(any(line.startswith(expected) for line in found), found)
                self.assertRegex(found[-1], r"^[12] problems?: the setup refuses this package$")
                if name == "missing payload file":  # once, by its manifest line; not again by the copy's check
                    self.assertEqual(found, [expected, "1 problem: the setup refuses this package"])
                self.assertEqual(snapshot(package.root), before)

    def test_a_refused_manifest_leaves_the_old_one(self):
        package = make_package(self.tmp)
        os.symlink("OS", package.source / "Tavo" / "Verweis", target_is_directory=True)
        old = (package.source / "SHA256SUMS.txt").read_bytes()
        before = snapshot(package.root)

        run = self.tool("manifest", winpath(package.source))
        self.assertEqual(run.returncode, 1, run.stderr)
        self.assertEqual(lines(run.stdout), ["Tavo/Verweis: Links are not allowed in a setup package",
                                             "1 problem; nothing written"])
        self.assertEqual((package.source / "SHA256SUMS.txt").read_bytes(), old)
        self.assertEqual(snapshot(package.root), before)

    def test_command_lines(self):
        cases = [([], 2), (["--help"], 0), (["check"], 2), (["pruefen", "x"], 2), (["manifest", "-x", "d"], 2),
                 (["manifest", "a", "b"], 2), (["release", "a", "b.zip"], 2 if WINDOWS else 1)]
        for args, status in cases:
            with self.subTest(args=args):
                run = self.tool(*[winpath(self.tmp / a) if a in ("a", "b.zip") else a for a in args])
                self.assertEqual(run.returncode, status, (run.stdout, run.stderr))
                self.assertEqual(b"Usage:" in (run.stdout if status == 0 else run.stderr), status != 1)


@unittest.skipIf(WINDOWS, "releases are made with the Linux build")
class Release(TempFolderTest):
    def release_package(self):
        package = make_package(self.tmp)
        for rel in SPECIAL:
            write(package.source / rel, f"besonders: {rel}".encode("utf-8"))
        (package.source / "Tavo" / "leerer Ordner").mkdir()
        write(package.root / "TAVO-Setup.exe", b"MZ setup program")
        run = run_package_tool("manifest", str(package.source))
        self.assertEqual(run.returncode, 0, run.stdout)
        return package

    def test_release_unpacks_to_the_checked_tree(self):
        package = self.release_package()
        archive = self.tmp / "Ausgabe" / "TAVO-Setup-Paket.zip"
        archive.parent.mkdir()
        run = run_package_tool("release", str(package.root), str(archive))
        self.assertEqual(run.returncode, 0, (run.stdout, run.stderr))
        self.assertEqual([p.name for p in archive.parent.iterdir()], [archive.name])

        unpacked = self.tmp / "entpackt"
        with zipfile.ZipFile(archive) as zipped:
            self.assertIn("TAVO-Setup.exe", zipped.namelist())
            for info in zipped.infolist():
                if not info.filename.isascii():
                    self.assertTrue(info.flag_bits & 0x800, info.filename)
            zipped.extractall(unpacked)
        self.assertEqual(tree(unpacked), tree(package.root))

    def test_a_refused_package_writes_no_archive(self):
        cases = [("no user guide", lambda p: (p.root / "Anleitung.txt").unlink(), "Anleitung.txt: copy_file: "),
                 ("a name Windows cannot hold", lambda p: write(p.root / "Notiz: neu.txt", b"x"),
                  "Notiz: neu.txt: Windows cannot hold this name"),
                 ("no setup program", lambda p: (p.root / "TAVO-Setup.exe").unlink(),
                  "TAVO-Setup.exe: Setup program missing"),
                 ("a link outside the trees", lambda p: os.symlink("../TAVO-Setup.exe", p.payload / "Verweis"),
                  "Dateien/Verweis: Links are not allowed in a setup package")]
        base = self.tmp
        for title, change, expected in cases:
            with self.subTest(title):
                self.tmp = base / title.replace(" ", "-")
                self.tmp.mkdir()
                package = self.release_package()
                change(package)
                archive = self.tmp / "TAVO-Setup-Paket.zip"
                run = run_package_tool("release", str(package.root), str(archive))
                self.assertEqual(run.returncode, 1, (run.stdout, run.stderr))
                self.assertTrue(lines(run.stdout)[0].startswith(expected), run.stdout)
                self.assertEqual(sorted(p.name for p in self.tmp.iterdir()), ["Paket"])


if __name__ == "__main__":
    main()

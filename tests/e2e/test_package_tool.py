"""The package tool on real packages: the manifests it writes pass the real setup, its check lists every problem
with the setup's own message and writes nothing, and (in the Linux build) its release archive unpacks to exactly
the tree that was checked."""

import hashlib
import os
import unittest
import zipfile
from pathlib import Path

from setup_package import windows_program, write_manifest
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
                real = package.root.parent / (package.root.name + "-" + tree + "-echt")
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


def listed(folder: Path) -> list:
    return [line.split("  ", 1)[1] for line in (folder / "SHA256SUMS.txt").read_text(encoding="utf-8").splitlines()]


def add_software(package, rel: str, data: bytes = b"neu"):
    write(package.source / rel, data)
    write_manifest(package.source, listed(package.source) + [rel])


def replace_payload(package, name: str, data: bytes):
    write(package.payload / name, data)
    write_manifest(package.payload, listed(package.payload))


# What customers would suffer, each caught before release: (title, change, a problem line the check must list).
# Names Windows itself cannot hold can only be made natively.
VENDOR_MISTAKES = [
    ("names equal but for letter case",
     lambda p: (add_software(p, "Tavo/LIESMICH.TXT"), add_software(p, "Tavo/Liesmich.TXT")),
     "Originalsoftware/Tavo/Liesmich.txt: Windows cannot tell this name from Originalsoftware/Tavo/LIESMICH.TXT "
     "(names differ only in letter case)"),
    ("folders equal but for letter case", lambda p: add_software(p, "tavo/os/x.bin"),
     "Originalsoftware/tavo: Windows cannot tell this name from Originalsoftware/Tavo (names differ only in letter case)"),
    ("a file added after the manifest", lambda p: write(p.source / "Tavo/neu.txt", b"neu"),
     "Originalsoftware/Tavo/neu.txt: Not listed in SHA256SUMS.txt"),
    ("a line twice", lambda p: write_manifest(p.source, listed(p.source) + ["Tavo/Liesmich.txt"]),
     "Originalsoftware/Tavo/Liesmich.txt (SHA256SUMS.txt line 121): Listed twice: also on line"),
    ("a file in Dateien besides the seven", lambda p: write(p.payload / "readme.txt", b"x"),
     "Dateien/readme.txt: Not one of the seven payload files"),
    ("a 32-bit payload program",
     lambda p: replace_payload(p, "device_binding.exe", windows_program(b"x", machine=0x14C, magic=0x10B)),
     "Dateien/device_binding.exe: Not a 64-bit Windows program: a 32-bit Windows program"),
    ("a Linux payload program", lambda p: replace_payload(p, "TAVO-starten.exe", b"\x7fELF\x02\x01\x01" + bytes(64)),
     "Dateien/TAVO-starten.exe: Not a 64-bit Windows program: no Windows program (no MZ header)"),
    ("a console setup program", lambda p: write(p.root / "TAVO-Setup.exe", windows_program(b"setup")),
     "TAVO-Setup.exe: Not a 64-bit Windows GUI program: a console program, a windowed (GUI) program needed"),
    ("a one-byte setup program", lambda p: write(p.root / "TAVO-Setup.exe", b"M"),
     "TAVO-Setup.exe: Not a 64-bit Windows GUI program: no Windows program (no MZ header)"),
] + ([] if WINDOWS else [
    ("a link deep in a tree", lambda p: os.symlink("../Liesmich.txt", p.source / "Tavo/OS/verweis.txt"),
     "Originalsoftware/Tavo/OS/verweis.txt: Links are not allowed in a setup package"),
    ("a device name", lambda p: add_software(p, "Tavo/con.txt"), "Originalsoftware/Tavo/con.txt: Windows cannot hold this name"),
    ("a question mark", lambda p: add_software(p, "Tavo/Frage?.txt"),
     "Originalsoftware/Tavo/Frage?.txt: Windows cannot hold this name"),
    ("a blank at the end", lambda p: add_software(p, "Tavo/ende. "),
     "Originalsoftware/Tavo/ende. : Windows cannot hold this name"),
])


class VendorMistakes(TempFolderTest):
    def test_check_and_release_refuse_each_mistake_naming_its_file(self):
        for i, (title, change, expected) in enumerate(VENDOR_MISTAKES):
            with self.subTest(title):
                package = make_package(self.tmp, f"Paket-{i}")
                if not WINDOWS:
                    write(package.root / "TAVO-Setup.exe", windows_program(b"setup", subsystem=2))
                change(package)
                before = snapshot(package.root)
                check = run_package_tool("check", winpath(package.root), env=self.env)
                self.assertEqual(check.returncode, 1, (check.stdout, check.stderr))
                found = lines(check.stdout)
                self.assertTrue(any(line.startswith(expected) for line in found), found)
                self.assertEqual(snapshot(package.root), before)
                if WINDOWS:
                    continue
                archive = self.tmp / f"Paket-{i}.zip"
                release = run_package_tool("release", str(package.root), str(archive), env=self.env)
                self.assertEqual(release.returncode, 1, (release.stdout, release.stderr))
                self.assertEqual(lines(release.stdout)[:-1], found[:-1], "check and release differ")
                self.assertFalse(archive.exists())

    def test_a_test_runs_leftovers_are_not_released(self):
        package = make_package(self.tmp)
        if not WINDOWS:
            write(package.root / "TAVO-Setup.exe", windows_program(b"setup", subsystem=2))
        write(package.root / "Setup-Ergebnis.txt", b"OK\n")
        write(package.root / "Ziel.vorbereitung-4711" / "App" / "x.txt", b"halb")
        check = run_package_tool("check", winpath(package.root), env=self.env)
        self.assertEqual(check.returncode, 0, (check.stdout, check.stderr))
        if WINDOWS:
            return
        archive = self.tmp / "Paket.zip"
        release = run_package_tool("release", str(package.root), str(archive), env=self.env)
        self.assertEqual(release.returncode, 0, (release.stdout, release.stderr))
        said = lines(release.stdout)
        self.assertIn("left out Setup-Ergebnis.txt (a test run's result or staging folder)", said)
        self.assertIn("left out Ziel.vorbereitung-4711 (a test run's result or staging folder)", said)
        with zipfile.ZipFile(archive) as zipped:
            names = zipped.namelist()
        self.assertFalse([n for n in names if n.startswith(("Setup-Ergebnis", "Ziel.vorbereitung"))], names)
        self.assertIn("TAVO-Setup.exe", names)


@unittest.skipIf(WINDOWS, "releases are made with the Linux build")
class Release(TempFolderTest):
    def release_package(self):
        package = make_package(self.tmp)
        for rel in SPECIAL:
            write(package.source / rel, f"besonders: {rel}".encode("utf-8"))
        (package.source / "Tavo" / "leerer Ordner").mkdir()
        write(package.root / "TAVO-Setup.exe", windows_program(b"setup program", subsystem=2))
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

    def test_an_archive_path_that_leads_into_the_package_is_refused(self):
        package = self.release_package()
        os.symlink(package.payload, self.tmp / "Ablage", target_is_directory=True)
        before = snapshot(package.root)
        for archive in (self.tmp / "Ablage" / "Paket.zip", package.root / "Paket.zip"):
            with self.subTest(str(archive)):
                run = run_package_tool("release", str(package.root), str(archive))
                self.assertEqual(run.returncode, 1, (run.stdout, run.stderr))
                self.assertIn(b"The archive must not lie inside the package folder", run.stderr)
                self.assertEqual(snapshot(package.root), before)

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

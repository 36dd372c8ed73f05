"""Natively, a folder of the original software bind-mounted where the installation is to go: the mount's ".."
leads elsewhere, so only the folders' identities show that the target lies inside the package. The setup refuses
it and writes nothing into the package."""

import os
import shutil
import subprocess
import unittest

from tavo_e2e import EOL, WINDOWS, InstallationTest, main, make_package, setup_command, snapshot


class Mounts(InstallationTest):
    @unittest.skipIf(WINDOWS, "bind mounts are Linux's")
    def test_a_package_folder_mounted_at_the_targets_parent_is_refused(self):
        if shutil.which("unshare") is None or shutil.which("mount") is None:
            self.skipTest("unshare and mount are not installed")
        probe = subprocess.run(["unshare", "-m", "true"], capture_output=True)
        if probe.returncode != 0:
            self.skipTest(f"no mount namespace for this user: {probe.stderr.decode(errors='replace').strip()}")
        for tree in ["App", "Tavo/Samples"]:
            with self.subTest(tree=tree):
                package = make_package(self.tmp, f"Paket-{tree.replace('/', '-')}")
                before = snapshot(package.root)
                mount_point = self.tmp / f"Einhaengung-{tree.replace('/', '-')}"
                mount_point.mkdir()
                target = mount_point / "Ziel"
                # In a mount namespace of its own, so that the mount goes with the run.
                script = 'mount --bind "$1" "$2" && shift 2 && exec "$@"'
                command = ["unshare", "-m", "--propagation", "private", "sh", "-c", script, "sh",
                           str(package.source / tree), str(mount_point),
                           *setup_command(package, "--prepare-only", "--target", str(target))]
                run = subprocess.run(command, env=self.env, capture_output=True, timeout=600)
                self.assertEqual(run.returncode, 1, run.stderr)
                self.assertEqual(package.result(), b"ERROR" + EOL + b"Destination inside bundled original software" + EOL)
                package.result_file.unlink()
                self.assertEqual(snapshot(package.root), before, "written into the package")
                self.assertEqual(os.listdir(mount_point), [])


if __name__ == "__main__":
    main()

"""A folder of the original software swapped for a link to an outside folder, over and over, while setups run:
no link may be followed, whenever the swap falls between the checks and the copy."""

import os
import shutil
import threading
import time

from tavo_e2e import WINDOWS, TempFolderTest, main, make_package, run_setup, winpath

OUTSIDE_NAME = "von-draussen.txt"
# Bounded: as many runs as fit in about 20 seconds.
SECONDS = 20
MAX_RUNS = 2000


class Swapper(threading.Thread):
    """Swaps `folder` with a link to `outside` every 2 ms: rename the folder away, put the link in its place,
    and back again. Both wait in `parking`, outside the package, where no check sees them."""

    def __init__(self, folder, outside, parking):
        super().__init__(daemon=True)
        self.folder, self.outside = folder, outside
        self.parked = parking / (folder.name + ".echt")
        self.link = parking / (folder.name + ".link")
        os.symlink(outside, self.link, target_is_directory=True)
        self.stopped = threading.Event()
        self.swaps = 0

    def run(self):
        while not self.stopped.is_set():
            os.rename(self.folder, self.parked)
            os.rename(self.link, self.folder)
            time.sleep(0.002)
            os.rename(self.folder, self.link)
            os.rename(self.parked, self.folder)
            self.swaps += 1
            time.sleep(0.002)

    def stop(self):
        self.stopped.set()
        self.join()
        os.unlink(self.link)


class LinkSwaps(TempFolderTest):
    def test_a_folder_swapped_for_a_link_never_brings_outside_content(self):
        if WINDOWS:
            # On Windows the copy holds every folder and file it works on without delete sharing, so no other
            # program can swap them. Wine cannot stage that: a Linux process ignores Windows sharing rules, and a
            # Windows program under Wine cannot rename a Linux link (MoveFileExW moves the folder it points to).
            self.skipTest("Wine cannot stage a swap that Windows sharing rules would stop")
        package = make_package(self.tmp)
        samples = package.source / "Tavo" / "Samples"
        # The outside folder holds the same files, so the manifest check passes through the link, and one more.
        outside = self.tmp / "draussen"
        shutil.copytree(samples, outside)
        (outside / OUTSIDE_NAME).write_bytes(b"outside")

        swapper = Swapper(samples, outside, self.tmp)
        swapper.start()
        outcomes = {}
        try:
            deadline = time.monotonic() + SECONDS
            run_number = 0
            while time.monotonic() < deadline and run_number < MAX_RUNS:
                run_number += 1
                target = self.tmp / "Ziele" / f"Ziel-{run_number}"
                run = run_setup(package, "--prepare-only", "--target", winpath(target), env=self.env, timeout=120)
                outcomes[run.returncode] = outcomes.get(run.returncode, 0) + 1
                if run.returncode == 0:
                    self.assertFalse(list(target.rglob(OUTSIDE_NAME)), f"run {run_number}: outside content installed")
                if not WINDOWS:
                    # Natively no window is left at all: not even a staging folder gets outside content.
                    self.assertFalse(list((self.tmp / "Ziele").rglob(OUTSIDE_NAME)), f"run {run_number}")
        finally:
            swapper.stop()
        print(f"{run_number} runs, {swapper.swaps} swaps, exit statuses {outcomes}")
        self.assertEqual(set(outcomes) - {0, 1}, set())
        # What the test must have met: many swaps during many runs, and runs that found the link and refused.
        self.assertGreaterEqual(run_number, 20)
        self.assertGreaterEqual(swapper.swaps, run_number)
        self.assertGreater(outcomes.get(1, 0), 0, "no run met the swapped folder")
        self.assertFalse((samples / OUTSIDE_NAME).exists())


if __name__ == "__main__":
    main()

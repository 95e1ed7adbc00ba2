"""The game as a player installs it.

DebianPackage makes the .deb from this build tree's install rules, the way
scripts/package does (install, then CPack's DEB generator with the project's
own CPack configuration), and checks its name, fields and contents.
UnpackedPackage unpacks it into a scratch root with dpkg-deb and plays it from
there: the launcher, started from an unrelated folder, must find the program
and its pictures. Lintian judges the package. CustomPrefixInstall runs
`cmake --install` with DESTDIR and an unusual prefix and starts the launcher
through a symlink, as a player's own bin/ folder would.

The program is driven on a private Xvfb through the end-to-end harness. What
shows that the pictures loaded: the queue row holds saturated colour (the
tiles' coloured edges and marks). A picture that fails to load leaves a white
quad, and the row then holds none at all.

    package_test.py --build-dir BUILD --work-dir WORK [unittest options] [TESTS]
"""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))
import kessary_harness as kh  # noqa: E402

APP_ID = "org.kessary.Kessary"
ICON_SIZES = (48, 64, 128, 256)
PACKAGE_PREFIX = "/usr"
# A space in the prefix catches unquoted paths in the launcher.
CUSTOM_PREFIX = "/opt/kessary games"
COMMAND_TIMEOUT = 120.0

# Saturated colour in the queue row: about a tenth of its pixels once the
# faces have built up under the wash; none when every quad is blank.
QUEUE_ROW = kh.view_to_window(0, 0, 640, 110)
COLOUR_SPREAD = 60  # max - min channel of a pixel that counts as coloured
MIN_COLOURED_SHARE = 0.03
FACES_TIMEOUT = 20.0
BIG_SCREEN_SIZE = "1600x1200x24"  # room for the doubled 1280 x 1160 window

# Set by main() from the command line.
build_dir = None
work_dir = None


def run(args, env=None):
    """Runs a command to completion; its CompletedProcess, output as text."""
    return subprocess.run(args, env=env, capture_output=True, text=True,
                          timeout=COMMAND_TIMEOUT)


def run_checked(test, args):
    """run(), failing `test` with the command's output when it does not succeed."""
    result = run(args)
    test.assertEqual(result.returncode, 0, "%s failed:\n%s%s" %
                     (" ".join(args), result.stdout, result.stderr))
    return result


def project_version():
    with open(os.path.join(build_dir, "CMakeCache.txt"), encoding="utf-8") as cache:
        return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", cache.read(), re.M).group(1)


def deb_folder():
    return os.path.join(work_dir, "deb")


def architecture():
    return subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True,
                          check=True).stdout.strip()


def deb_path():
    return os.path.join(deb_folder(), "kessary_%s_%s.deb" % (project_version(), architecture()))


def install_into(destdir, prefix):
    """`cmake --install` of the build tree under `prefix`, staged in `destdir`."""
    return run(["cmake", "--install", build_dir, "--prefix", prefix, "--strip"],
               env=dict(os.environ, DESTDIR=destdir))


def expected_files(prefix):
    """Every file the install puts under `prefix`, relative to the install root."""
    prefix = prefix.lstrip("/")
    files = ["games/kessary", "lib/games/kessary/kessary",
             "share/applications/%s.desktop" % APP_ID,
             "share/metainfo/%s.metainfo.xml" % APP_ID,
             "share/man/man6/kessary.6.gz",
             "share/doc/kessary/changelog.gz", "share/doc/kessary/copyright"]
    files += ["share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, APP_ID)
              for size in ICON_SIZES]
    files += ["share/games/kessary/dat/img/" + os.path.basename(path)
              for path in glob.glob(os.path.join(kh.REPO_ROOT, "dat", "img", "*.png"))]
    return sorted(os.path.join(prefix, f) for f in files)


def files_under(root):
    """Every file and symlink below `root`, relative to it."""
    found = []
    for folder, _, names in os.walk(root):
        found += [os.path.relpath(os.path.join(folder, name), root) for name in names]
    return sorted(found)


def coloured_share(picture, box):
    pixels = list(kh.region(picture, box))
    coloured = sum(1 for p in pixels if max(p) - min(p) > COLOUR_SPREAD)
    return coloured / len(pixels)


def play_from_elsewhere(test, launcher, extra_env=None, scale=1):
    """Starts `launcher` from an empty folder, waits for the tile faces in the
    queue row, then quits with Escape. Returns the coloured share it saw, the
    window's size and its WM_CLASS; `scale` is the window's size over the game's."""
    elsewhere = tempfile.mkdtemp(prefix="kessary-elsewhere-")
    kh.kessary_path = launcher
    queue_row = tuple(scale * v for v in QUEUE_ROW)
    share = 0.0
    try:
        # env -C starts the launcher in `elsewhere`, not where the harness runs it.
        with kh.xvfb() as display, \
                kh.kessary(display, extra_env, wrapper=("env", "-C", elsewhere)) as game:
            size = kh.window_geometry(game)[2:]
            wm_class = re.findall(r'"([^"]*)"', kh.x_tool(display, "xprop", "-id", game.window,
                                                          "WM_CLASS"))
            deadline = time.monotonic() + FACES_TIMEOUT
            while share < MIN_COLOURED_SHARE and time.monotonic() < deadline:
                time.sleep(kh.POLL_INTERVAL)
                share = coloured_share(kh.screenshot(game), queue_row)
            kh.press(game, "Escape")
            test.assertEqual(kh.wait_for_exit(game), 0, game.stderr())
        test.assertEqual(os.listdir(elsewhere), [], "the game wrote into its working folder")
    finally:
        shutil.rmtree(elsewhere)
    return share, size, wm_class


def sdl_scales_windows():
    """Whether the game was built on the 1.2-on-SDL-2 library (version 1.2.50
    on), which reads SDL12COMPAT_WINDOW_SCALING; classic SDL 1.2 does not."""
    version = run(["pkg-config", "--modversion", "sdl"]).stdout.strip()
    parts = [int(part) for part in re.findall(r"\d+", version)[:3]]
    return parts >= [1, 2, 50]


class DebianPackage(unittest.TestCase):
    """Builds the .deb into WORK/deb for the tests that need it."""

    @classmethod
    def setUpClass(cls):
        shutil.rmtree(deb_folder(), ignore_errors=True)
        os.makedirs(deb_folder())
        stage = os.path.join(work_dir, "deb-stage")
        shutil.rmtree(stage, ignore_errors=True)
        cls.install = install_into(stage, PACKAGE_PREFIX)
        # The project's own CPack settings, packing the staged tree instead of
        # running the install rules again (which would first rebuild the tree).
        config = os.path.join(work_dir, "cpack-config.cmake")
        with open(config, "w", encoding="utf-8") as f:
            f.write('include("%s/CPackConfig.cmake")\n' % build_dir)
            f.write('set(CPACK_INSTALL_CMAKE_PROJECTS "")\n')
            f.write('set(CPACK_INSTALLED_DIRECTORIES "%s;.")\n' % stage)
        cls.cpack = run(["cpack", "--config", config, "-B", deb_folder()])

    def fields(self):
        result = run_checked(self, ["dpkg-deb", "--field", deb_path()])
        return dict(re.findall(r"^(\S+): (.*)$", result.stdout, re.M))

    def test_is_named_and_described_for_debian(self):
        self.assertEqual(self.install.returncode, 0, self.install.stderr)
        self.assertEqual(self.cpack.returncode, 0, self.cpack.stdout + self.cpack.stderr)
        self.assertEqual(glob.glob(os.path.join(deb_folder(), "*.deb")), [deb_path()])
        fields = self.fields()
        self.assertEqual(fields["Package"], "kessary")
        self.assertEqual(fields["Version"], project_version())
        self.assertEqual(fields["Architecture"], architecture())
        self.assertEqual(fields["Section"], "games")
        self.assertEqual(fields["Priority"], "optional")
        self.assertRegex(fields["Maintainer"], r".+ <.+@.+>")
        description = run_checked(self, ["dpkg-deb", "--field", deb_path(), "Description"]).stdout
        self.assertGreater(len(description.splitlines()), 3, "no long description")

    # Computed from the binary, so a missing library here means the game
    # would install without it and fail to start.
    def test_depends_on_every_library_the_program_links(self):
        depends = self.fields().get("Depends", "")
        names = [entry.split()[0] for entry in depends.split(", ")]
        for library in ("libc6", "libstdc++6", "libgl1", "libsoil1", "libpng16-16"):
            self.assertIn(library, names)
        # Classic SDL 1.2 or the 1.2-on-SDL-2 library, whichever it was built on.
        self.assertTrue(any(name.startswith("libsdl1.2") for name in names), depends)

    def test_holds_every_file_where_a_distribution_puts_it(self):
        listing = run_checked(self, ["dpkg-deb", "--contents", deb_path()]).stdout.splitlines()
        entries = {}
        for line in listing:
            mode, owner, _, _, _, path = line.split(None, 5)
            entries[os.path.normpath(path)] = (mode, owner)
        files = sorted(path for path, (mode, _) in entries.items() if mode[0] != "d")
        self.assertEqual(files, expected_files(PACKAGE_PREFIX))
        self.assertEqual({owner for _, owner in entries.values()}, {"root/root"})
        for program in ("usr/games/kessary", "usr/lib/games/kessary/kessary"):
            self.assertEqual(entries[program][0], "-rwxr-xr-x", program)


class UnpackedPackage(unittest.TestCase):
    """The .deb from DebianPackage, unpacked with dpkg-deb into a scratch root."""

    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="kessary-root-")
        cls.unpack = run(["dpkg-deb", "-x", deb_path(), cls.root])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root)

    def setUp(self):
        self.assertEqual(self.unpack.returncode, 0, self.unpack.stderr)

    def launcher(self):
        return os.path.join(self.root, "usr/games/kessary")

    def desktop_entry(self):
        with open(os.path.join(self.root, "usr/share/applications/%s.desktop" % APP_ID),
                  encoding="utf-8") as f:
            return dict(re.findall(r"^(\w+)=(.*)$", f.read(), re.M))

    # A desktop ties the running window to its menu entry (and so to its icon)
    # by the window's class, which must be the entry's StartupWMClass.
    def test_launcher_plays_the_game_with_its_pictures_from_anywhere(self):
        share, size, wm_class = play_from_elsewhere(self, self.launcher())
        self.assertEqual(size, (kh.WINDOW_WIDTH, kh.WINDOW_HEIGHT))
        self.assertGreaterEqual(share, MIN_COLOURED_SHARE, "the queue row shows blank quads")
        self.assertIn(self.desktop_entry()["StartupWMClass"], wm_class)

    # What the README promises big screens, through the installed launcher:
    # the variable reaches the game and the whole picture is drawn doubled.
    def test_window_scaling_doubles_the_window(self):
        if not sdl_scales_windows():
            self.skipTest("classic SDL 1.2 has no window scaling")
        screen = kh.SCREEN_SIZE
        kh.SCREEN_SIZE = BIG_SCREEN_SIZE
        try:
            share, size, _ = play_from_elsewhere(self, self.launcher(),
                                              {"SDL12COMPAT_WINDOW_SCALING": "2"}, scale=2)
        finally:
            kh.SCREEN_SIZE = screen
        self.assertEqual(size, (2 * kh.WINDOW_WIDTH, 2 * kh.WINDOW_HEIGHT))
        self.assertGreaterEqual(share, MIN_COLOURED_SHARE, "the doubled queue row is blank")

    def test_desktop_entry_and_metainfo_pass_their_validators(self):
        desktop = os.path.join(self.root, "usr/share/applications/%s.desktop" % APP_ID)
        metainfo = os.path.join(self.root, "usr/share/metainfo/%s.metainfo.xml" % APP_ID)
        result = run_checked(self, ["desktop-file-validate", desktop])
        self.assertEqual(result.stdout + result.stderr, "")
        run_checked(self, ["appstreamcli", "validate", "--no-net", "--pedantic", metainfo])

    # The menu finds the program on the path and the icon in the theme by
    # name, so those names must match the installed files.
    def test_desktop_entry_names_the_installed_launcher_and_icon(self):
        entry = self.desktop_entry()
        self.assertTrue(os.access(os.path.join(self.root, "usr/games", entry["Exec"]), os.X_OK))
        for size in ICON_SIZES:
            icon = "usr/share/icons/hicolor/%dx%d/apps/%s.png" % (size, size, entry["Icon"])
            self.assertTrue(os.path.isfile(os.path.join(self.root, icon)), icon)
        self.assertIn("LogicGame", entry["Categories"].split(";"))


class Lintian(unittest.TestCase):
    def test_reports_no_errors(self):
        result = run(["lintian", "--no-tag-display-limit", deb_path()])
        report = result.stdout + result.stderr
        self.assertNotIn("E: ", report)
        self.assertEqual(result.returncode, 0, report)
        if "W: " in report:
            print(report)


class CustomPrefixInstall(unittest.TestCase):
    def test_launcher_runs_through_a_symlink_from_a_custom_prefix(self):
        destdir = tempfile.mkdtemp(prefix="kessary-destdir-")
        try:
            installed = install_into(destdir, CUSTOM_PREFIX)
            self.assertEqual(installed.returncode, 0, installed.stdout + installed.stderr)
            root = destdir + CUSTOM_PREFIX
            self.assertEqual(files_under(destdir), expected_files(CUSTOM_PREFIX))
            bin_folder = os.path.join(destdir, "home-bin")
            os.mkdir(bin_folder)
            link = os.path.join(bin_folder, "kessary")
            os.symlink(os.path.join(root, "games", "kessary"), link)
            share, _, _ = play_from_elsewhere(self, link)
            self.assertGreaterEqual(share, MIN_COLOURED_SHARE, "the queue row shows blank quads")
        finally:
            shutil.rmtree(destdir)


def main():
    global build_dir, work_dir
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    options, rest = parser.parse_known_args()
    build_dir = os.path.abspath(options.build_dir)
    work_dir = os.path.abspath(options.work_dir)
    os.makedirs(work_dir, exist_ok=True)
    unittest.main(argv=[sys.argv[0]] + rest)


if __name__ == "__main__":
    main()

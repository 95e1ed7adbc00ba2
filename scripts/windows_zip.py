#!/usr/bin/env python3
"""Writes the Windows zip, build-windows/kessary-<version>-windows-x64.zip: one
folder holding kessary.exe, SDL's two DLLs, the pictures, a read-me and every
licence.

The zip is a function of the commit: every entry carries the time in
SOURCE_DATE_EPOCH (the commit's, set by scripts/windows.sh), the entries come
in sorted order with fixed permissions, and text files get Windows line
endings whatever the checkout had.

    windows_zip.py REPO_ROOT BUILD_DIR DEPS_PREFIX
"""
import os
import re
import sys
import time
import zipfile

LICENCES = ("SDL2", "sdl12-compat", "libpng", "zlib", "SOIL")  # from scripts/windows_deps.sh


def project_version(build_dir):
    with open(os.path.join(build_dir, "CMakeCache.txt"), encoding="utf-8") as f:
        return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(\S+)$", f.read(), re.M).group(1)


def contents(repo, build_dir, deps):
    """(name in the folder, source path) of every file, pictures included."""
    files = [("kessary.exe", os.path.join(build_dir, "kessary.exe")),
             ("SDL.dll", os.path.join(deps, "bin", "SDL.dll")),
             ("SDL2.dll", os.path.join(deps, "bin", "SDL2.dll")),
             ("README.txt", os.path.join(repo, "dist", "windows", "README.txt")),
             ("LICENSE.txt", os.path.join(repo, "LICENSE"))]
    files += [("licences/%s.txt" % name, os.path.join(deps, "licences", name + ".txt"))
              for name in LICENCES]
    pictures = os.path.join(repo, "dat", "img")
    files += [("dat/img/" + name, os.path.join(pictures, name))
              for name in os.listdir(pictures) if name.endswith(".png")]
    return sorted(files)


def main(repo, build_dir, deps):
    version = project_version(build_dir)
    folder = "kessary-%s" % version
    out = os.path.join(build_dir, "kessary-%s-windows-x64.zip" % version)
    # Zip times have no zone and start in 1980; the commit's time is taken as UTC.
    stamp = time.gmtime(max(int(os.environ.get("SOURCE_DATE_EPOCH", "315532800")), 315532800))
    temporary = out + ".part"
    with zipfile.ZipFile(temporary, "w", compresslevel=9) as archive:
        for name, source in contents(repo, build_dir, deps):
            with open(source, "rb") as f:
                data = f.read()
            if name.endswith(".txt"):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(folder + "/" + name, stamp[:6])
            entry.create_system = 3  # Unix, so the permissions below are read
            mode = 0o755 if name.endswith((".exe", ".dll")) else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            # The pictures are compressed already.
            entry.compress_type = zipfile.ZIP_STORED if name.endswith(".png") else zipfile.ZIP_DEFLATED
            archive.writestr(entry, data)
    os.replace(temporary, out)
    print(out)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])

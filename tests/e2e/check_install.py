#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks what a desktop needs.

The program must land in bin/, the desktop entry in share/applications and
pass desktop-file-validate, its Exec= must name the installed program and its
Icon= an icon installed in the hicolor theme, as PNGs of the size their folder
names.

Usage: check_install.py <cmake executable> <build folder>
"""

import configparser
import os
import shutil
import struct
import subprocess
import sys
import tempfile


def fail(message):
    print(f"FAIL: {message}", flush=True)
    sys.exit(1)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        fail(f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    cmake, build = sys.argv[1], sys.argv[2]
    prefix = tempfile.mkdtemp(prefix="vortigram-install-")
    try:
        result = subprocess.run([cmake, "--install", build, "--prefix", prefix],
                                capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            fail(f"cmake --install failed:\n{result.stdout}{result.stderr}")

        program = os.path.join(prefix, "bin", "vortigram")
        if not (os.path.isfile(program) and os.access(program, os.X_OK)):
            fail("bin/vortigram is not installed as an executable")

        entry = os.path.join(prefix, "share", "applications", "vortigram.desktop")
        if not os.path.isfile(entry):
            fail("no share/applications/vortigram.desktop")
        result = subprocess.run(["desktop-file-validate", entry],
                                capture_output=True, text=True, timeout=30)
        # desktop-file-validate reports errors and hints on stdout; a clean
        # entry gives no output at all.
        if result.returncode != 0 or result.stdout.strip() or result.stderr.strip():
            fail(f"desktop-file-validate:\n{result.stdout}{result.stderr}")

        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(entry, encoding="utf-8")
        desktop = parser["Desktop Entry"]
        if desktop.get("Name") != "Vortigram":
            fail(f"Name={desktop.get('Name')!r}")
        command = desktop.get("Exec", "").split()[0]
        if command != os.path.basename(program):
            fail(f"Exec={desktop.get('Exec')!r} does not start the installed program")
        if "Graphics" not in desktop.get("Categories", "").split(";"):
            fail(f"Categories={desktop.get('Categories')!r} puts it outside the Graphics menu")

        icon = desktop.get("Icon", "")
        theme = os.path.join(prefix, "share", "icons", "hicolor")
        found = []
        for folder in sorted(os.listdir(theme)) if os.path.isdir(theme) else []:
            path = os.path.join(theme, folder, "apps", icon + ".png")
            if os.path.isfile(path):
                width, height = png_size(path)
                if folder != f"{width}x{height}":
                    fail(f"{path} is {width} x {height}")
                found.append(folder)
        # The icon theme guidelines ask applications for at least a 48 x 48 icon.
        if "48x48" not in found:
            fail(f"Icon={icon!r}: hicolor holds it only in {found}")
        print(f"installed: bin/vortigram, vortigram.desktop, icon in {', '.join(found)}")
        return 0
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# The command line: --help, --version, --info, and the exit status of bad
# files and wrong arguments, with no display to be had.
# Usage: check_cli.py <vortigram executable>
import os, struct, subprocess, sys, tempfile

folder = tempfile.mkdtemp()
good, bad = os.path.join(folder, "good.jvf"), os.path.join(folder, "bad.jvf")
open(good, "wb").write(bytes.fromhex("FFE0AD0F0200FFFFFF00 0102FFFFFF000000") + struct.pack(
    "<4d", 0, 10, 1, -12.5) + bytes.fromhex("0200FFFFFF000000"))
open(bad, "wb").write(bytes.fromhex("FFE0AD0F0100FFFFFF00 0702FFFFFF000000"))
failed = []


def expect(args, wanted):
    env = dict(os.environ, QT_QPA_PLATFORM="", DISPLAY="")
    r = subprocess.run([sys.argv[1], *args], env=env, capture_output=True, text=True, timeout=30)
    got = (r.returncode, r.stdout, r.stderr)
    if wanted[0] == 2:  # a one-line error, then the usage
        got = (r.returncode, r.stderr.startswith("vortigram: ") and "\nUsage: vortigram" in r.stderr)
    if got[:len(wanted)] != wanted:
        failed.append(f"{args}: {got}")


expect(["--version"], (0, "Vortigram Version 1.0\n", ""))
expect(["--help"], (0,))
expect(["--info", good], (0, "shapes: 2\npolygons: 1\npolylines: 1\nvertices: 2\n"
                             "vertices per shape: 2 0\nlargest radius: 12.5\n", ""))
expect(["--info", bad], (1, "", f"Cannot open {bad}.\nRecord 1 at byte 10: type 7 is neither "
                                "1 (polygon) nor 2 (polyline).\n"))
for args in (["--bogus"], ["--info", good, "x"], ["--render", good, "-o", "x.bmp"], ["--grid"],
             ["--render", good, "-o", "x.png", "--size", "0x5"], ["a.jvf", "b.jvf"],
             ["--render", good, "-o", "x.png", "--scale", "0"], ["--version", good]):
    expect(args, (2, True))
print("\n".join(failed) or "all answers as expected")
sys.exit(1 if failed else 0)

#!/usr/bin/env python3
"""The command line: --help, --version, --info, and the exit status of bad
files and wrong arguments. Usage: check_cli.py <vortigram executable>"""
import os, struct, subprocess, sys, tempfile

program = sys.argv[1]
env = dict(os.environ, QT_QPA_PLATFORM="", DISPLAY="")  # none of these may need a display
folder = tempfile.mkdtemp()
good, bad = os.path.join(folder, "good.jvf"), os.path.join(folder, "bad.jvf")
with open(good, "wb") as f:
    f.write(bytes.fromhex("FFE0AD0F0200FFFFFF00" "0102FFFFFF000000") + struct.pack("<4d", 0, 10, 1, -12.5))
    f.write(bytes.fromhex("0200FFFFFF000000"))
with open(bad, "wb") as f:
    f.write(bytes.fromhex("FFE0AD0F0100FFFFFF00" "0702FFFFFF000000"))

def run(*args):
    r = subprocess.run([program, *args], env=env, capture_output=True, text=True, timeout=30)
    return r.returncode, r.stdout, r.stderr

failures = []
def expect(got, wanted, what):
    if got != wanted:
        failures.append(f"{what}: got {got!r}, wanted {wanted!r}")

expect(run("--version"), (0, "Vortigram Version 1.0\n", ""), "--version")
code, out, _ = run("--help")
expect((code, out.startswith("Usage: vortigram [FILE]\n")), (0, True), "--help")
expect(run("--info", good), (0, "shapes: 2\npolygons: 1\npolylines: 1\nvertices: 2\n"
                                 "vertices per shape: 2 0\nlargest radius: 12.5\n", ""), "--info")
code, out, err = run("--info", bad)
expect((code, out, err), (1, "", f"Cannot open {bad}.\nRecord 1 at byte 10: type 7 is neither "
                                 "1 (polygon) nor 2 (polyline).\n"), "--info on a bad file")
for args in (["--bogus"], ["--info", good, "extra"], ["--render", good, "-o", "x.bmp"],
             ["--render", good, "-o", "x.png", "--size", "0x5"], ["--render", good, "-o", "x.png", "--scale", "0"],
             ["--grid"], ["a.jvf", "b.jvf"], ["--version", good]):
    code, out, err = run(*args)
    expect((code, err.startswith("vortigram: "), "Usage: vortigram" in err, err.count("\n") > 2), (2, True, True, True), args)
print("\n".join(failures) or "all checks passed")
sys.exit(1 if failures else 0)

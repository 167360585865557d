#!/usr/bin/env python3
# The built program's command line with no display to be had and no
# XDG_RUNTIME_DIR: --help, --version, --info, pictures (PNG's size, SVG's and
# PDF's structure), an SVG drawing imported, Qt's own options, a full standard
# output, the exit status of bad files and wrong arguments, and Ctrl+C during --animate.
# Usage: check_cli.py <vortigram executable> <version>
import hashlib, os, pty, re, signal, struct, subprocess, sys, tempfile, zlib, xml.etree.ElementTree as ET

failed = []
folder = tempfile.TemporaryDirectory()
good, bad = os.path.join(folder.name, "g&<d.jvf"), os.path.join(folder.name, "bad.jvf")
# Two polygons and a polyline: a count swapped or shared shows.
open(good, "wb").write(bytes.fromhex("FFE0AD0F0300FFFFFF00 0102FFFFFF000000") + struct.pack(
    "<4d", 0, 10, 1, -12.5) + bytes.fromhex("0200FFFFFF000000 0100FFFFFF000000"))
open(bad, "wb").write(bytes.fromhex("FFE0AD0F0100FFFFFF00 0702FFFFFF000000"))
env = {k: v for k, v in os.environ.items() if k != "XDG_RUNTIME_DIR"} | {"QT_QPA_PLATFORM": "", "DISPLAY": ""}


def expect(args, wanted, stdout=subprocess.PIPE):
    r = subprocess.run([sys.argv[1], *args], env=env, stdout=stdout, stderr=subprocess.PIPE, text=True, timeout=60)
    got = (r.returncode, r.stdout, r.stderr)
    if wanted[0] == 2:  # a one-line error, then the usage
        got = (r.returncode, r.stderr.startswith("vortigram: ") and "\nUsage: vortigram" in r.stderr)
    if got[:len(wanted)] != wanted:
        failed.append(f"{args}: {got}")


def out(name):
    return os.path.join(folder.name, name)


info = ("shapes: 3\npolygons: 2\npolylines: 1\nvertices: 2\nvertices per shape: 2 0 0\n"
        "largest radius: 12.5\n")
expect(["--version"], (0, f"Vortigram Version {sys.argv[2]}\n", ""))
expect(["--help"], (0,))
expect(["--info", good], (0, info, ""))
expect(["-style", "fusion", "--info", good, "-reverse"], (0, info, ""))  # Qt's options are ignored
expect(["--info", bad], (1, "", f"Cannot open {bad}.\nRecord 1 at byte 10: type 7 is neither "
                                "1 (polygon) nor 2 (polyline).\n"))
expect(["--play", bad], (1, "", f"Cannot open {bad}.\nRecord 1 at byte 10: type 7 is neither "
                                "1 (polygon) nor 2 (polyline).\n"))
for args in (["--version"], ["--help"], ["--info", good]):
    expect(args, (1, None, "vortigram: standard output could not be written: No space left on device\n"),
           open("/dev/full", "w"))
expect(["--render", good, "-o", "/nonexistent/a.png"],
       (1, "", "/nonexistent/a.png could not be written: No such file or directory\n"))
# -platform is Qt's: not even it makes a picture want a display.
for name in ("a.png", "a.svg", "a.pdf"):
    expect(["-platform", "xcb", "--render", good, "-o", out(name), "--size", "300x201"], (0, "", ""))
png, pdf = open(out("a.png"), "rb").read(), open(out("a.pdf"), "rb").read()
if png[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", png[16:24]) != (300, 201):
    failed.append(f"a.png: {png[:24]}")
try:  # pixel sizes, and the design's name escaped in the title
    svg = ET.parse(out("a.svg")).getroot()
    got = [svg.get(a) for a in ("width", "height", "viewBox")] + [svg.findtext("{*}title")]
    if got != ["300", "201", "0 0 300 201", "g&<d.jvf"]:
        failed.append(f"a.svg: {got}")
except ET.ParseError as e:
    failed.append(f"a.svg: {e}")
# A point per pixel, on the page and in its drawing; every object the
# cross-reference table lists starts where it says.
xref = pdf[int(pdf.rsplit(b"startxref", 1)[1].split()[0]):].split(b"\n")
offsets = [int(line.split()[0]) for line in xref[3:3 + int(xref[1].split()[1]) - 1]]
pages = [zlib.decompress(s) for s in re.findall(rb"/FlateDecode\n>>\nstream\n(.*?)endstream", pdf, re.S)]
if (b"/MediaBox [0 0 300.000000 201.000000]" not in pdf or b"\n1 0 0 -1 0 201 cm" not in b"".join(pages)
        or any(not pdf[o:].startswith(b"%d 0 obj" % (i + 1)) for i, o in enumerate(offsets))):
    failed.append(f"a.pdf: {xref[:4]}")
# Exact vectors: a red triangle with a vertex at radius 100 and 1 radian and a
# blue line, unrounded in SVG and PDF (the PDF at 100 x 60, centre 50, 30), dots
# as squares of a pixel; the PNG as it always was; frame and white left out.
tri = out("tri.jvf")
open(tri, "wb").write(bytes.fromhex("FFE0AD0F0200FFFFFF00 0103FF0000000000") + struct.pack(
    "<6d", 1, 100, 2.5, 80, 4, 120) + bytes.fromhex("02020000000000FF") + struct.pack("<4d", 0, 0, 0.3, 150))
for name, mode, more in (("t.svg", "--render", ["--grid"]), ("c.svg", "--render", ["--transparent", "--no-frame", "--smooth"]),
                         ("t.pdf", "--render", ["--grid", "--size", "100x60"]), ("t.png", "--render", ["--grid"]),
                         ("f.png", "--render", ["--grid", "--frame"]), ("t.webp", "--animate", ["--transparent", "--size", "20x10"])):
    expect([mode, tri, "-o", out(name), *more], (0, "", ""))
plain, clear = open(out("t.svg")).read(), open(out("c.svg")).read()
pdf = b"".join(zlib.decompress(s) for s in re.findall(rb"/FlateDecode\n>>\nstream\n(.*?)endstream", open(out("t.pdf"), "rb").read(), re.S))
got = [plain.count('<polygon points="324.147,100.970 287.878,219.091 149.184,233.437" fill="#ff0000"'),
       plain.count('<polyline points="240.000,155.000 284.328,11.700" fill="none" stroke="#0000ff"'),
       plain.count("<rect"), clear.count("<rect"), clear.count("<polygon"), plain.count("h1v1h-1z"),
       pdf.count(b"134.147098 -24.0302305 m"), len(re.findall(rb"\d 1 1 re", pdf)),
       open(out("t.png"), "rb").read() == open(out("f.png"), "rb").read(),
       hashlib.md5(open(out("t.png"), "rb").read()).hexdigest(), open(out("t.webp"), "rb").read()[20] & 0x10]
if got != [1, 1, 2, 0, 1, 48 * 32, 1, 60, True, "32e2dceed00aa3ae665af275dc93db57", 0x10]:
    failed.append(f"vectors: {got}")
# An SVG drawing brought in at scale 2 (the circle in steps of that scale).
svg = out("d.svg")
open(svg, "w").write('<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 20 20"><rect x="5" y="5" width="10" '
                     'height="10"/><circle r="2" cx="10" cy="10"/></svg>')
expect(["--import", svg, "-o", out("i.jvf"), "--scale", "2"], (0, "2 shapes came in.\n", ""))
expect(["--info", out("i.jvf")], (0, "shapes: 2\npolygons: 2\npolylines: 0\nvertices: 16\nvertices per shape: 4 12\n"
                                     "largest radius: 7.07106781186548\n", ""))
expect(["--import", "/none.svg", "-o", "x.jvf"], (1, "", "Cannot import /none.svg.\nNo such file or directory.\n"))
expect(["--import", svg, "-o", "/nonexistent/x.jvf"], (1, "", "/nonexistent/x.jvf could not be written: No such file or directory\n"))
for args in (["--bogus"], ["--import", svg], ["--import", svg, "-o", "x", "--grid"], ["--info", good, "x"], ["--render", good, "-o", "x.bmp"], ["--grid"],
             ["--render", good, "-o", "x.png", "--size", "0x5"], ["a.jvf", "b.jvf"],
             ["--render", good, "-o", "x.png", "--scale", "0"], ["--version", good],
             ["--render", good, "-o", "x.png", "--rotation", "inf"], ["--animate", good, "-o", "x.png"],
             ["--animate", good, "-o", "x.gif", "--scale", "2"], ["--render", good, "--animate", good, "-o", "x.gif"],
             ["--render", good, "-o", "x.pdf", "--transparent"], ["--animate", good, "-o", "x.gif", "--transparent"],
             ["--render", good, "-o", "x.png", "--frame", "--no-frame"], ["--smooth"], ["--import", svg, "-o", "x", "--no-frame"],
             ["--play", good, "x"], ["--play", good, "--size", "9x9"]):
    expect(args, (2, True))
# Ctrl+C once --animate shows its progress on a terminal: no file is left, and the end is by the signal.
terminal, tty = pty.openpty()
p = subprocess.Popen([sys.argv[1], "--animate", good, "-o", out("sigint.webp"), "--size", "1000x1000"], env=env, stderr=tty)
os.close(tty)
shown = b""
while b"frame" not in shown and p.poll() is None:
    shown += os.read(terminal, 200)
p.send_signal(signal.SIGINT)
if (p.wait(60), [n for n in os.listdir(folder.name) if n.startswith("sigint.")]) != (-signal.SIGINT, []) or b"frame" not in shown:
    failed.append(f"--animate and Ctrl+C: {p.returncode} {shown} {os.listdir(folder.name)}")
folder.cleanup()
print("\n".join(failed) or "all answers as expected")
sys.exit(1 if failed else 0)

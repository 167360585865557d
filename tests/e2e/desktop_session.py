#!/usr/bin/env python3
# Runs vortigram the way a user does: a private Xvfb display with openbox,
# real clicks and keys through xdotool, a screenshot through ImageMagick's
# import, and a fresh HOME and XDG folders so that no real settings are
# touched. One session: draw, export through Save As, crash (SIGKILL) and
# restore, answer the close question, start again with the saved scale,
# copy shapes into a second program and save them there.
#
# Usage: desktop_session.py <vortigram> <artefact folder>
# The program's output goes to the test's. A failing run leaves its
# screenshots and files in the artefact folder; a passing one too when
# VORTIGRAM_E2E_KEEP is set.
import math
import os
import shutil
import struct
import subprocess as sp
import sys
import time
from pathlib import Path

# Everything happens in the artefact folder, emptied first: the artefacts
# of an earlier failing run would mislead once this one passes.
PROGRAM, TMP = os.path.abspath(sys.argv[1]), Path(sys.argv[2])
shutil.rmtree(TMP, ignore_errors=True)
# The client area, and the canvas centre below the 50-pixel control strip;
# the menu bar above it is MENU pixels high, found once the window shows.
W, H = 480, 361
MENU = None
CX, CY = W // 2, H // 2 + 25
# Controls' centres: dialog units (9, 10), (195, 20) and (297, 22) of the
# 6 x 13 pixel base font, each x * 6 / 4 and y * 13 / 8 rounded.
POLYLINE, SCALE, GENERATE = (14, 16), (293, 33), (446, 36)
# The colour lists the session starts with, one entry each, stored as
# 0x00BBGGRR: 0x0080FF fills and 0xC08040 outlines.
FILL, PEN, GREY, WHITE = (255, 128, 0), (64, 128, 192), (100,) * 3, (255,) * 3

ENV = {"PATH": os.environ["PATH"], "LANG": "C.UTF-8", "QT_QPA_PLATFORM": "xcb"}
for name in ("HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"):
    ENV[name] = str(TMP / name.lower())
    os.makedirs(ENV[name], 0o700)
# The sanitizer build's rules (make check) hold for the program too.
ENV.update({k: v for k, v in os.environ.items() if k.endswith("SAN_OPTIONS")})
CONF = Path(ENV["XDG_CONFIG_HOME"], "Marbrel", "vortigram.conf")
RECOVERY = Path(ENV["XDG_STATE_HOME"], "Marbrel", "vortigram", "design-1.journal")
PROCS = []


def check(ok, why):
    if not ok:
        run("import", "-window", "root", TMP / "at-failure.png")
        raise AssertionError(why)


def run(*argv):
    return sp.run(argv, env=ENV, capture_output=True, text=True, timeout=10)


def xdo(*args):
    return run("xdotool", *map(str, args)).stdout.strip()


def spawn(*argv, **kw):
    PROCS.append(sp.Popen(argv, env=ENV, **kw))
    return PROCS[-1]


def wait(what, probe):
    end = time.monotonic() + 10
    while not (got := probe()):
        check(time.monotonic() < end, "timed out waiting for " + what)
        time.sleep(0.05)
    return got


def record(kind, clicks, scale):
    out = bytes([kind, len(clicks), *FILL, *PEN])
    for x, y in clicks:
        # To the 10-pixel grid; a remainder of 5 rounds down.
        x, y = (v - v % 10 + 10 * (v % 10 > 5) for v in (x, y))
        dx, dy = x - CX, CY - y
        # Clockwise from up; dy is never 0, CY being off the grid.
        angle = math.atan(dx / dy) + (3.141592654 if dy < 0 else 0.0)
        out += struct.pack("<dd", angle, math.sqrt(dx * dx + dy * dy) / scale)
    return out


def holds(path, want):
    return path.exists() and path.read_bytes() == want


def design(*records):
    return struct.pack("<IHI", 0x0FADE0FF, len(records), 0xFFFFFF) + b"".join(records)


def windows(p):
    check(p.poll() is None, f"the program ended with {p.returncode}")
    return xdo("search", "--onlyvisible", "--pid", p.pid, "--name", ".").split()


def focus(p, main, on_main=True):
    # Until the program's window with the focus is main, or another one.
    ok = lambda active: active in windows(p) and (active == main) == on_main
    wait(f"the focus, on main: {on_main}", lambda: ok(xdo("getactivewindow")))


def start(on_main=True):
    p = spawn(PROGRAM, cwd=TMP)
    # The main window is the one of the client area's width, with the menu
    # bar and the status bar making it taller.
    def sized():
        sizes = [(w, xdo("getwindowgeometry", w).split("Geometry: ")[1].split("x")) for w in windows(p)]
        return [w for w, (width, height) in sizes if int(width) == W and int(height) > H]
    main = wait(f"a window {W} wide", sized)[0]
    focus(p, main, on_main)
    return p, main


def screenshot(main):
    # The window's pixels, read as raw RGB rows.
    run("import", "-window", main, "-depth", "8", f"ppm:{TMP}/window.ppm")
    return (TMP / "window.ppm").read_bytes().split(b"\n", 3)[3]


def find_menu(main):
    # The canvas's black top border (a grid dot every 10 pixels) lies 50
    # pixels below the menu bar.
    global MENU
    px = screenshot(main)
    rows = [y for y in range(len(px) // (3 * W)) if px[3 * (y * W + 1):3 * (y * W + 10)] == bytes(27)]
    MENU = rows[0] - 50 if rows else None
    return MENU is not None


def click(main, x, y):
    xdo("mousemove", "--window", main, x, y + MENU, "click", 1)


def draw(main, clicks):
    for x, y in clicks:
        click(main, x, y)
    xdo("click", 3)


# Keys go in runs of their own: chained to a mousemove, xdotool would send
# them to the main window instead of the focus.
def set_scale(main, text):
    click(main, *SCALE)
    xdo("key", "ctrl+a", "type", text)
    xdo("key", "Return")


def generate(p, main, name, want, keys=()):
    # The Generate button, or the keys given, through the menu bar.
    for key in keys:
        xdo("key", key)
    if not keys:
        click(main, *GENERATE)
    focus(p, main, False)
    # The dialog opens in the working folder, where the names match nothing:
    # a completer list shown for a match would take the Return.
    xdo("type", name)
    xdo("key", "Return")
    # The file is written whole or not at all.
    wait(name + " to hold the design", lambda: holds(TMP / name, want))
    focus(p, main)


def close(p, main, *keys):
    run("wmctrl", "-i", "-c", main)
    focus(p, main, False)
    xdo("key", *keys)


def shows(main, spots):
    px = screenshot(main)
    return all(tuple(px[3 * ((y + MENU) * W + x):][:3]) == c for (x, y), c in spots.items())


def session():
    # Without -noreset a stray client of an old display would reset it.
    xvfb = spawn("Xvfb", "-displayfd", "1", "-noreset", stdout=sp.PIPE, stderr=sp.DEVNULL)
    ENV["DISPLAY"] = ":" + xvfb.stdout.readline().decode().strip()
    spawn("openbox", "--sm-disable", stdout=sp.DEVNULL, stderr=sp.DEVNULL)
    # wmctrl -m answers once openbox owns the screen but before it serves
    # requests, and a window mapped in between was now and then never
    # managed: wait for it to set the desktop count it is asked for.
    wait("openbox", lambda: xdo("set_num_desktops", 1) + xdo("get_num_desktops") == "1")
    CONF.parent.mkdir()
    CONF.write_text("[Background]\n0=33023\n[Foreground]\n0=12615744\n")
    polygon = [(187, 147), (305, 146), (296, 255), (194, 253)]
    polyline = [(63, 333), (418, 327), (421, 352)]
    more = [(303, 157), (126, 284)]
    shapes = [record(1, polygon, 1), record(2, polyline, 2.5), record(2, more, 2.5)]

    p, main = start()
    wait("the canvas's top border", lambda: find_menu(main))
    # The painted canvas first: a click at once on a new window was now and
    # then lost on its way through openbox.
    wait("the canvas", lambda: shows(main, {(50, 100): GREY, (55, 105): WHITE}))
    draw(main, polygon)
    # The fill, a grid dot over it and the outline; a dot and white outside.
    spots = {(255, 177): FILL, (250, 200): GREY, (245, 150): PEN, (50, 100): GREY, (55, 105): WHITE}
    wait(f"the window to show {spots}", lambda: shows(main, spots))
    click(main, *POLYLINE)
    set_scale(main, "2.5")
    draw(main, polyline)
    generate(p, main, "first.jvf", design(*shapes[:2]))
    draw(main, more)
    # The journal is on disk within a second of a change; the restored
    # design is checked below, exported as second.jvf.
    time.sleep(1.2)
    p.kill()
    p.wait()

    # The restore question first: Yes is the default answer.
    p, main = start(False)
    xdo("key", "Return")
    focus(p, main)
    generate(p, main, "second.jvf", design(*shapes))
    set_scale(main, "0.5")
    draw(main, [(100, 100)])
    # Escape cancels, and the window stays.
    close(p, main, "Escape")
    focus(p, main)
    # The design has a file: Save is the default; Discard by its letter.
    close(p, main, "alt+d")
    check(p.wait(10) == 0, f"the program ended with {p.returncode}")
    # [Settings] is the last section, and the only one with a Scale.
    check("\nScale=0.500000\n" in CONF.read_text().partition("[Settings]")[2], CONF.read_text())
    check(list(RECOVERY.parent.iterdir()) == [], f"left: {list(RECOVERY.parent.iterdir())}")

    p, main = start()
    time.sleep(0.5)
    check(windows(p) == [main], "a question after a normal end")
    draw(main, [(277, 112)])
    # File > Generate... from the keyboard: Alt+F, then its access key.
    generate(p, main, "third.jvf", design(record(1, [(277, 112)], 0.5)), ("alt+f", "g"))
    # % as typed (Shift+5 on this layout) switches Polar Snapping on.
    xdo("key", "percent")
    wait("PolarSnap=1 in the settings", lambda: "PolarSnap=1" in CONF.read_text())
    # Copied in this program, pasted in a second one through the X
    # clipboard: the same bytes, and a group of two copies still a group
    # there (a click on one member selects both, and Delete takes both).
    xdo("key", "percent", "ctrl+Up")
    wait("PolarSnap=0 and Copies=2", lambda: all(x in CONF.read_text() for x in ("PolarSnap=0", "Copies=2")))
    draw(main, [(240, 120), (270, 160), (210, 160)])
    xdo("key", "ctrl+s")
    wait("third.jvf to hold 3 shapes", lambda: len((TMP / "third.jvf").read_bytes()) == 146)
    xdo("key", "ctrl+a")
    xdo("key", "ctrl+c")
    q, other = start()
    xdo("key", "ctrl+v")
    generate(q, other, "fourth.jvf", (TMP / "third.jvf").read_bytes(), ("alt+f", "g"))
    xdo("key", "Escape")
    click(other, 240, 145)
    xdo("key", "Delete")
    xdo("key", "ctrl+s")
    wait("fourth.jvf without the group", lambda: holds(TMP / "fourth.jvf", design(record(1, [(277, 112)], 0.5))))
    for p, main in ((q, other), (p, main)):
        run("wmctrl", "-i", "-c", main)
        check(p.wait(10) == 0, f"the program ended with {p.returncode}")

    # --play: full screen, the canvas a white square in the middle on black;
    # Space pauses, Escape ends it.
    p = spawn(PROGRAM, "--play", TMP / "first.jvf", cwd=TMP)
    wait("the player", lambda: on_screen(lambda w, h: [(2, h // 2), (w // 2, 5)]) == [(0, 0, 0), WHITE])
    xdo("key", "space")
    xdo("key", "Escape")
    check(p.wait(10) == 0, f"the player ended with {p.returncode}")


def on_screen(where):
    # The colours of the screen at the points where(width, height) gives.
    run("import", "-window", "root", "-depth", "8", f"ppm:{TMP}/screen.ppm")
    size, px = (TMP / "screen.ppm").read_bytes().split(b"\n", 3)[1::2]
    w, h = map(int, size.split())
    return [tuple(px[3 * (y * w + x):][:3]) for x, y in where(w, h)]


# Every wait is bounded, so a failing run ends well before ctest's timeout,
# which would kill this script alone and leave the processes it started.
try:
    session()
finally:
    # SIGKILL: nothing may hang the clean-up.
    for p in reversed(PROCS):
        p.kill()
        p.wait()
if not os.environ.get("VORTIGRAM_E2E_KEEP"):
    shutil.rmtree(TMP)

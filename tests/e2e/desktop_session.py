#!/usr/bin/env python3
"""Drives the real vortigram program the way a user does.

A private Xvfb server with openbox, a fresh HOME and XDG_CONFIG_HOME, real X
input through xdotool, screenshots through ImageMagick's `import`. The test
draws a polygon and a polyline, applies a typed scale, exports the design
through the Save As dialog, closes the window through the window manager and
checks the design file and the settings file byte for byte; then it starts the
program again and checks that the scale came back.

Usage: desktop_session.py <vortigram executable> <folder for failure artefacts>

Every process started here is ended by its pid, whatever happens. The
screenshots of a failing run, with the program's output, are kept in the
artefact folder; a passing run leaves none there unless VORTIGRAM_E2E_KEEP is
set in the environment.
"""

import configparser
import math
import os
import select
import signal
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

PI = 3.141592654
GRID_COLOUR = (100, 100, 100)
WHITE = (255, 255, 255)
HEADER_MAGIC = bytes([0xFF, 0xE0, 0xAD, 0x0F])
HEADER_TAIL = bytes([0xFF, 0xFF, 0xFF, 0x00])

# The editor window's layout, in client pixels.
CLIENT_SIZE = (480, 361)
STRIP_HEIGHT = 50


def dlu_rect(x, y, w, h):
    """Dialog units of the window's 6 x 13 pixel base font to client pixels."""
    px = lambda u: (u * 6 + 2) // 4
    py = lambda u: (u * 13 + 4) // 8
    return px(x), py(y), px(w), py(h)


def centre_of(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


POLYLINE_RADIO = dlu_rect(7, 6, 39, 8)
BACKGROUND_LIST = dlu_rect(106, 2, 51, 12)
FOREGROUND_LIST = dlu_rect(106, 16, 51, 12)
SCALE_FIELD = dlu_rect(182, 14, 26, 13)
GENERATE_BUTTON = dlu_rect(276, 16, 42, 12)

STEP_TIMEOUT = 10.0   # seconds any single expected change may take to show


class TestFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def log(message):
    print(f"[{time.monotonic() - START:6.2f}s] {message}", flush=True)


START = time.monotonic()


# ---------------------------------------------------------------- geometry

def snap_round(v):
    """The grid snap of a released point: remainder above 5 rounds up."""
    rem = v % 10
    return v - rem + (10 if rem > 5 else 0)


def to_polar(x, y, centre, scale):
    cx, cy = centre
    dx = x - cx
    dy = -(y - cy)
    radius = math.sqrt(dx * dx + dy * dy) / scale
    if dy > 0:
        angle = math.atan(dx / dy)
    elif dy < 0:
        angle = math.atan(dx / dy) + PI
    elif dx > 0:
        angle = PI / 2
    elif dx < 0:
        angle = -PI / 2
    else:
        angle = 0.0
    return angle, radius


def split_colour(value):
    return value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF


# ---------------------------------------------------------------- screenshots

class Screenshot:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        fields = []
        pos = 0
        # P6 header: magic, width, height, maxval, separated by white space
        # and possibly comments, then one white-space byte before the pixels.
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        pos += 1
        check(fields[0] == b"P6" and fields[3] == b"255",
              f"unexpected screenshot format {fields!r}")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos:pos + self.width * self.height * 3]
        self.path = path

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


class Window:
    """A top-level window of the program: its X id and client origin on screen."""

    def __init__(self, session, wid):
        self.session = session
        self.wid = wid
        geometry = session.xdotool_shell("getwindowgeometry", "--shell", wid)
        self.width, self.height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        # The client origin on the root window: move the pointer to the
        # window's (0, 0) and ask where it is; that holds whatever frame the
        # window manager puts around it.
        session.xdotool("mousemove", "--window", wid, "0", "0")
        location = session.xdotool_shell("getmouselocation", "--shell")
        self.origin = int(location["X"]), int(location["Y"])

    @property
    def centre(self):
        return self.width // 2, self.height // 2 + STRIP_HEIGHT // 2

    def pixel(self, shot, x, y):
        return shot.at(self.origin[0] + x, self.origin[1] + y)

    # Each xdotool run ends with its requests processed by the server (its
    # display connection is closed with a sync), so input sent by one run
    # reaches the program before any input of the next.
    def click(self, x, y, button=1):
        self.session.xdotool("mousemove", "--window", self.wid, str(x), str(y),
                             "click", str(button))


# ---------------------------------------------------------------- session

class Session:
    def __init__(self, program, artefacts):
        self.program = program
        self.artefacts = artefacts
        self.tmp = tempfile.mkdtemp(prefix="vortigram-e2e-")
        self.procs = []       # (name, Popen) in start order
        self.shots = []       # every screenshot taken, in order
        self.display = None
        home = os.path.join(self.tmp, "home")
        self.config = os.path.join(self.tmp, "config")
        runtime = os.path.join(self.tmp, "runtime")
        self.out = os.path.join(self.tmp, "out")
        self.cwd = os.path.join(self.tmp, "cwd")
        for d in (home, self.config, runtime, self.out, self.cwd):
            os.makedirs(d, mode=0o700)
        # A clean environment: nothing of the calling user's session (its
        # display, settings, Qt or desktop variables) leaks in.
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": self.config,
            "XDG_RUNTIME_DIR": runtime,
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
        }
        # The sanitizer build's rules (make check) are the test's, not the
        # session's: the program must run under them here too.
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                self.env[name] = os.environ[name]
        self.logs = {}

    def spawn(self, name, argv, **kwargs):
        logfile = open(os.path.join(self.tmp, f"{name}.log"), "ab")
        self.logs[name] = logfile.name
        proc = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=logfile, stderr=subprocess.STDOUT, **kwargs)
        logfile.close()
        self.procs.append((name, proc))
        log(f"started {name} (pid {proc.pid})")
        return proc

    def stop_all(self):
        for name, proc in reversed(self.procs):
            if proc.poll() is not None:
                continue
            proc.terminate()
            try:
                proc.wait(timeout=3)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait(timeout=3)
            log(f"stopped {name} (pid {proc.pid})")
        self.procs.clear()

    def run(self, argv, timeout=10):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True,
                                timeout=timeout)
        return result

    def xdotool(self, *args):
        result = self.run(["xdotool", *args])
        check(result.returncode == 0,
              f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
        return result.stdout

    def xdotool_shell(self, *args):
        values = {}
        for line in self.xdotool(*args).splitlines():
            key, _, value = line.partition("=")
            values[key] = value
        return values

    # -- the X server and the window manager

    def start_display(self):
        read_end, write_end = os.pipe()
        self.spawn("Xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                            "1024x768x24", "-nolisten", "tcp", "-noreset"],
                   pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + STEP_TIMEOUT
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
            check(ready, "Xvfb did not report a display number")
            chunk = os.read(read_end, 16)
            check(chunk, "Xvfb exited before it reported a display number")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display
        log(f"Xvfb is on display {self.display}")

        self.spawn("openbox", ["openbox", "--sm-disable"])
        wait_for("openbox to manage the screen",
                 lambda: self.run(["wmctrl", "-m"]).returncode == 0 or None)

    # -- screenshots

    def screenshot(self, label):
        path = os.path.join(self.tmp, f"{len(self.shots):02d}-{label}.ppm")
        result = self.run(["import", "-window", "root", "-depth", "8", f"ppm:{path}"])
        check(result.returncode == 0, f"import failed: {result.stderr.strip()}")
        self.shots.append(path)
        return Screenshot(path)

    def keep_artefacts(self, final=True):
        """Copies the screenshots (as PNG) and the logs into the artefact folder."""
        os.makedirs(self.artefacts, exist_ok=True)
        if self.display and final:
            try:
                self.screenshot("at-failure")
            except Exception as error:  # the server itself may be the failure
                log(f"no final screenshot: {error}")
        for path in self.shots:
            name = os.path.splitext(os.path.basename(path))[0] + ".png"
            subprocess.run(["convert", path, os.path.join(self.artefacts, name)],
                           capture_output=True)
        for path in self.logs.values():
            shutil.copy(path, self.artefacts)
        for path in (self.settings_path(),):
            if os.path.exists(path):
                shutil.copy(path, self.artefacts)
        log(f"screenshots and logs kept in {self.artefacts}")

    # -- the program

    def settings_path(self):
        return os.path.join(self.config, "Marbrel", "vortigram.conf")

    def start_program(self, name):
        proc = self.spawn(name, [self.program], cwd=self.cwd)

        def found():
            check(proc.poll() is None, f"{name} exited early with {proc.returncode}")
            result = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid),
                               "--name", "^Vortigram$"])
            ids = result.stdout.split()
            return ids[0] if ids else None

        wid = wait_for("the Vortigram window", found)
        wait_for("the Vortigram window to take the focus",
                 lambda: self.run(["xdotool", "getactivewindow"]).stdout.strip() == wid or None)
        window = Window(self, wid)
        log(f"window {wid}: client {window.width} x {window.height} at {window.origin}")
        return proc, window

    def dialog_of(self, proc, main):
        """Waits for a second visible window of the program and for it to have the focus."""
        def found():
            check(proc.poll() is None, f"the program exited with {proc.returncode}")
            result = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid),
                               "--name", "."])
            others = [w for w in result.stdout.split() if w != main.wid]
            if not others:
                return None
            active = self.run(["xdotool", "getactivewindow"]).stdout.strip()
            return active if active in others else None
        return wait_for("the Save As dialog", found)

    def close_program(self, proc, window):
        self.run(["wmctrl", "-i", "-c", window.wid])
        try:
            code = proc.wait(timeout=STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise TestFailure("the program did not end after the window manager closed it")
        check(code == 0, f"the program ended with exit code {code}")
        log("program closed through the window manager")


def wait_for(what, probe, timeout=STEP_TIMEOUT):
    """Polls probe() until it returns something other than None."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value is not None:
            return value
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out waiting for {what}")
        time.sleep(0.05)


def wait_for_screen(session, what, checks):
    """Takes screenshots until checks(shot) returns no problems.

    Painting happens some time after the input that caused it; there is no
    event to wait for from outside, so poll the screen itself."""
    deadline = time.monotonic() + STEP_TIMEOUT
    while True:
        shot = session.screenshot(what.replace(" ", "-"))
        problems = checks(shot)
        if not problems:
            log(f"screen shows {what}")
            return shot
        if time.monotonic() > deadline:
            raise TestFailure(f"screen does not show {what}: " + "; ".join(problems))
        os.remove(shot.path)
        session.shots.pop()
        time.sleep(0.1)


def near(window, shot, x, y, colour, reach=1):
    """True when the colour is at (x, y) or a neighbour: a line drawn from
    polar points may land one pixel off its clicked position."""
    return any(window.pixel(shot, x + i, y + j) == colour
               for i in range(-reach, reach + 1) for j in range(-reach, reach + 1))


# ---------------------------------------------------------------- checks

def canvas_problems(window, shot):
    """Axes, a grid dot and the white canvas around them."""
    problems = []
    cx, cy = window.centre
    # A grid dot away from the axes, with white around it.
    if window.pixel(shot, 50, 100) != GRID_COLOUR:
        problems.append(f"grid dot (50, 100) is {window.pixel(shot, 50, 100)}")
    for x, y in ((49, 100), (51, 100), (50, 99), (50, 101), (55, 105)):
        if window.pixel(shot, x, y) != WHITE:
            problems.append(f"canvas ({x}, {y}) beside a grid dot is {window.pixel(shot, x, y)}")
    # Dash-dot axes: a good share of the pixels on the line, white beside it.
    vertical = [window.pixel(shot, cx, y) for y in range(55, 140)]
    horizontal = [window.pixel(shot, x, cy) for x in range(5, 100)]
    for name, line in (("vertical", vertical), ("horizontal", horizontal)):
        on = line.count(GRID_COLOUR)
        if on < len(line) // 4 or on == len(line):
            problems.append(f"{name} axis has {on} of {len(line)} pixels in the axis colour")
        if any(p not in (GRID_COLOUR, WHITE) for p in line):
            problems.append(f"{name} axis has stray colours {set(line)}")
    beside = [window.pixel(shot, cx + 1, y) for y in range(55, 140)]
    beside += [window.pixel(shot, x, cy + 1) for x in range(5, 100)]
    if any(p != WHITE for p in beside):
        problems.append("the pixels beside the axes are not white")
    return problems


class Expected:
    """A shape as the test enters it: its kind, colours and vertices."""

    def __init__(self, kind, clicks, scale):
        self.kind = kind
        self.clicks = clicks
        self.points = [(snap_round(x), snap_round(y)) for x, y in clicks]
        self.scale = scale
        self.fill = self.pen = None


def draw(window, shape):
    for x, y in shape.clicks:
        window.click(x, y)
    window.click(*shape.clicks[-1], button=3)


def check_design(path, shapes, centre):
    with open(path, "rb") as f:
        data = f.read()
    expected_size = 10 + sum(8 + 16 * len(s.points) for s in shapes)
    check(len(data) == expected_size,
          f"design file has {len(data)} bytes, expected {expected_size}: {data.hex(' ')}")
    check(data[0:4] == HEADER_MAGIC, f"bad magic {data[0:4].hex(' ')}")
    count = struct.unpack_from("<H", data, 4)[0]
    check(count == len(shapes), f"header counts {count} shapes, expected {len(shapes)}")
    check(data[6:10] == HEADER_TAIL, f"bad header tail {data[6:10].hex(' ')}")
    pos = 10
    for index, shape in enumerate(shapes):
        kind, n = data[pos], data[pos + 1]
        fill, pen = tuple(data[pos + 2:pos + 5]), tuple(data[pos + 5:pos + 8])
        what = f"record {index}"
        check(kind == shape.kind, f"{what}: type {kind}, expected {shape.kind}")
        check(n == len(shape.points), f"{what}: {n} vertices, expected {len(shape.points)}")
        check(fill == shape.fill, f"{what}: fill {fill}, expected {shape.fill}")
        check(pen == shape.pen, f"{what}: pen {pen}, expected {shape.pen}")
        pos += 8
        for (x, y) in shape.points:
            angle, radius = struct.unpack_from("<dd", data, pos)
            want_angle, want_radius = to_polar(x, y, centre, shape.scale)
            # The conversion is a handful of correctly rounded operations and
            # one atan; allow for a different but equivalent order of them.
            check(math.isclose(angle, want_angle, rel_tol=1e-12, abs_tol=1e-12) and
                  math.isclose(radius, want_radius, rel_tol=1e-12, abs_tol=1e-12),
                  f"{what}: vertex ({x}, {y}) at scale {shape.scale} stored as "
                  f"({angle!r}, {radius!r}), expected ({want_angle!r}, {want_radius!r})")
            pos += 16
    log(f"{os.path.basename(path)}: {len(data)} bytes as expected")


def read_settings(path):
    check(os.path.exists(path), f"no settings file at {path}")
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    with open(path, encoding="utf-8") as f:
        text = f.read()
    parser.read_string(text)
    return parser, text


def colour_list(parser, section, text):
    check(parser.has_section(section), f"settings have no [{section}]:\n{text}")
    entries = dict(parser.items(section))
    names = sorted(entries, key=lambda k: int(k) if k.isdigit() else -1)
    check(names == [str(i) for i in range(10)],
          f"[{section}] holds entries {names}, expected 0..9:\n{text}")
    values = []
    for name in names:
        raw = entries[name]
        check(raw.lstrip("-").isdigit() and str(int(raw)) == raw,
              f"[{section}] {name}={raw!r} is not signed decimal text")
        values.append(int(raw))
    return values


def generate(session, proc, window, path):
    window.click(*centre_of(GENERATE_BUTTON))
    session.dialog_of(proc, window)
    log("Save As dialog is up")
    session.xdotool("type", "--delay", "15", path)
    session.screenshot("save-as-" + os.path.basename(path))
    session.xdotool("key", "Return")


def wait_for_file(path, size):
    wait_for(f"{path} to be written",
             lambda: (os.path.exists(path) and os.path.getsize(path) >= size) or None)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program, artefacts = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    # Screenshots of an earlier failing run would mislead once this one passes.
    shutil.rmtree(artefacts, ignore_errors=True)
    # ctest ends a test that overruns its time with SIGTERM; turn that into an
    # exit so that the clean-up below still ends every process started here.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    session = Session(program, artefacts)
    try:
        session.start_display()
        second_run(session, first_run(session))
        log("PASS")
        if os.environ.get("VORTIGRAM_E2E_KEEP"):
            session.keep_artefacts(final=False)
        return 0
    except Exception as failure:
        if isinstance(failure, (TestFailure, subprocess.TimeoutExpired)):
            log(f"FAIL: {failure}")
        else:
            log("FAIL: " + "".join(traceback.format_exception(failure)))
        session.keep_artefacts()
        for name, path in session.logs.items():
            if name.startswith("vortigram"):
                with open(path, errors="replace") as f:
                    output = f.read().strip()
                if output:
                    log(f"output of {name}:\n{output}")
        return 1
    finally:
        session.stop_all()
        shutil.rmtree(session.tmp, ignore_errors=True)


def first_run(session):
    proc, window = session.start_program("vortigram-1")
    check((window.width, window.height) == CLIENT_SIZE,
          f"client area {window.width} x {window.height}, expected {CLIENT_SIZE}")
    centre = window.centre
    wait_for_screen(session, "the empty canvas", lambda shot: canvas_problems(window, shot))

    # Fill from the second Background colour; one wheel step down moves the
    # closed drop-down's selection by one entry.
    window.click(*centre_of(BACKGROUND_LIST), button=5)

    polygon = Expected(1, [(187, 147), (305, 146), (296, 255), (194, 253)], 1.0)
    check(polygon.points == [(190, 150), (300, 150), (300, 250), (190, 250)],
          "the test's own snapping is wrong")
    draw(window, polygon)
    inside, outside = (255, 177), (155, 105)

    def polygon_problems(shot):
        problems = canvas_problems(window, shot)
        fill = window.pixel(shot, *inside)
        if fill in (WHITE, GRID_COLOUR, (0, 0, 0)):
            problems.append(f"inside of the polygon is {fill}, not the second Background colour")
        if window.pixel(shot, *outside) != WHITE:
            problems.append(f"outside of the polygon is {window.pixel(shot, *outside)}")
        if not near(window, shot, 190, 175, (0, 0, 0)):
            problems.append("no black outline on the polygon's left edge")
        if window.pixel(shot, 250, 200) != GRID_COLOUR:
            problems.append("grid dot inside the polygon is not drawn over its fill")
        return problems

    shot_polygon = wait_for_screen(session, "the filled polygon", polygon_problems)
    seen_fill = window.pixel(shot_polygon, *inside)

    # The polyline: its outline from the fifth Foreground colour, entered
    # after a scale of 2.5 has been typed and applied with Enter.
    window.click(POLYLINE_RADIO[0] + 5, POLYLINE_RADIO[1] + POLYLINE_RADIO[3] // 2)
    window.click(*centre_of(FOREGROUND_LIST), button=5)
    window.click(*centre_of(FOREGROUND_LIST), button=5)
    window.click(*centre_of(FOREGROUND_LIST), button=5)
    window.click(*centre_of(FOREGROUND_LIST), button=5)
    window.click(*centre_of(SCALE_FIELD))
    session.xdotool("key", "ctrl+a")
    session.xdotool("type", "2.5")
    session.xdotool("key", "Return")

    # At 2.5 the polygon spans about (115, 67) to (390, 317).
    grown_inside, grown_outside = (375, 95), (100, 95)

    def scaled_problems(shot):
        problems = []
        if window.pixel(shot, *grown_inside) != seen_fill:
            problems.append(f"{grown_inside} is {window.pixel(shot, *grown_inside)}, "
                            f"not the fill {seen_fill} of the polygon grown 2.5 times")
        if window.pixel(shot, *grown_outside) != WHITE:
            problems.append(f"{grown_outside} outside the grown polygon is "
                            f"{window.pixel(shot, *grown_outside)}")
        return problems

    wait_for_screen(session, "the polygon at scale 2.5", scaled_problems)
    check(proc.poll() is None, "Enter in the Scale field ended the program")

    polyline = Expected(2, [(63, 333), (418, 327), (421, 352)], 2.5)
    check(polyline.points == [(60, 330), (420, 330), (420, 350)],
          "the test's own snapping is wrong")
    draw(window, polyline)
    line_probe = (255, 330)

    def polyline_problems(shot):
        problems = scaled_problems(shot)
        colour = window.pixel(shot, line_probe[0], line_probe[1] - 5)
        if colour != WHITE:
            problems.append(f"above the polyline is {colour}")
        if not any(window.pixel(shot, line_probe[0], line_probe[1] + d) not in (WHITE, GRID_COLOUR)
                   for d in (-1, 0, 1)):
            problems.append("the polyline is not drawn where it was clicked")
        return problems

    shot_polyline = wait_for_screen(session, "the polyline", polyline_problems)
    seen_pen = next(window.pixel(shot_polyline, line_probe[0], line_probe[1] + d)
                    for d in (-1, 0, 1)
                    if window.pixel(shot_polyline, line_probe[0], line_probe[1] + d)
                    not in (WHITE, GRID_COLOUR))

    # While the Save As dialog's completer shows its list, Return only closes
    # the list; so the names typed here match nothing already in the folder.
    design = os.path.join(session.out, "design")
    generate(session, proc, window, design)
    design += ".JVF"   # the default suffix for a name typed without one
    wait_for_file(design, 10)
    session.close_program(proc, window)
    check(os.listdir(session.cwd) == [], f"files written to the working folder: "
          f"{os.listdir(session.cwd)}")

    parser, text = read_settings(session.settings_path())
    check(parser.get("Settings", "Scale", fallback=None) == "2.500000",
          f"Settings/Scale is not 2.500000:\n{text}")
    background = colour_list(parser, "Background", text)
    foreground = colour_list(parser, "Foreground", text)
    check(background[0] == 0 and foreground[0] == 0,
          f"the first default colour is not black:\n{text}")

    polygon.fill, polygon.pen = split_colour(background[1]), split_colour(foreground[0])
    polyline.fill, polyline.pen = split_colour(background[1]), split_colour(foreground[4])
    check(seen_fill == polygon.fill,
          f"the polygon was painted in {seen_fill}, the second Background colour is {polygon.fill}")
    check(seen_pen == polyline.pen,
          f"the polyline was painted in {seen_pen}, the fifth Foreground colour is {polyline.pen}")
    check_design(design, [polygon, polyline], centre)
    return design


def second_run(session, first_path):
    with open(first_path, "rb") as f:
        first_design = f.read()
    proc, window = session.start_program("vortigram-2")
    wait_for_screen(session, "the empty canvas again", lambda shot: canvas_problems(window, shot))

    # Drawn at the restored scale: the radius of (300, 160) is 75 / 2.5.
    dot = Expected(1, [(303, 157)], 2.5)
    draw(window, dot)
    design = os.path.join(session.out, "second.jvf")
    generate(session, proc, window, design)
    wait_for_file(design, 10)
    session.close_program(proc, window)

    parser, text = read_settings(session.settings_path())
    check(parser.get("Settings", "Scale", fallback=None) == "2.500000",
          f"the restored scale was not saved back as 2.500000:\n{text}")
    background = colour_list(parser, "Background", text)
    foreground = colour_list(parser, "Foreground", text)
    dot.fill, dot.pen = split_colour(background[0]), split_colour(foreground[0])
    check_design(design, [dot], window.centre)
    with open(first_path, "rb") as f:
        check(f.read() == first_design, "the first design file changed in the second run")


if __name__ == "__main__":
    sys.exit(main())

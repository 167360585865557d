#!/usr/bin/env python3
# Packs a build folder with CPack; checks the Debian package. Args: cpack, build folder.
import configparser, os, shutil, struct, subprocess, sys, tempfile

PROGRAM = "usr/bin/vortigram"
ENTRY = "usr/share/applications/vortigram.desktop"
SVG = "usr/share/icons/hicolor/scalable/apps/vortigram.svg"
METAINFO = "usr/share/metainfo/io.github.marbrel.vortigram.metainfo.xml"
MIME_XML = "usr/share/mime/packages/vortigram.xml"
ICONS = [f"icons/hicolor/{s}x{s}/apps/vortigram.png" for s in (32, 48, 64, 128, 256)]
FILES = {PROGRAM, ENTRY, SVG, METAINFO, MIME_XML, "usr/share/man/man1/vortigram.1.gz",
         "usr/share/doc/vortigram/copyright", "usr/share/doc/vortigram/changelog.gz",
         *("usr/share/" + icon for icon in ICONS)}
MIME = "application/x-vortigram-design"


def run(*command, quiet=False, timeout=60, **options):
    # Runs a tool, failing on a non-zero exit (or on any output when quiet).
    try:
        r = subprocess.run(command, capture_output=True, text=True, timeout=timeout, **options)
    except subprocess.TimeoutExpired:
        sys.exit(f"FAIL: {' '.join(command)} did not finish")
    if r.returncode != 0 or (quiet and (r.stdout + r.stderr).strip()):
        sys.exit(f"FAIL: {' '.join(command)} exited {r.returncode}:\n{r.stdout}{r.stderr}")
    return r.stdout


def check(cpack, build, tmp):
    config = os.path.abspath(os.path.join(build, "CPackConfig.cmake"))
    run(cpack, "-G", "DEB", "--config", config, "-B", tmp, cwd=tmp)
    deb = os.path.join(tmp, f"vortigram_1.0_{run('dpkg', '--print-architecture').strip()}.deb")
    listed = {line.split()[-1][2:] for line in run("dpkg-deb", "-c", deb).splitlines()}
    if missing := FILES - listed:
        sys.exit(f"FAIL: the package lacks {sorted(missing)}")
    if "libqt6widgets6" not in run("dpkg-deb", "-f", deb, "Depends"):
        sys.exit("FAIL: Depends does not name the Qt libraries the program links")
    root = os.path.join(tmp, "root")
    run("dpkg-deb", "-x", deb, root)
    run("desktop-file-validate", os.path.join(root, ENTRY), quiet=True)
    run("appstreamcli", "validate", "--no-net", os.path.join(root, METAINFO))
    run("xmllint", "--noout", os.path.join(root, MIME_XML), os.path.join(root, SVG))
    parser = configparser.ConfigParser(interpolation=None)
    parser.read(os.path.join(root, ENTRY), encoding="utf-8")
    entry = parser["Desktop Entry"]
    # Exec must find the installed program and hand it the file; Icon must be ours.
    if (entry.get("Exec", "").split() != [os.path.basename(PROGRAM), "%f"]
            or MIME not in entry.get("MimeType", "").split(";") or entry.get("Icon") != "vortigram"
            or "Graphics" not in entry.get("Categories", "").split(";")):
        sys.exit(f"FAIL: the desktop entry does not open design files: {dict(entry)}")
    for icon in ICONS:
        with open(os.path.join(root, "usr/share", icon), "rb") as f:
            width, height = struct.unpack(">II", f.read(24)[16:])
        if f"{width}x{height}" != icon.split("/")[2]:
            sys.exit(f"FAIL: {icon} is {width}x{height}")
    # A design is known by its name and, without one, by its first bytes.
    run("update-mime-database", os.path.join(root, "usr/share/mime"))
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(root, "usr/share"),
               XDG_DATA_DIRS="/usr/share")
    for name, data in (("design", b"\xff\xe0\xad\x0f\0\0\xff\xff\xff\0"), ("a.JVF", b"text\n")):
        with open(os.path.join(tmp, name), "wb") as f:
            f.write(data)
        found = run("gio", "info", "-a", "standard::content-type", f.name, env=env).split()[-1]
        if found != MIME:
            sys.exit(f"FAIL: {name} is taken for {found}")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    version = run(os.path.join(root, PROGRAM), "--version", env=env, timeout=10).strip()
    if version != "Vortigram Version 1.0":
        sys.exit(f"FAIL: --version printed {version!r}")
    print(f"{os.path.basename(deb)}: {len(listed)} entries, files, types and --version checked")


if __name__ == "__main__":
    tmp = tempfile.mkdtemp(prefix="vortigram-package-")
    try:
        check(sys.argv[1], sys.argv[2], tmp)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)

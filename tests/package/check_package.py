#!/usr/bin/env python3
# Packs a build folder with CPack and checks the Debian package: its files,
# the validators' verdicts, the desktop entry, the icons, the design file
# type by name and by magic, and the packaged program answering.
# Usage: check_package.py <cpack> <build folder> <version>
import os, shutil, subprocess, sys, tempfile

TMP = tempfile.mkdtemp(prefix="vortigram-package-")
ROOT, SHARE, MIME = TMP + "/root", "usr/share/", "application/x-vortigram-design"
SIZES = ("32", "48", "64", "128", "256")
FILES = {"usr/bin/vortigram", SHARE + "applications/vortigram.desktop", SHARE + "mime/packages/vortigram.xml",
         SHARE + "metainfo/io.github.marbrel.vortigram.metainfo.xml", SHARE + "man/man1/vortigram.1.gz",
         SHARE + "icons/hicolor/scalable/apps/vortigram.svg", SHARE + "doc/vortigram/copyright",
         SHARE + "doc/vortigram/changelog.gz"} | {f"{SHARE}icons/hicolor/{s}x{s}/apps/vortigram.png" for s in SIZES}


def run(*command, quiet=False, **options):
    # A tool that fails, or says anything when it should be quiet, fails the check.
    r = subprocess.run(command, capture_output=True, text=True, timeout=60, **options)
    if r.returncode or (quiet and (r.stdout + r.stderr).strip()):
        sys.exit(f"FAIL: {' '.join(command)} exited {r.returncode}:\n{r.stdout}{r.stderr}")
    return r.stdout


def check(ok, why):
    if not ok:
        sys.exit("FAIL: " + why)


run(sys.argv[1], "-G", "DEB", "--config", os.path.abspath(sys.argv[2] + "/CPackConfig.cmake"), "-B", TMP, cwd=TMP)
deb = f"{TMP}/vortigram_{sys.argv[3]}_{run('dpkg', '--print-architecture').strip()}.deb"
listed = {line.split()[-1][2:] for line in run("dpkg-deb", "-c", deb).splitlines()}
check(FILES <= listed, f"the package lacks {sorted(FILES - listed)}")
depends = run("dpkg-deb", "-f", deb, "Depends")
check(all(f"{lib} (" in depends for lib in ("libqt6widgets6", "libqt6printsupport6", "libgif7", "libwebp7")),
      f"Depends lacks a library the program links: {depends}")
run("dpkg-deb", "-x", deb, ROOT)
entry = f"{ROOT}/{SHARE}applications/vortigram.desktop"
run("desktop-file-validate", entry, quiet=True)
run("appstreamcli", "validate", "--no-net", f"{ROOT}/{SHARE}metainfo/io.github.marbrel.vortigram.metainfo.xml")
run("xmllint", "--noout", f"{ROOT}/{SHARE}mime/packages/vortigram.xml", f"{ROOT}/{SHARE}icons/hicolor/scalable/apps/vortigram.svg")
# The entry must start the installed program on the file, for the design type.
lines = open(entry).read().splitlines()
check({"Exec=vortigram %f", f"MimeType={MIME};", "Icon=vortigram"} <= set(lines), f"the entry: {lines}")
for s in SIZES:
    header = open(f"{ROOT}/{SHARE}icons/hicolor/{s}x{s}/apps/vortigram.png", "rb").read(24)
    check(header[16:24] == int(s).to_bytes(4, "big") * 2, f"the {s}x{s} icon is not that size")
# A design is known by its name and, without one, by its first bytes.
run("update-mime-database", f"{ROOT}/{SHARE}mime")
env = dict(os.environ, XDG_DATA_HOME=f"{ROOT}/{SHARE}", XDG_DATA_DIRS="/usr/share")
for name, data in (("design", b"\xff\xe0\xad\x0f\0\0\xff\xff\xff\0"), ("a.JVF", b"text\n")):
    open(f"{TMP}/{name}", "wb").write(data)
    found = run("gio", "info", "-a", "standard::content-type", f"{TMP}/{name}", env=env).split()[-1]
    check(found == MIME, f"{name} is taken for {found}")
version = run(f"{ROOT}/usr/bin/vortigram", "--version", env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
check(version == f"Vortigram Version {sys.argv[3]}\n", f"--version printed {version!r}")
print(f"{os.path.basename(deb)}: {len(listed)} entries, files, types and --version checked")
shutil.rmtree(TMP)

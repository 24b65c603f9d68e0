#!/usr/bin/env python3
"""`cmake --install` into a scratch prefix installs exactly the expected
files, and each one is what its consumer accepts: the desktop entry passes
desktop-file-validate, the man pages render without a groff warning, the
XScreenSaver page is well-formed with sane slider ranges, every icon has the
size of its folder, and the hack link leads to the program.

    layout_test.py BUILD_DIR
"""
import gzip
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ICON_SIZES = (16, 32, 48, 64, 128, 256)
MAN_PAGES = ("orbit-patrol", "orbit-patrol-inspect", "orbit-patrol-xscreensaver-setup")
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "expected-files.txt")) as f:
    EXPECTED = sorted(line.strip() for line in f if line.strip() and not line.startswith("#"))

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def main(build):
    with tempfile.TemporaryDirectory() as prefix:
        r = run(["cmake", "--install", build, "--prefix", prefix])
        check(r.returncode == 0, "cmake --install: " + r.stderr)
        found = sorted(os.path.relpath(os.path.join(d, f), prefix)
                       for d, _, files in os.walk(prefix) for f in files)
        check(found == EXPECTED, "installed files differ: extra %s, missing %s" % (
            sorted(set(found) - set(EXPECTED)), sorted(set(EXPECTED) - set(found))))

        hack = os.path.join(prefix, "libexec/xscreensaver/orbit-patrol")
        check(os.path.islink(hack) and not os.path.isabs(os.readlink(hack))
              and os.path.realpath(hack) == os.path.realpath(os.path.join(prefix, "bin/orbit-patrol")),
              "the hack is not a relative link to bin/orbit-patrol")
        for name in ("orbit-patrol", "orbit-patrol-inspect", "orbit-patrol-xscreensaver-setup"):
            check(os.access(os.path.join(prefix, "bin", name), os.X_OK), name + " is not executable")

        desktop = os.path.join(prefix, "share/applications/orbit-patrol-settings.desktop")
        r = run(["desktop-file-validate", desktop])
        check(r.returncode == 0 and not r.stdout.strip(), "desktop-file-validate: " + r.stdout + r.stderr)
        entry = dict(line.split("=", 1) for line in open(desktop) if "=" in line)
        check(entry.get("Exec", "").split() == ["orbit-patrol", "/c"], "desktop entry does not open /c")
        check(entry.get("Icon", "").strip() == "orbit-patrol", "desktop entry icon is not the theme icon")

        env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80")
        for page in MAN_PAGES:
            path = os.path.join(prefix, "share/man/man1/%s.1.gz" % page)
            r = run(["man", "--warnings", "-l", path], env=env)
            check(r.returncode == 0 and not r.stderr.strip(), "man --warnings %s: %s" % (page, r.stderr))
            check(page.split("-")[-1].upper() in r.stdout.upper(), "%s.1 renders empty" % page)
            with gzip.open(path) as f:
                header = f.read(64)
            check(header.startswith(b".TH " + page.upper().encode()), page + ".1 has the wrong title")

        for size in ICON_SIZES:
            path = os.path.join(prefix, "share/icons/hicolor/%dx%d/apps/orbit-patrol.png" % (size, size))
            with open(path, "rb") as f:
                head = f.read(26)
            w, h, depth, colour = struct.unpack(">IIBB", head[16:26])
            check((w, h, depth, colour) == (size, size, 8, 6), "icon %d is %dx%d, type %d" % (size, w, h, colour))

        xml_path = os.path.join(prefix, "share/xscreensaver/config/orbit-patrol.xml")
        r = run(["xmllint", "--noout", xml_path])
        check(r.returncode == 0, "xmllint: " + r.stderr)
        root = ET.parse(xml_path).getroot()
        check((root.tag, root.get("name"), root.get("_label"), root.get("gl")) ==
              ("screensaver", "orbit-patrol", "Orbit Patrol", "yes"), "screensaver element attributes")
        check([c.get("arg") for c in root.iter("command")] == ["--root"], "command is not --root")
        for number in root.iter("number"):
            low, high, default = (float(number.get(k)) for k in ("low", "high", "default"))
            check(low <= default <= high, "%s: default outside its range" % number.get("id"))
        check(len((root.findtext("_description") or "").split()) > 20, "no description of the scene")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

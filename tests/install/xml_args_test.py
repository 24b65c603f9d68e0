#!/usr/bin/env python3
"""Every option the XScreenSaver settings page can pass is one the program
accepts: each slider's arg at its lowest, highest and default value, each
check box's arg, and the file chooser's arg with a real 3DS file. Each runs
for a second as a hack in the X root window (xscreensaver-settings runs it
so in its preview) and must still be running then and end with status 0 on
SIGTERM. A made-up option must be refused with status 1, which shows the
options are checked at all. Needs an X server ($DISPLAY).

    xml_args_test.py PROGRAM XML_FILE MODEL_FILE
"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET


def runs(xml_path, model):
    root = ET.parse(xml_path).getroot()
    for node in root.iter():
        if node.tag == "number":
            for key in ("low", "high", "default"):
                yield node.get("arg").replace("%", node.get(key)).split()
        elif node.tag == "boolean":
            for key in ("arg-set", "arg-unset"):
                if node.get(key):
                    yield node.get(key).split()
        elif node.tag == "file":
            yield node.get("arg").replace("%", model).split()
        elif node.tag == "select":
            for option in node.iter("option"):
                if option.get("arg-set"):
                    yield option.get("arg-set").split()


def main(program, xml_path, model):
    info = subprocess.run(["xwininfo", "-root"], capture_output=True, text=True, check=True).stdout
    root_id = re.search(r"Window id: (0x[0-9a-f]+)", info).group(1)
    rows = [(args, "runs") for args in runs(xml_path, model)]
    rows.append((["--orbit-patrol-no-such-option"], "refused"))
    failures = 0
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
        for args, expected in rows:
            command = [program, "--window-id", root_id] + args
            p = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            deadline = time.monotonic() + 1.0
            while time.monotonic() < deadline and p.poll() is None:
                time.sleep(0.05)
            running = p.poll() is None
            if running:
                p.send_signal(signal.SIGTERM)
            try:
                _, err = p.communicate(timeout=10)
            except subprocess.TimeoutExpired:
                p.kill()
                _, err = p.communicate()
            if expected == "runs":
                ok = running and p.returncode == 0
            else:
                ok = not running and p.returncode == 1 and err.strip() != ""
            print("%s %s: %s, status %s" % ("ok  " if ok else "FAIL", " ".join(args),
                                          "ran a second" if running else "ended", p.returncode))
            if not ok:
                print("   stderr:", err.strip()[:400])
                failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))

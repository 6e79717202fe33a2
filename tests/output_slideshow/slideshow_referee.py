#!/usr/bin/env python3
"""The built SLIDESHOW judged from outside, on an X server (run under xvfb-run, 1024 x 768).

slideshow_referee.py SLIDESHOW WRITE_PACKAGE_PY WORK_DIR

A slide show made by the outside package writer starts and fills the screen; the centre shows
the first image, a corner the background colour; Escape ends it with status 0; a second copy
ends without a window; a truncated copy ends with status 1 and no window; a damaged index shows
a message box that Return closes (status 1). The player links no library of the build tree.
"""
import os
import shutil
import subprocess
import sys
import time

PLAYER, WRITER, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
FAILURES = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        FAILURES.append(what)


def run(*command, **kwargs):
    return subprocess.run(command, check=True, capture_output=True, text=True, **kwargs).stdout


def windows_named(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                           capture_output=True, text=True).stdout.split()
    return found


def wait_for_window(name, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        found = windows_named(name)
        if found:
            return found[0]
        time.sleep(0.1)
    return None


def pixel(png, x, y):
    text = run("convert", png, "-format", "%%[fx:int(255*p{%d,%d}.r)],%%[fx:int(255*p{%d,%d}.g)],"
               "%%[fx:int(255*p{%d,%d}.b)]" % (x, y, x, y, x, y), "info:")
    return tuple(int(v) for v in text.split(","))


def near(a, b, tolerance=12):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def start(path, *arguments):
    return subprocess.Popen([path, *arguments], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True, env=ENV)


def finished(process, seconds=5):
    try:
        process.wait(timeout=seconds)
        return process.returncode
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK, mode=0o700)
ENV = dict(os.environ, XDG_RUNTIME_DIR=WORK)

# The player needs only the system and Qt.
dynamic = run("readelf", "-d", PLAYER)
check("RPATH" not in dynamic and "RUNPATH" not in dynamic, "SLIDESHOW has no RPATH or RUNPATH")
build_tree = os.path.dirname(os.path.dirname(os.path.abspath(PLAYER)))
for line in run("ldd", PLAYER).splitlines():
    if "=>" in line:
        target = line.split("=>")[1].split("(")[0].strip()
        check(target.startswith(("/lib", "/usr/lib")) and not target.startswith(build_tree),
              "library from the system: " + line.strip())
check("velmora" not in dynamic.lower() and "pictavo" not in dynamic.lower(),
      "SLIDESHOW needs none of the project's libraries")

# Holiday: a 300 x 200 red picture, then a blue one, on RGB(32, 96, 160).
red, blue = os.path.join(WORK, "red.jpg"), os.path.join(WORK, "blue.jpg")
run("convert", "-size", "300x200", "xc:#e01010", "-quality", "95", red)
run("convert", "-size", "200x300", "xc:#1010e0", "-quality", "95", blue)
holiday = os.path.join(WORK, "Holiday")
run("python3", WRITER, holiday, PLAYER, "--options", str(0x00A06020), "3", "red=" + red,
    "blue=" + blue)
os.chmod(holiday, 0o755)
header = run("readelf", "-h", holiday)
check("Type:                              EXEC" in header or "Type:                              DYN" in header,
      "readelf reads the package as an executable")

show = start(holiday)
window = wait_for_window("Holiday")
check(window is not None, "the slide show opens a window")
if window:
    time.sleep(0.5)
    shot = os.path.join(WORK, "show.png")
    run("import", "-window", "root", shot)
    check(near(pixel(shot, 512, 384), (0xe0, 0x10, 0x10)), "the centre shows the first image")
    check(near(pixel(shot, 5, 5), (0x20, 0x60, 0xA0), 2), "a corner shows the background colour")
    check(near(pixel(shot, 1020, 5), (0x20, 0x60, 0xA0), 2), "the window fills the screen")

    second = start(holiday)
    check(finished(second) == 0, "a second copy ends with status 0")
    check(len(windows_named("Holiday")) == 1, "a second copy opens no window")

    run("xdotool", "windowfocus", "--sync", window)
    run("xdotool", "key", "Escape")
check(finished(show) == 0, "Escape ends the slide show with status 0 within 5 s")

# Cut short: its trailer gone.
cut = os.path.join(WORK, "Cut")
with open(holiday, "rb") as source, open(cut, "wb") as target:
    target.write(source.read()[:-20])
os.chmod(cut, 0o755)
process = start(cut)
status = finished(process)
check(status == 1, "a truncated copy ends with status 1")
errors = process.stderr.read()
check("Cut: no slide show is attached, or the file is incomplete\n" in errors,
      "a truncated copy says so on standard error: " + errors.strip())
check(not windows_named("Cut"), "a truncated copy shows no window")

# A damaged index: the first entry's offset is no number.
damaged = os.path.join(WORK, "Damaged")
with open(holiday, "rb") as source:
    data = source.read()
at = data.rfind(b"red;")
with open(damaged, "wb") as target:
    target.write(data[:at + 4] + b"x" + data[at + 5:])
os.chmod(damaged, 0o755)
process = start(damaged)
box = wait_for_window("Damaged")
check(box is not None, "a damaged index shows a message box")
if box:
    time.sleep(0.5)
    run("import", "-window", box, os.path.join(WORK, "damaged_box.png"))
    run("xdotool", "windowfocus", "--sync", box)
    run("xdotool", "key", "Return")
check(finished(process) == 1, "Return closes the message box and the player ends with status 1")

sys.exit(1 if FAILURES else 0)

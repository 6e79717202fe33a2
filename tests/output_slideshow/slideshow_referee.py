#!/usr/bin/env python3
"""The built SLIDESHOW judged from outside, on an X server (run under xvfb-run, 1024 x 768).

slideshow_referee.py SLIDESHOW WRITE_PACKAGE_PY WORK_DIR

A slide show made by the outside package writer starts and fills the screen; the centre shows
the first image, a corner the background colour; Escape ends it with status 0; a second copy
ends without a window; a truncated copy ends with status 1 and no window; a damaged index shows
a message box that Return closes (status 1). The player links no library of the build tree.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from player_referee import (check, check_cut_short_package, check_links_only_the_system,  # noqa: E402
                            finish, finished, fresh_folder, near, pixel, run, start,
                            wait_for_window, windows_named)

PLAYER, WRITER, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
fresh_folder(WORK)
check_links_only_the_system(PLAYER)

# Holiday: a 300 x 200 red picture, then a blue one, on RGB(32, 96, 160).
red, blue = os.path.join(WORK, "red.jpg"), os.path.join(WORK, "blue.jpg")
run("convert", "-size", "300x200", "xc:#e01010", "-quality", "95", red)
run("convert", "-size", "200x300", "xc:#1010e0", "-quality", "95", blue)
holiday = os.path.join(WORK, "Holiday")
run("python3", WRITER, holiday, PLAYER, "--options", str(0x00A06020), "3", "red=" + red,
    "blue=" + blue)
os.chmod(holiday, 0o755)
header = run("readelf", "-h", holiday)
check(any(kind in header.split("Type:")[1].split("\n")[0] for kind in ("EXEC", "DYN")),
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

check_cut_short_package(holiday, "slide show")

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

finish()

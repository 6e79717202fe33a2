#!/usr/bin/env python3
"""The built GREETING judged from outside, on an X server (run under xvfb-run, 1024 x 768).

greeting_referee.py GREETING WRITE_PACKAGE_PY WORK_DIR

A one-picture greeting made by the outside package writer opens a window of the picture's size
that shows the picture; a click sets off a firework around 50 pixels above it while pixels far
away stay the picture's; "f" covers the screen and again restores the window; "q" ends it with
status 0; a truncated copy ends with status 1 and no window. Without a sound device it is silent.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from player_referee import (check, check_cut_short_package, check_links_only_the_system,  # noqa: E402
                            finish, finished, fresh_folder, run, start, wait_for_window)

PLAYER, WRITER, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
fresh_folder(WORK)
check_links_only_the_system(PLAYER)


def geometry(window):
    facts = run("xwininfo", "-id", window)
    size = {}
    for line in facts.splitlines():
        line = line.strip()
        for key in ("Width:", "Height:"):
            if line.startswith(key):
                size[key] = int(line.split()[1])
    return size.get("Width:"), size.get("Height:")


def differing_pixels(a, b, region):
    """Pixels of `region` (w x h + x + y) that differ between the PNG files a and b."""
    crops = []
    for n, image in enumerate((a, b)):
        crops.append(os.path.join(WORK, "crop%d.png" % n))
        run("convert", image, "-crop", region, "+repage", crops[-1])
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "4%", crops[0], crops[1],
                             "null:"], capture_output=True, text=True)
    return int(float(result.stderr.split()[0]))


# A 400 x 300 picture with a ramp, so a blank or shifted window shows.
picture = os.path.join(WORK, "picture.jpg")
run("convert", "-size", "300x400", "gradient:#203060-#e0c080", "-rotate", "90", "-quality", "95",
    picture)
expected = os.path.join(WORK, "picture.png")
run("convert", picture, expected)
card = os.path.join(WORK, "card")
run("python3", WRITER, card, PLAYER, "Single=" + picture)
os.chmod(card, 0o755)

process = start(card)
window = wait_for_window("card")
check(window is not None, "the greeting opens a window titled with its file's name")
if window:
    time.sleep(0.5)
    check(geometry(window) == (400, 300), "the window has the picture's size: %s" % (geometry(window),))
    shot = os.path.join(WORK, "before.png")
    run("import", "-window", window, shot)
    check(differing_pixels(shot, expected, "400x300+0+0") < 40, "the window shows the picture")

    run("xdotool", "mousemove", "--window", window, "200", "200", "click", "1")
    burst, far = 0, 0
    for attempt in range(20):  # up to 2 s
        time.sleep(0.1)
        after = os.path.join(WORK, "after.png")
        run("import", "-window", window, after)
        burst = differing_pixels(after, expected, "120x100+140+100")  # around (200, 150)
        far = differing_pixels(after, expected, "40x40+0+0")
        if burst > 20:
            break
    check(burst > 20, "a click sets off a firework above it (%d pixels changed)" % burst)
    check(far == 0, "pixels far from the firework stay the picture's (%d changed)" % far)

    run("xdotool", "windowfocus", "--sync", window, "key", "f")
    time.sleep(0.5)
    check(geometry(window) == (1024, 768), "f makes the window cover the screen: %s" % (geometry(window),))
    run("import", "-window", "root", os.path.join(WORK, "full_screen.png"))
    run("xdotool", "windowfocus", "--sync", window, "key", "f")
    time.sleep(0.5)
    check(geometry(window) == (400, 300), "f again restores it: %s" % (geometry(window),))
    run("xdotool", "windowfocus", "--sync", window, "key", "q")
check(finished(process) == 0, "q ends the greeting with status 0 within 5 s")
errors = process.stderr.read()
check("ALSA" not in errors, "no sound device: silent (%s)" % errors.strip())

check_cut_short_package(card, "greeting")
finish()

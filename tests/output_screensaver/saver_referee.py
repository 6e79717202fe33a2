#!/usr/bin/env python3
"""The built SCREENSAVER judged from outside, on an X server (run under xvfb-run, 1024 x 768).

saver_referee.py SCREENSAVER WRITE_PACKAGE_PY WORK_DIR

A two-picture screensaver made by the outside package writer fills the screen with its
background colour and the picture in the centre, rockets change pixels, and a key ends it with
status 0; inside a host window made here (Tk) "/P <id>", "-window-id <id>" and "-root" with
$XSCREENSAVER_WINDOW put the player among the host's children at its size, and SIGTERM ends
them; a full-screen start beside a preview runs, a second preview does not; the clipboard keeps
what the test put there; "UseDesktop" 1 shows the desktop as it was; a window id that names no
window and a truncated copy end with status 1 and one line on standard error.
"""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from player_referee import (ENV, check, check_cut_short_package, check_links_only_the_system,  # noqa: E402
                            finish, finished, fresh_folder, near, pixel, run, start,
                            wait_for_window, windows_named)

PLAYER, WRITER, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
fresh_folder(WORK)
ENV["XDG_CONFIG_HOME"] = os.path.join(WORK, "config")
check_links_only_the_system(PLAYER)

HOST_COLOUR = (48, 160, 80)
BACKGROUND = (16, 32, 64)  # stored as 0x00BBGGRR
CLIPBOARD = "kept by the test"
HOST = """
import sys, tkinter
root = tkinter.Tk()
root.title("host")
root.geometry("+0+0")
frame = tkinter.Frame(root, width=320, height=240, background="#30a050")
frame.pack()
root.clipboard_clear()
root.clipboard_append(%r)
root.update()
print(frame.winfo_id(), flush=True)
root.mainloop()
""" % CLIPBOARD


def settings(**values):
    folder = os.path.join(ENV["XDG_CONFIG_HOME"], "velmora-screensavers")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "saver.ini"), "w") as ini:
        ini.write("[SETTINGS]\n")
        for key, value in values.items():
            ini.write("%s=%s\n" % (key, value))


def shot(name):
    path = os.path.join(WORK, name + ".png")
    run("import", "-window", "root", path)
    return path


def children(window):
    return run("xwininfo", "-children", "-id", str(window))


def changed_pixels(a, b):
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "4%", a, b, "null:"],
                            capture_output=True, text=True)
    return int(float(result.stderr.split()[0]))


def wait_for_child(host, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        if '"saver.scr"' in children(host):
            return True
        time.sleep(0.1)
    return False


def full_screen_window(seconds=10):
    """The player's window that covers the screen (a preview beside it has the same name)."""
    end = time.time() + seconds
    while time.time() < end:
        for window in windows_named("saver.scr"):
            if "Width: 1024" in run("xwininfo", "-id", window):
                return window
        time.sleep(0.1)
    return None


def ends_at_once(*arguments):
    process = start(saver, *arguments)
    return finished(process) == 0


first = os.path.join(WORK, "first.jpg")
run("convert", "-size", "320x200", "xc:#e0c080", "-quality", "95", first)
second = os.path.join(WORK, "second.jpg")
run("convert", "-size", "320x200", "xc:#4060c0", "-quality", "95", second)
saver = os.path.join(WORK, "saver.scr")
run("python3", WRITER, saver, PLAYER, "first.jpg=" + first, "second.jpg=" + second)
os.chmod(saver, 0o755)
settings(BgColor=0x402010, Transition=60)

host_process = subprocess.Popen([sys.executable, "-c", HOST], stdout=subprocess.PIPE, text=True,
                                env=ENV)
host = int(host_process.stdout.readline())
time.sleep(0.5)
desktop = shot("desktop")

# Full screen.
process = start(saver)
window = full_screen_window()
check(window is not None, "full screen: a window titled with the file's name")
if window:
    time.sleep(1)
    before = shot("full_screen")
    check(near(pixel(before, 512, 384), (224, 192, 128)), "the picture in the centre: %s" %
          (pixel(before, 512, 384),))
    check(near(pixel(before, 1010, 750), BACKGROUND) and near(pixel(before, 5, 5), BACKGROUND),
          "the background colour elsewhere, over the host window too: %s %s" %
          (pixel(before, 1010, 750), pixel(before, 5, 5)))
    time.sleep(1)
    check(changed_pixels(before, shot("full_screen_later")) > 30, "rockets change pixels")
    check(ends_at_once(), "a second full-screen start ends at once")
    check(ends_at_once("/P", str(host)), "a preview beside the full screen ends at once")
    run("xdotool", "windowfocus", "--sync", window, "key", "x")
check(finished(process) == 0, "a key ends the full screen with status 0 within 5 s")

# Previews inside the host.
for arguments in (["/P", str(host)], ["-window-id", hex(host)]):
    what = " ".join(arguments[:1])
    preview = start(saver, *arguments)
    check(wait_for_child(host), what + ": the player is a child of the host window")
    check("320x240+0+0" in children(host), what + ": at the host's client size: " +
          children(host))
    if arguments[0] == "/P":
        time.sleep(0.5)
        inside = shot("preview")
        check(near(pixel(inside, 160, 120), (224, 192, 128)) and
              near(pixel(inside, 318, 238), (224, 192, 128)),
              "the preview stretches the picture over the host: %s" % (pixel(inside, 160, 120),))
        check(ends_at_once("/P", str(host)), "a second preview ends at once")
        process = start(saver)
        window = full_screen_window()
        check(window is not None, "a full-screen start beside the preview runs")
        if window:
            run("xdotool", "windowfocus", "--sync", window, "key", "x")
        check(finished(process) == 0, "and a key ends it")
    preview.send_signal(signal.SIGTERM)
    check(finished(preview) == 0, what + ": SIGTERM ends the preview")

# Under a daemon: the show inside the daemon's window.
ENV["XSCREENSAVER_WINDOW"] = hex(host)
process = start(saver, "-root")
check(wait_for_child(host), "-root: the player draws into $XSCREENSAVER_WINDOW")
time.sleep(1)
a = shot("daemon")
time.sleep(1)
b = shot("daemon_later")
run("convert", a, "-crop", "320x240+0+0", "+repage", a)
run("convert", b, "-crop", "320x240+0+0", "+repage", b)
check(changed_pixels(a, b) > 10, "-root: rockets change pixels in the host window")
process.send_signal(signal.SIGTERM)
check(finished(process) == 0, "-root: SIGTERM ends it with status 0")
del ENV["XSCREENSAVER_WINDOW"]
check(not [f for f in os.listdir(WORK) if f.endswith(".lock")], "no lock file is left behind")

# The desktop as the background.
settings(UseDesktop=1, BgColor=0x402010)
process = start(saver)
window = full_screen_window()
if window:
    time.sleep(1)
    over_desktop = shot("use_desktop")
    for x, y in ((100, 100), (300, 220)):
        check(near(pixel(over_desktop, x, y), pixel(desktop, x, y)),
              "the background is the desktop at (%d, %d): %s" % (x, y, pixel(over_desktop, x, y)))
    run("xdotool", "windowfocus", "--sync", window, "key", "x")
check(finished(process) == 0, "UseDesktop: a key ends it")

clipboard = subprocess.run(
    [sys.executable, "-c", "import tkinter; r = tkinter.Tk(); print(r.clipboard_get())"],
    capture_output=True, text=True, env=ENV).stdout.strip()
check(clipboard == CLIPBOARD, "the clipboard keeps the test's text: %r" % clipboard)
preview = start(saver, "/P", str(host))
check(wait_for_child(host), "a last preview runs inside the host")
host_process.kill()
host_process.wait()
check(finished(preview) == 0, "the host closing its window ends the preview")

process = start(saver, "/P", "4000000")
check(finished(process) == 1, "a preview into no window ends with status 1")
errors = process.stderr.read()
check("saver.scr: there is no window 0x3d0900\n" in errors, "and says so: " + errors.strip())
check(not windows_named("saver.scr"), "no window is left")
check(ends_at_once("/unknown"), "an unknown word ends at once")

process = start(saver, "/C")
dialog = wait_for_window("Setting - Fireworks")
check(dialog is not None, "/C opens the settings window")
if dialog:
    run("import", "-window", dialog, os.path.join(WORK, "settings.png"))
    run("xdotool", "windowfocus", "--sync", dialog, "key", "Return")
check(finished(process) == 0, "Ok ends the settings with status 0")
with open(os.path.join(ENV["XDG_CONFIG_HOME"], "velmora-screensavers", "saver.ini")) as ini:
    stored = ini.read()
for line in ("LaunchRate=100", "UseDesktop=1", "BgColor=4202512", "ShowRegular=1", "TailLength=30"):
    check(line in stored.splitlines(), "Ok stores " + line)

check_cut_short_package(saver, "screensaver")
finish()

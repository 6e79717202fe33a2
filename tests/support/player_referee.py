"""What the players' outside referees share: checks that are counted, X11 windows found by name
through xdotool, pixels read through ImageMagick, and the players' own libraries judged.
"""
import os
import shutil
import subprocess
import sys
import time

FAILURES = []
ENV = dict(os.environ)


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        FAILURES.append(what)


def run(*command, **kwargs):
    return subprocess.run(command, check=True, capture_output=True, text=True, **kwargs).stdout


def windows_named(name):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                          capture_output=True, text=True).stdout.split()


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


def fresh_folder(work):
    """An empty work folder, also the players' runtime folder for their lock files."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work, mode=0o700)
    ENV["XDG_RUNTIME_DIR"] = work


def check_links_only_the_system(player):
    name = os.path.basename(player)
    dynamic = run("readelf", "-d", player)
    check("RPATH" not in dynamic and "RUNPATH" not in dynamic, name + " has no RPATH or RUNPATH")
    build_tree = os.path.dirname(os.path.dirname(os.path.abspath(player)))
    for line in run("ldd", player).splitlines():
        if "=>" in line:
            target = line.split("=>")[1].split("(")[0].strip()
            check(target.startswith(("/lib", "/usr/lib")) and not target.startswith(build_tree),
                  "library from the system: " + line.strip())
    check("velmora" not in dynamic.lower() and "pictavo" not in dynamic.lower(),
          name + " needs none of the project's libraries")


def check_cut_short_package(package, what):
    """A copy of `package` without its last 20 bytes: no window, one line, status 1."""
    cut = os.path.join(os.path.dirname(package), "Cut")
    with open(package, "rb") as source, open(cut, "wb") as target:
        target.write(source.read()[:-20])
    os.chmod(cut, 0o755)
    process = start(cut)
    check(finished(process) == 1, "a truncated copy ends with status 1")
    errors = process.stderr.read()
    check("Cut: no %s is attached, or the file is incomplete\n" % what in errors,
          "a truncated copy says so on standard error: " + errors.strip())
    check(not windows_named("Cut"), "a truncated copy shows no window")


def finish():
    sys.exit(1 if FAILURES else 0)

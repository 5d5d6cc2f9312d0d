#!/usr/bin/env python3
"""desktop_compare.py: Pagemason beside gvim and kwrite on large files, as a user meets them.

Each editor is launched with the file on its command line under one X display. The script
waits until the editor's window is mapped and its CPU time has stopped growing for 300 ms,
and reports the time to usable and the peak and settled memory (VmHWM, VmRSS). Then it
sends keys with xdotool and reports the time until the editor is idle again: Ctrl+End and 20
keys at the end of the pages, 20 keys in the middle of the 10 MB single line. Rounds
interleave the editors, and medians are reported with the machine's load.

    bench/desktop_compare.py [--pagemason build/bin/pagemason] [--rounds 4]
                             [--editors pagemason,gvim,kwrite] [--files DIR] [--display :N]

Without --display (and without DISPLAY set) it runs itself under xvfb-run. The test files
(a 50 MB page of 1,000,000 lines, a 250 MB page, a 10 MB single line) are written into
--files once and kept. Not part of CI; needs xvfb, xdotool, vim-gtk3 and kwrite.
"""

import argparse
import os
import random
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

IDLE_MS = 300
POLL_S = 0.01
TIMEOUT_S = 180
MARK = "PAGEMASONMIDDLEMARK"

# ---------------------------------------------------------------------------------------------
# Test files


def page_lines(count, seed):
    rnd = random.Random(seed)
    words = ["alpha", "table", "stone", "cloud", "paper", "green", "value", "frame", "ocean"]
    out = []
    for i in range(count):
        k = i % 6
        w = [rnd.choice(words) for _ in range(6)]
        if k == 0:
            out.append('\t<td class="%s" title="%s"><a href="page%d.html">%s</a></td>'
                       % (w[0], w[1], rnd.randrange(1000), w[2]))
        elif k == 1:
            out.append("\t<!-- %s %s %s %s %s -->" % tuple(w[:5]))
        elif k == 2:
            out.append('\t<p class="%s">%s</p>' % (w[0], " ".join(w)))
        elif k == 3:
            out.append("\t<div><b>%s</b> &amp; <i>%s</i> %s</div>" % (w[0], w[1], w[2]))
        elif k == 4:
            out.append("\t\t<li>%s %s %s %s</li>" % tuple(w[:4]))
        else:
            out.append("\t</div>")
    return out


def write_page(path, lines):
    block = 100000
    with open(path, "w", encoding="ascii", newline="\n") as f:
        done = 0
        while done < lines:
            n = min(block, lines - done)
            f.write("\n".join(page_lines(n, done)) + "\n")
            done += n


def write_long_line(path, size):
    piece = ('<td class="cell" width="40%"><a href="page.html#top">Link</a> some text '
             "<b>bold</b> &amp; more</td><!-- note --> ")
    half = piece * (size // 2 // len(piece))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(half + MARK + " " + half + "\n")
    return len(half)


def make_files(folder):
    os.makedirs(folder, exist_ok=True)
    files = {}
    for name, lines in (("page50.html", 1000000), ("page250.html", 5000000)):
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            print("writing", path, flush=True)
            write_page(path, lines)
        files[name] = path
    path = os.path.join(folder, "line10.html")
    if not os.path.exists(path):
        print("writing", path, flush=True)
        write_long_line(path, 10 << 20)
    files["line10.html"] = path
    return files


def middle_column(path):
    with open(path, "r", encoding="ascii") as f:
        return f.read().index(MARK)  # 0-based column of the mark

# ---------------------------------------------------------------------------------------------
# Processes


def cpu_ticks(pid):
    """CPU time of all the process's threads in nanoseconds (schedstat: clock ticks of 10 ms
    are too coarse for a keystroke)."""
    total = 0
    try:
        for tid in os.listdir("/proc/%d/task" % pid):
            try:
                with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                    total += int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                pass
    except OSError:
        return None
    return total


def memory(pid):
    got = {}
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith(("VmHWM:", "VmRSS:")):
                    got[line.split(":")[0]] = int(line.split()[1]) / 1024.0
    except OSError:
        pass
    return got.get("VmHWM"), got.get("VmRSS")


def visible_window(pid):
    """The largest mapped window of the process (its main window, not a pop-up)."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), ""],
                         capture_output=True, text=True).stdout.split()
    best, best_area = None, 0
    for w in out:
        geo = subprocess.run(["xdotool", "getwindowgeometry", "--shell", w],
                             capture_output=True, text=True).stdout
        vals = dict(line.split("=", 1) for line in geo.split() if "=" in line)
        area = int(vals.get("WIDTH", 0)) * int(vals.get("HEIGHT", 0))
        if area > best_area:
            best, best_area = w, area
    return best if best_area > 10000 else None


def wait_idle(pid, since):
    """Seconds from `since` to the last growth of the CPU time, once it has not grown for
    IDLE_MS; None when the process ended or the time-out passed."""
    last = cpu_ticks(pid)
    last_change = time.monotonic()
    while True:
        time.sleep(POLL_S)
        now = time.monotonic()
        ticks = cpu_ticks(pid)
        if ticks is None or now - since > TIMEOUT_S:
            return None
        if ticks != last:
            last, last_change = ticks, now
        elif now - last_change >= IDLE_MS / 1000.0:
            return last_change - since


def wait_usable(pid, start):
    while visible_window(pid) is None:
        if cpu_ticks(pid) is None or time.monotonic() - start > TIMEOUT_S:
            return None, None
        time.sleep(POLL_S)
    window = visible_window(pid)
    return window, wait_idle(pid, start)


def keys(window, *names):
    # No window manager: the program gives its own window the focus; only a lost focus is
    # put back, and no pointer moves.
    focus = subprocess.run(["xdotool", "getwindowfocus", "-f"], capture_output=True,
                           text=True).stdout.strip()
    if focus != window:
        subprocess.run(["xdotool", "windowfocus", "--sync", window], capture_output=True)
    subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "1"] + list(names),
                   capture_output=True)


def type_keys(window, text):
    subprocess.run(["xdotool", "type", "--delay", "1", text], capture_output=True)


def stop(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(2)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()

# ---------------------------------------------------------------------------------------------
# Editors: how to launch one on a file, and how to put its caret in the middle of the line


class Editor:
    def __init__(self, name, home):
        self.name = name
        self.home = home

    def env(self):
        env = dict(os.environ)
        env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                   XDG_DATA_HOME=os.path.join(self.home, ".local/share"),
                   XDG_CACHE_HOME=os.path.join(self.home, ".cache"))
        return env


class Pagemason(Editor):
    def __init__(self, home, program, name="pagemason"):
        super().__init__(name, home)
        self.program = program

    def command(self, path, column):
        return [self.program, path]

    def env(self):
        env = super().env()
        env["PAGEMASON_REGISTRY"] = os.path.join(self.home, "Pagemason.reg")
        return env

    def to_middle(self, window, column):
        # Go to line 1 through the Goto line dialog is not enough for a column, so the caret
        # walks there by searching for the mark: Search&Replace, the mark, Go.
        keys(window, "ctrl+Home")
        keys(window, "alt+e", "s")
        time.sleep(0.5)
        type_keys(window, MARK)
        keys(window, "Return")
        time.sleep(0.5)
        keys(window, "Left")


class Gvim(Editor):
    def __init__(self, home):
        super().__init__("gvim", home)

    def command(self, path, column):
        cmd = ["gvim", "-f", "-n", "-u", "NONE", "-U", "NONE", "-i", "NONE",
               "-c", "syntax on", "-c", "filetype on"]
        if column is not None:
            cmd += ["-c", "call cursor(1, %d)" % (column + 1)]
        return cmd + ["-c", "startinsert", path]

    def to_middle(self, window, column):
        pass  # placed by the command line


class Kwrite(Editor):
    def __init__(self, home):
        super().__init__("kwrite", home)

    def command(self, path, column):
        cmd = ["kwrite"]
        if column is not None:
            cmd += ["--line", "1", "--column", str(column + 1)]
        return cmd + [path]

    def to_middle(self, window, column):
        pass


def trial(editor, name, path, column):
    """One launch: a dict of figures in seconds and MiB."""
    result = {}
    start = time.monotonic()
    proc = subprocess.Popen(editor.command(path, column), env=editor.env(),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    try:
        window, usable = wait_usable(proc.pid, start)
        if usable is None:
            return {"failed": 1}
        result["usable"] = usable
        result["peak"], result["rss"] = memory(proc.pid)
        if column is None:
            t = time.monotonic()
            keys(window, "ctrl+End")
            result["ctrl_end"] = wait_idle(proc.pid, t)
        else:
            editor.to_middle(window, column)
            wait_idle(proc.pid, time.monotonic())
        t = time.monotonic()
        type_keys(window, "x" * 20)
        result["keys20"] = wait_idle(proc.pid, t)
        result["peak_end"], result["rss_end"] = memory(proc.pid)
    finally:
        stop(proc)
    return result

# ---------------------------------------------------------------------------------------------


def loadavg():
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    here = os.path.dirname(os.path.abspath(__file__))
    ap.add_argument("--pagemason", default=os.path.join(here, "..", "build", "bin", "pagemason"))
    ap.add_argument("--before", help="another pagemason build, run beside as pagemason-before")
    ap.add_argument("--rounds", type=int, default=4)
    ap.add_argument("--editors", default="pagemason,gvim,kwrite")
    ap.add_argument("--files", default=os.path.join(tempfile.gettempdir(), "pagemason-desktop"))
    ap.add_argument("--only", default="page50.html,page250.html,line10.html")
    ap.add_argument("--display")
    args = ap.parse_args()

    if args.display:
        os.environ["DISPLAY"] = args.display
    elif not os.environ.get("DISPLAY") and not os.environ.get("PM_UNDER_XVFB"):
        os.environ["PM_UNDER_XVFB"] = "1"
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1600x1000x24",
                               sys.executable] + sys.argv)

    files = make_files(args.files)
    chosen = [f for f in args.only.split(",") if f in files]
    columns = {f: (middle_column(files[f]) if f.startswith("line") else None) for f in chosen}
    home = tempfile.mkdtemp(prefix="pagemason-desktop-home-")
    editors = []
    names = args.editors.split(",")
    if args.before and "pagemason-before" not in names:
        names.insert(1, "pagemason-before")
    for name in names:
        if name == "pagemason":
            editors.append(Pagemason(os.path.join(home, name), os.path.abspath(args.pagemason)))
        elif name == "pagemason-before" and args.before:
            editors.append(Pagemason(os.path.join(home, name), os.path.abspath(args.before),
                                     name))
        elif name == "gvim" and shutil.which("gvim"):
            editors.append(Gvim(os.path.join(home, name)))
        elif name == "kwrite" and shutil.which("kwrite"):
            editors.append(Kwrite(os.path.join(home, name)))
        else:
            print("skipping", name, "(not installed)")
    for e in editors:
        os.makedirs(e.home, exist_ok=True)

    results = {}
    loads = []
    for r in range(args.rounds):
        order = editors[r % len(editors):] + editors[:r % len(editors)]
        for f in chosen:
            for e in order:
                loads.append(loadavg())
                got = trial(e, f, files[f], columns[f])
                results.setdefault((f, e.name), []).append(got)
                print("round %d %-12s %-10s %s" % (r + 1, f, e.name, " ".join(
                    "%s=%.3f" % (k, v) for k, v in got.items() if v is not None)), flush=True)

    print("\nmedians of %d rounds (times in s, memory in MiB); load average during the run "
          "%.2f to %.2f (median %.2f) on %d cores"
          % (args.rounds, min(loads), max(loads), statistics.median(loads), os.cpu_count()))
    cols = ["usable", "peak", "rss", "ctrl_end", "keys20", "peak_end", "rss_end"]
    print("%-12s %-10s " % ("file", "editor") + " ".join("%9s" % c for c in cols))
    for f in chosen:
        for e in editors:
            runs = results.get((f, e.name), [])
            row = []
            for c in cols:
                vals = [x[c] for x in runs if x.get(c) is not None]
                row.append("%9.3f" % statistics.median(vals) if vals else "%9s" % "-")
            print("%-12s %-10s " % (f, e.name) + " ".join(row))
    shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()

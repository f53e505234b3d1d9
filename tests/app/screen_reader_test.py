#!/usr/bin/python3
"""What a player hears, mode by mode, from the real program under a virtual X server.

The program runs with its accessibility bridge on; this script listens on the accessibility bus
as a screen reader does and takes what a reader speaks: the name of each control that gains the
focus, and each notification that appears (the program's announcements). A new name of the
focused control is not taken: this toolkit sends it in a form readers do not speak. Keys go in
through the X server, as a player's do.

usage: screen_reader_test.py PROGRAM SERVER
Exits 77 (skipped) with a line saying why where the tools are missing or the session bus cannot
start.
"""

import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIPPED = 77
PORT = 8931
NOTICE = f"http://127.0.0.1:{PORT}/kokki/oshirase.txt"
PROGRAM_PID = 0

# Mode, keys pressed, then what is heard in that order: ("focus" | "say", pattern), or a "label" on
# show. "Tab*" presses Tab until the focus is heard, "pick*" the card keys 1, 2, … until a right
# answer is, each after the keys before it; "@main" gives the main window the keyboard. A
# pattern's named group is the value of its name in later patterns.
PLAY = [
    ("start", "@main", [("focus", r"概要")]),
    ("review", "ctrl+3", [("focus", r"アジア＆大洋州編")]),
    ("review", "Tab*", [("focus", r"今日の復習 \d+枚")]),
    ("review", "space", [("focus", r"1番目の国旗|1　.+"),
                         ("say", r".+ の国旗はどれですか？|この国旗はどの国ですか？")]),
    ("review", "1", [("focus", r"次へ（Enter）"),
                     ("say", r"(✓ 正解です。|✕ 違います。正しくはこちらです。)\n.+\n首都：.*\n地域：.*")]),
    ("review", "Return", [("focus", r"1番目の国旗|1　.+"),
                          ("say", r".+ の国旗はどれですか？|この国旗はどの国ですか？")]),
    ("review", "ctrl+3", [("focus", r"いいえ")]),
    ("review", "Tab", [("focus", r"はい")]),
    # With no window manager the keyboard does not go back to the main window by itself.
    ("game", "space @main", [("focus", r"アジア＆大洋州編")]),
    ("game", "Tab*", [("focus", r"スタート")]),
    ("game", "space", [("focus", r"1番目の国旗"), ("say", r".+の国旗はどれですか？ 第1問")]),
    ("game", "Right", [("focus", r"2番目の国旗")]),
    ("game", "pick*", [("say", r"正解です。 .+の国旗はどれですか？ 第2問")]),
    ("map", "ctrl+4", [("focus", r"成績グラフの地域")]),
    ("map", "Return", [("focus", r"1回目（記録なし）")]),
    ("map", "shift+Tab", [("focus", r"覚えた国旗の地図")]),
    ("map", "space Tab*", [("focus", r"世界地図")]),
    ("map", "Right", [("say", r"(?P<country>[^　]+)　(しっかり覚えた|覚えている途中|覚えている|まだ出題されていません)")]),
    ("map", "Return", [("focus", r"いいえ")]),
    ("map", "Tab", [("focus", r"はい")]),
    ("study", "space @main", [("focus", r"国名か首都で検索"), ("label", r"{country}")]),
]


def skip(why):
    print(f"SKIP: {why}")
    sys.exit(SKIPPED)


def server_answers():
    try:
        with urllib.request.urlopen(NOTICE, timeout=2):
            return True
    except OSError:
        return False


def start_x_server():
    """An X server of our own, away from the low numbers that desktops and other tests take,
    once a client gets through to it."""
    for display in random.sample(range(200, 900), 20):
        if os.path.exists(f"/tmp/.X{display}-lock"):
            continue
        xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1920x1080x24",
                                 "-nolisten", "tcp", "-noreset"], stderr=subprocess.DEVNULL)
        env = dict(os.environ, DISPLAY=f":{display}")
        for _ in range(100):
            if xvfb.poll() is not None:
                break
            if subprocess.run(["xdotool", "getmouselocation"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return xvfb, display
            time.sleep(0.1)
        xvfb.kill()
        xvfb.wait()
    return None, None


def outer(program, server):
    for tool in ("Xvfb", "dbus-run-session", "xdotool"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        skip("python3-pyatspi is not installed")
    xvfb, display = start_x_server()
    if not xvfb:
        skip("the virtual X server did not start")
    with tempfile.TemporaryDirectory() as work:
        started = os.path.join(work, "started")
        env = dict(os.environ, DISPLAY=f":{display}", SCREEN_READER_STARTED=started,
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        try:
            inner = subprocess.run(["dbus-run-session", "--", sys.executable, __file__, "--inner",
                                    program, server, work], env=env, timeout=300)
        finally:
            xvfb.terminate()
            xvfb.wait()
        if not os.path.exists(started):
            skip("the session bus cannot start here")
        return inner.returncode


class Listener:
    """What a screen reader would speak, taken from the accessibility bus."""

    def __init__(self, pyatspi, pid):
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.pid = pid
        self.context = GLib.MainContext.default()
        self.heard = []  # (kind, text)
        self.framed = []  # focus found inside a frame that is not a window
        for kind in ("object:state-changed:focused", "object:state-changed:showing"):
            pyatspi.Registry.registerEventListener(self.event, kind)

    def ours(self, source):
        try:
            return source.get_process_id() == self.pid
        except Exception:
            return False

    def event(self, event):
        p = self.pyatspi
        source = event.source
        if not self.ours(source):
            return
        if event.type.startswith("object:state-changed:focused") and event.detail1:
            self.heard.append(("focus", source.name))
            # Readers ignore what happens inside a frame that is not the active window.
            parent = source.parent
            while parent is not None and parent.getRole() != p.ROLE_APPLICATION:
                top = parent.parent is None or parent.parent.getRole() == p.ROLE_APPLICATION
                if parent.getRole() == p.ROLE_FRAME and not top:
                    self.framed.append(f"{source.name} in [frame | {parent.name}]")
                parent = parent.parent
        elif event.type.startswith("object:state-changed:showing") and event.detail1:
            if source.getRole() == p.ROLE_NOTIFICATION:
                self.heard.append(("say", source.name))

    def pump(self, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            while self.context.iteration(False):
                pass
            time.sleep(0.02)

    def find(self, kind, pattern, since, seconds=15):
        """The first match heard from `since` on: (index, match), or (None, None) in time."""
        end = time.monotonic() + seconds
        while True:
            for i in range(since, len(self.heard)):
                heard_kind, text = self.heard[i]
                match = re.fullmatch(pattern, text or "", re.S)
                if heard_kind == kind and match:
                    return i, match
            if time.monotonic() > end:
                return None, None
            self.pump(0.05)

    def label(self, pattern):
        """Whether a label of ours matching `pattern` is on show."""
        p = self.pyatspi
        for app in p.Registry.getDesktop(0):
            if app is None or not self.ours(app):
                continue
            found = p.findDescendant(
                app, lambda o: o.getRole() == p.ROLE_LABEL and re.fullmatch(pattern, o.name or "")
                and o.getState().contains(p.STATE_SHOWING))
            if found:
                return True
        return False


def key(keys):
    for press in keys.split():
        if press == "@main":
            subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                            str(PROGRAM_PID), "--name", "^フラミオ$", "windowfocus", "--sync"],
                           timeout=60, stdout=subprocess.DEVNULL, check=True)
        else:
            subprocess.run(["xdotool", "key", press], check=True)


CARD_KEYS = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "minus", "equal"]


def play(listener, table, failures):
    """Plays the rows in turn; stops at the first that is not heard."""
    since = 0
    values = {}
    for mode, keys, expected in table:
        kind, pattern = expected[0]
        pattern = pattern.format(**values)
        *once, last = keys.split()
        if once:
            key(" ".join(once))
        if last == "pick*":
            presses = CARD_KEYS
        elif last.endswith("*"):
            presses = [None] + [last[:-1]] * 12  # it may be there already
        else:
            presses = [last]
        for press in presses:
            if press:
                key(press)
            index, match = listener.find(kind, pattern, since,
                                         seconds=15 if len(presses) == 1 else 2)
            if index is not None:
                break
        if index is None:
            failures.append(f"{mode}, {keys}: heard no {kind} {pattern!r}; heard "
                            f"{listener.heard[since:]}")
            return
        print(f"{mode:6} {keys:7} {kind:5} {listener.heard[index][1]!r}")
        values.update(match.groupdict())
        for kind, pattern in expected[1:]:
            pattern = pattern.format(**values)
            if kind == "label":
                if not listener.label(pattern):
                    failures.append(f"{mode}, {keys}: no label {pattern!r} on show")
                continue
            # In this order: what a reader hears first, it cuts short with what comes next.
            found, _ = listener.find(kind, pattern, index + 1)
            if found is None:
                failures.append(f"{mode}, {keys}: heard no {kind} {pattern!r} after "
                                f"{listener.heard[index]}; heard {listener.heard[since:]}")
                return
            print(f"{mode:6} {'':7} {kind:5} {listener.heard[found][1]!r}")
            index = found
        since = index + 1


def inner(program, server, work):
    open(os.environ["SCREEN_READER_STARTED"], "w").close()
    import pyatspi

    # A program folder of its own: the executable beside the shipped files, so that what the
    # program writes stays here.
    folder = os.path.join(work, "furamio")
    os.mkdir(folder)
    shipped = os.path.dirname(program)
    for entry in os.listdir(shipped):
        source = os.path.join(shipped, entry)
        if source == program:
            shutil.copy2(source, folder)
        else:
            os.symlink(source, os.path.join(folder, entry))

    ours = None
    if not server_answers():
        ours = subprocess.Popen([server, "--listen", f"127.0.0.1:{PORT}", "--data",
                                 os.path.join(work, "server")], stderr=subprocess.DEVNULL)
        for _ in range(100):
            if server_answers():
                break
            time.sleep(0.1)
    furamio = subprocess.Popen([os.path.join(folder, os.path.basename(program))])
    listener = Listener(pyatspi, furamio.pid)
    failures = []
    try:
        global PROGRAM_PID
        PROGRAM_PID = furamio.pid
        try:
            play(listener, PLAY, failures)
        except subprocess.SubprocessError as error:
            failures.append(f"the keys did not reach the program: {error}")
        if listener.framed:
            failures.append("focus inside a frame that is not a window: "
                            + "; ".join(listener.framed))
    finally:
        furamio.terminate()
        furamio.wait()
        if ours:
            ours.terminate()
            ours.wait()
    for failure in failures:
        print(f"FAIL: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "--inner":
        sys.exit(inner(*sys.argv[2:]))
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(outer(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))

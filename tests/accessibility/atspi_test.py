# SPDX-License-Identifier: GPL-3.0-or-later
"""Both programs as a screen reader meets them: through the desktop's
accessibility bus (AT-SPI), not through the toolkit in-process.

Run by atspi_test.sh inside a private session bus with the accessibility bus
up. Starts the viewer on a sample pattern and Kesto on the simulated rig,
walks their trees and opens every sub-window through the programs' own
menus and buttons (AT-SPI actions, as a screen reader user would).

Usage: atspi_test.py BIN_DIR SOURCE_DIR SCRATCH_DIR
Status 0: every check passed; 1: a check failed (each fault is listed).
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# get_action_name is the only name call Debian 12's bindings have.
warnings.filterwarnings("ignore", category=DeprecationWarning)

# Waits are for the programs to react, never fixed pauses: each polls until
# its condition holds, up to this long (generous for a loaded machine).
TIMEOUT = float(os.environ.get("VELORAN_ATSPI_TIMEOUT", "30"))
# How long one call to a program may take to be answered.
CALL_TIMEOUT_MS = 10000

# Roles a user operates; each needs a name that says what it is for.
INTERACTIVE = {
    Atspi.Role.PUSH_BUTTON, Atspi.Role.TOGGLE_BUTTON, Atspi.Role.CHECK_BOX,
    Atspi.Role.RADIO_BUTTON, Atspi.Role.COMBO_BOX, Atspi.Role.SPIN_BUTTON,
    Atspi.Role.TEXT, Atspi.Role.ENTRY, Atspi.Role.PASSWORD_TEXT, Atspi.Role.SLIDER,
    Atspi.Role.MENU_ITEM, Atspi.Role.CHECK_MENU_ITEM, Atspi.Role.RADIO_MENU_ITEM,
    Atspi.Role.PAGE_TAB,
}


class Failure(Exception):
    pass


faults = []


def fault(where, what):
    faults.append(f"{where}: {what}")
    print(f"FAULT {where}: {what}", flush=True)


def wait_for(what, probe, timeout=TIMEOUT):
    """Polls probe() until it gives something true; that is returned."""
    end = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            got = probe()
            if got:
                return got
        except GLib.Error as e:  # an object gone meanwhile
            last_error = e
        if time.monotonic() > end:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}"
                          + (f" ({last_error})" if last_error else ""))
        time.sleep(0.05)


# ---- Reading the tree ------------------------------------------------------


def fresh(acc):
    """The object as the program says it is now, not as the client cached it
    (for it and everything under it)."""
    acc.clear_cache()
    return acc


def name_of(acc):
    return acc.get_name() or ""


def children(acc):
    out = []
    for i in range(acc.get_child_count()):
        c = acc.get_child_at_index(i)
        if c is not None:
            out.append(c)
    return out


def walk(acc, top=True):
    if top:
        fresh(acc)
    yield acc
    for c in children(acc):
        yield from walk(c, False)


def has(acc, interface):
    return interface in (acc.get_interfaces() or [])


def text_of(acc):
    return Atspi.Text.get_text(acc, 0, -1) if has(acc, "Text") else None


def value_of(acc):
    return Atspi.Value.get_current_value(acc) if has(acc, "Value") else None


def shown_value(acc):
    """What a screen reader can read of a display: its text, else its value."""
    t = text_of(acc)
    if t:
        return t
    v = value_of(acc)
    return None if v is None else str(v)


def labelled_by(acc):
    names = []
    for r in acc.get_relation_set() or []:
        if r.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            names += [name_of(r.get_target(i)) for i in range(r.get_n_targets())]
    return names


def application(name, process):
    """The program started as `process`, once it is on the bus."""
    def probe():
        if process.poll() is not None:
            raise Failure(f"{name} ended with status {process.returncode} before it was on the bus")
        desktop = Atspi.get_desktop(0)
        for app in children(fresh(desktop)):
            if name_of(app) == name and app.get_process_id() == process.pid:
                return app
        return None
    return wait_for(f"{name} on the accessibility bus", probe)


def windows(app):
    return children(fresh(app))


def window(app, title, timeout=TIMEOUT):
    def probe():
        for w in windows(app):
            if name_of(w) == title and w.get_state_set().contains(Atspi.StateType.SHOWING):
                return w
        return None
    return wait_for(f"the window \"{title}\"", probe, timeout)


def find(root, role, name=None, starts=None):
    """The first object of `role` under root whose name is `name` (or starts so)."""
    for a in walk(root):
        if a.get_role() != role:
            continue
        n = name_of(a)
        if (name is None or n == name) and (starts is None or n.startswith(starts)):
            return a
    return None


def need(root, role, name=None, starts=None):
    what = f"{Atspi.Role(role).value_nick} \"{name or starts}\""
    return wait_for(what, lambda: find(root, role, name, starts))


def act(acc, modal=False, preferred=("Press", "press", "click", "Toggle", "toggle")):
    """Does what a click would, through the object's action interface. An
    action that opens a modal dialogue answers only once it is closed:
    with modal, the answer is not waited for."""
    if not has(acc, "Action"):
        raise Failure(f"\"{name_of(acc)}\" offers no action")
    names = [Atspi.Action.get_action_name(acc, i) for i in range(Atspi.Action.get_n_actions(acc))]
    for p in preferred:
        if p in names:
            if not modal:
                Atspi.Action.do_action(acc, names.index(p))
                return
            # The call is delivered and done whether or not its answer is
            # waited for: a short time-out lets the test go on.
            Atspi.set_timeout(100, -1)
            try:
                Atspi.Action.do_action(acc, names.index(p))
            except GLib.Error:
                pass
            finally:
                Atspi.set_timeout(CALL_TIMEOUT_MS, -1)
            return
    raise Failure(f"\"{name_of(acc)}\" offers no press action (only {names})")


def menu_item(win, *path, modal=False):
    """Chooses a menu item, e.g. menu_item(w, "File", "Information...")."""
    where = win
    for i, step in enumerate(path):
        role = Atspi.Role.MENU_ITEM
        item = need(where, role, name=step)
        if i + 1 < len(path):
            where = item
        else:
            act(item, modal=modal)


# ---- The checks ------------------------------------------------------------


def internal_ids(source_dir):
    """Every object name the panels' forms give (control ids, layout names)."""
    ids = set()
    for sub in ("viewer/ui", "measure/ui"):
        folder = os.path.join(source_dir, sub)
        for f in os.listdir(folder):
            if f.endswith(".ui"):
                with open(os.path.join(folder, f), encoding="utf-8") as fh:
                    ids.update(re.findall(r'\bname="([^"]+)"', fh.read()))
    # The few that are plain words ("text", "title" ...) are property names.
    return {i for i in ids if "_" in i or re.search(r"[a-z][A-Z]", i)}


def dump(acc, depth=0):
    """The tree as a screen reader sees it, for VELORAN_ATSPI_DUMP=1."""
    extra = ""
    if (t := text_of(acc)) is not None:
        extra += f" text={t!r}"
    if (v := value_of(acc)) is not None:
        extra += f" value={v}"
    print(f"{'  ' * depth}{acc.get_role_name()} {name_of(acc)!r}{extra}")
    for c in children(acc):
        dump(c, depth + 1)


def check_names(where, root, ids):
    """Every control a user operates has a name, and not an internal id."""
    if os.environ.get("VELORAN_ATSPI_DUMP"):
        dump(root)
    count = 0
    for a in walk(root):
        if a.get_role() not in INTERACTIVE:
            continue
        count += 1
        n = name_of(a).strip()
        role = a.get_role_name()
        if not n:
            fault(where, f"a {role} without a name (in \"{name_of(a.get_parent())}\")")
        elif n in ids or n.startswith("qt_") or re.fullmatch(r"[A-Z0-9]+_[A-Z0-9_]+", n):
            fault(where, f"the {role} \"{n}\" is named by an internal id")
        elif re.fullmatch(r"#[0-9a-fA-F]{6}|[-+]?[0-9]+([.,][0-9]+)?", n):
            fault(where, f"the {role} \"{n}\" is named by the value it shows")
    return count


def check_no_helpers(where, app):
    """Nothing in the tree that a user never meets: no timer, no unknown role."""
    for a in walk(app):
        n = name_of(a)
        if re.search(r"timer", n, re.I) or a.get_role() in (Atspi.Role.UNKNOWN, Atspi.Role.INVALID):
            fault(where, f"a non-visual object in the tree: {a.get_role_name()} \"{n}\"")


def check_roles(where, win):
    """Below a window no object claims to be a window, and whatever takes the
    keyboard focus says what it is rather than being a bare container."""
    for a in walk(win):
        if a is win:
            continue
        role = a.get_role()
        if role in (Atspi.Role.FRAME, Atspi.Role.DIALOG, Atspi.Role.WINDOW):
            fault(where, f"\"{name_of(a)}\" inside the window \"{name_of(win)}\" "
                  f"has the window role {a.get_role_name()}")
        elif (role in (Atspi.Role.FILLER, Atspi.Role.PANEL, Atspi.Role.UNKNOWN)
              and a.get_state_set().contains(Atspi.StateType.FOCUSABLE)):
            fault(where, f"\"{name_of(a)}\" takes the keyboard focus but is a bare "
                  f"{a.get_role_name()}")


def check_windows(where, app, main_title):
    """The main window is a frame; every other window of the program a dialogue."""
    for w in windows(app):
        n = name_of(w)
        want = Atspi.Role.FRAME if re.fullmatch(main_title, n) else Atspi.Role.DIALOG
        if w.get_role() != want and not (want == Atspi.Role.DIALOG
                                         and w.get_role() == Atspi.Role.ALERT):
            fault(where, f"the window \"{n}\" has role {w.get_role_name()}, "
                  f"not {Atspi.Role(want).value_nick}")


def check_readouts(where, root):
    """Every read-only display gives what it shows through Text or Value."""
    for a in walk(root):
        role = a.get_role()
        states = a.get_state_set()
        if role == Atspi.Role.SPIN_BUTTON or (role == Atspi.Role.TEXT
                                              and not states.contains(Atspi.StateType.EDITABLE)):
            shown = text_of(a)
            if shown is None:
                fault(where, f"the display \"{name_of(a)}\" gives no text")
            v = value_of(a)
            if role == Atspi.Role.SPIN_BUTTON and shown is not None and v is not None:
                try:
                    if abs(float(shown) - v) > 1e-6 * max(1.0, abs(v)):
                        fault(where, f"\"{name_of(a)}\" shows {shown!r} but its value is {v}")
                except ValueError:
                    pass  # a suffix or an empty field: the text is what is read


def check_combos(where, root):
    """A combo box is announced by what it chooses (its label), and its
    current choice is read as its text."""
    for a in walk(root):
        if a.get_role() != Atspi.Role.COMBO_BOX:
            continue
        n = name_of(a)
        items = [name_of(i) for i in walk(a) if i.get_role() == Atspi.Role.LIST_ITEM]
        labels = [l for l in labelled_by(a) if l]
        if n in items:
            fault(where, f"a combo box is announced by its current choice \"{n}\", not by "
                  f"its label {labels}")
        elif labels and not any(l.lower() in n.lower() for l in labels):
            fault(where, f"the combo box \"{n}\" is not named by its label {labels}")
        current = text_of(a)
        if current is None or (items and current not in items):
            fault(where, f"the combo box \"{n}\" gives its current choice as {current!r}")


def check_labels(where, root):
    """Every label gives the text it shows (a picture has none)."""
    for a in walk(root):
        if a.get_role() == Atspi.Role.LABEL and text_of(a) is None:
            fault(where, f"the label \"{name_of(a)}\" gives no text")


# ---- The programs ----------------------------------------------------------


procs = []


def end_with_parent():
    """In the child: ends it when the test ends, however the test ends."""
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def start(args, cwd, env, log):
    p = subprocess.Popen(args, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=log,
                         stderr=subprocess.STDOUT, start_new_session=True,
                         preexec_fn=end_with_parent)
    procs.append(p)
    return p


def stop_all():
    for p in procs:
        if p.poll() is None:
            try:
                os.killpg(p.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
    for p in procs:
        try:
            p.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()


def program_env():
    env = dict(os.environ)
    # The toolkit joins the accessibility bus whatever the desktop's setting.
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    # The real window system, where the toolkit's bridge to the bus runs.
    env.pop("QT_QPA_PLATFORM", None)
    return env


def check_window(where, win, ids):
    """The checks every window of a program passes."""
    n = check_names(where, win, ids)
    check_combos(where, win)
    check_readouts(where, win)
    check_labels(where, win)
    check_roles(where, win)
    return n


def sub_window(where, app, title, ids):
    """A sub-window just opened: a dialogue whose controls pass the checks."""
    w = window(app, title)
    if w.get_role() != Atspi.Role.DIALOG:
        fault(where, f"the sub-window \"{title}\" has role {w.get_role_name()}, not dialog")
    check_window(where, w, ids)
    return w


VIEWER_TITLE = r"(.* — )?antenna - Veloran pattern viewer"
SPIN = Atspi.Role.SPIN_BUTTON


def viewer(bin_dir, ids, scratch, env, log):
    where = "antenna"
    sample = os.path.join(scratch, "horn.atn")
    shutil.copy(os.path.join(bin_dir, "samples", "horn.atn"), sample)
    # What the program itself computes for the file, said on its output.
    # Run without the session bus, so that it never shows on the accessibility bus.
    quiet = {k: v for k, v in env.items() if k != "DBUS_SESSION_BUS_ADDRESS"}
    check = subprocess.run([os.path.join(bin_dir, "antenna"), "--self-check", sample],
                           cwd=scratch, env=quiet, capture_output=True, text=True, timeout=TIMEOUT)
    peaks = dict(re.findall(r"^(E-peak|H-peak) (.*)$", check.stdout, re.M))
    if len(peaks) != 2:
        fault(where, f"antenna --self-check (status {check.returncode}) gave no peaks:\n"
              f"{check.stdout}{check.stderr}")
        peaks = {}

    program = start([os.path.join(bin_dir, "antenna"), sample], scratch, env, log)
    app = application("antenna", program)
    main = window(app, "horn.atn — antenna - Veloran pattern viewer")
    print(f"antenna: {check_window(where, main, ids)} controls", flush=True)
    check_no_helpers(where, app)

    # The peak readouts read what the program computed.
    for plane, label in (("E", "E-peak"), ("H", "H-peak")) if peaks else ():
        angle, level = peaks[label].split()
        got_angle = shown_value(need(main, SPIN, name=f"{plane} plane Peak (deg)"))
        got_level = shown_value(need(main, SPIN, name=f"{plane} plane Peak (dB)"))
        if got_angle != angle or abs(float(got_level) - float(level)) > 0.005:
            fault(where, f"{plane} peak read as {got_angle} deg {got_level} dB, "
                  f"the program has {angle} deg {float(level):.2f} dB")

    # The rotation display after a rotation done through the program.
    rotation = need(main, Atspi.Role.LABEL, name="Rotation of the selected plane (deg)")
    if shown_value(rotation) != "0":
        fault(where, f"the rotation display reads {shown_value(rotation)!r} before any rotation")
    act(need(main, Atspi.Role.PUSH_BUTTON, name="Rotate selected plane forward 10 degrees"))
    act(need(main, Atspi.Role.PUSH_BUTTON, name="Rotate selected plane forward 1 degree"))
    try:
        wait_for("the rotation display to read 11", lambda: shown_value(rotation) == "11")
    except Failure as e:
        fault(where, f"{e}; it reads {shown_value(rotation)!r}")
    # The E plane was turned: its peak readout follows.
    if peaks:
        turned = str((int(peaks["E-peak"].split()[0]) + 11) % 360)
        e_peak = need(main, SPIN, name="E plane Peak (deg)")
        try:
            wait_for(f"the E peak to read {turned}", lambda: shown_value(e_peak) == turned)
        except Failure as e:
            fault(where, f"{e}; it reads {shown_value(e_peak)!r}")
    # The plane to turn, chosen from the menu, is said in words.
    menu_item(main, "Plot", "Select H plane to turn")
    chosen = need(main, Atspi.Role.LABEL, name="Selected plane")
    try:
        wait_for("the selected plane to read H",
                 lambda: (shown_value(chosen) or "").startswith("H plane selected"))
    except Failure as e:
        fault(where, f"{e}; it reads {shown_value(chosen)!r}")

    # Every sub-window, opened as a user opens it.
    menu_item(main, "File", "Information...")
    info = sub_window(where, app, "Pattern information", ids)
    act(need(info, Atspi.Role.PUSH_BUTTON, name="Picture..."))
    pic = sub_window(where, app, "Antenna picture", ids)
    # The horn's picture is shown: an image, with a name.
    if not any(a.get_role() == Atspi.Role.IMAGE and name_of(a) for a in walk(pic)):
        fault(where, "the antenna's picture is not announced as an image with a name")
    for path, title in ((("Measure", "Lobe metrics..."), "Lobe metrics"),
                        (("Measure", "Textbook pattern..."), "Textbook pattern"),
                        (("Measure", "Gain by comparison..."), "Gain by comparison"),
                        (("File", "Text of older files..."), "Text of older files"),
                        (("Help", "About..."), "antenna")):
        menu_item(main, *path)
        sub_window(where, app, title, ids)
    # The 3D properties are a modal dialogue of the 3D view.
    menu_item(main, "View", "3D")
    try:
        need(main, Atspi.Role.CHART, name="3D graph")
    except Failure as e:
        fault(where, f"{e}: the 3D view is no chart")
    check_roles(where, main)
    menu_item(main, "View", "3D properties...", modal=True)
    sub_window(where, app, "3D Graph Properties", ids)

    check_windows(where, app, VIEWER_TITLE)
    check_no_helpers(where, app)


def kesto(bin_dir, ids, scratch, env, log):
    where = "Kesto"
    link = os.path.join(scratch, "rig")
    start([os.path.join(bin_dir, "rigsim"), "--link", link, "--antenna", "horn"], scratch, env, log)
    wait_for("the simulated rig", lambda: os.path.exists(link))
    kenv = dict(env)
    kenv["VELORAN_COM1"] = link
    app = application("Kesto", start([os.path.join(bin_dir, "Kesto")], scratch, kenv, log))

    ports = sub_window(where, app, "Kesto - serial port", ids)
    act(need(ports, Atspi.Role.PUSH_BUTTON, starts="Port 1"))
    title = "Kesto - antenna pattern measurement"
    main = window(app, title)
    print(f"Kesto: {check_window(where, main, ids)} controls", flush=True)
    check_no_helpers(where, app)
    # The level display reads what the rig reported (the simulated horn
    # gives -5 dB at angle 0 with the attenuator at 0).
    level = need(main, Atspi.Role.SPIN_BUTTON, name="Level (dB)")
    try:
        wait_for("the level display to read the rig's level", lambda: shown_value(level) == "-5.00")
    except Failure as e:
        fault(where, f"{e}; it reads {shown_value(level)!r}")
    # A step done through the program: the angle display follows the rig.
    angle = need(main, Atspi.Role.SPIN_BUTTON, name="Angle (deg)")
    act(need(main, Atspi.Role.PUSH_BUTTON, name="Turn forward one small step"))
    try:
        wait_for("the angle display to read 1 after a small step",
                 lambda: shown_value(angle) == "1")
    except Failure as e:
        fault(where, f"{e}; it reads {shown_value(angle)!r}")

    for path, title_ in ((("File", "Information..."), "Measurement information"),
                         (("Rig", "Serial port..."), "Serial port"),
                         (("Rig", "Step counts..."), "Step counts"),
                         (("Rig", "Readings per step..."), "Readings per step")):
        menu_item(main, *path)
        sub_window(where, app, title_, ids)
    check_windows(where, app, re.escape(title))
    check_no_helpers(where, app)

    # A question of the program's: an alert whose message is read as text.
    act(need(main, Atspi.Role.PUSH_BUTTON, name="Exit"), modal=True)
    question = "Are you want to quit?"

    def asking():
        for w in windows(app):
            for a in walk(w):
                if a.get_role() == Atspi.Role.LABEL and name_of(a) == question:
                    return w, a
        return None
    box, label = wait_for(f"the question \"{question}\"", asking)
    if box.get_role() not in (Atspi.Role.ALERT, Atspi.Role.DIALOG):
        fault(where, f"the question \"{name_of(box)}\" has role {box.get_role_name()}")
    if text_of(label) != question:
        fault(where, f"the question's message reads {text_of(label)!r}")
    check_names(where, box, ids)
    act(need(box, Atspi.Role.PUSH_BUTTON, name="No"))
    wait_for("the question to go", lambda: asking() is None)


def main():
    bin_dir, source_dir, scratch = (os.path.abspath(a) for a in sys.argv[1:4])
    ids = internal_ids(source_dir)
    env = program_env()
    Atspi.init()
    Atspi.set_timeout(CALL_TIMEOUT_MS, -1)
    # Asking for the desktop brings the accessibility bus up before the
    # programs start; the toolkit's bridge only joins a bus that is there.
    Atspi.get_desktop(0)
    logs = {}
    try:
        for name, run in (("antenna", viewer), ("Kesto", kesto)):
            logs[name] = open(os.path.join(scratch, f"{name}.log"), "w")
            folder = os.path.join(scratch, name)
            os.mkdir(folder)
            t0 = time.monotonic()
            try:
                run(bin_dir, ids, folder, env, logs[name])
            except (Failure, GLib.Error) as e:
                fault(name, str(e))
            finally:
                stop_all()
                procs.clear()
            print(f"{name}: walked in {time.monotonic() - t0:.1f} s", flush=True)
    finally:
        stop_all()
        for name, f in logs.items():
            f.close()
    if faults:
        for name in logs:
            with open(os.path.join(scratch, f"{name}.log")) as f:
                out = f.read().strip()
            if out:
                print(f"---- output of {name}:\n{out}")
        print(f"{len(faults)} fault(s)")
        return 1
    print("every check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

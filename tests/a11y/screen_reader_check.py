#!/usr/bin/env python3
"""What a screen reader sees of the search window, through the desktop's accessibility bus.

    screen_reader_check.py PROGRAM QUERY_TOOL DATA_DIR

Starts a private D-Bus session and an X server of their own (dbus-run-session, xvfb-run),
the program in it with Qt's accessibility bridge on, presses Continue on the welcome
window through the bus, and checks the search window's tree: the application's name,
the criterion rows' controls by their names, and the result as a table whose rows are
the records found (as sifa-query counts them) and whose cells hold text.

Exits 77 (a skip) when a tool it needs is missing, 1 on a failed check; the program and
everything the run started are killed at the end, whatever happens.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
SYSTEM_PYTHON = "/usr/bin/python3"  # pyatspi comes with the system's Python
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
WHOLE_RUN_SECONDS = 100


def missing_tools():
    missing = [t for t in ("dbus-run-session", "xvfb-run", "Xvfb", "xauth") if not shutil.which(t)]
    if not os.path.exists(BUS_LAUNCHER):
        missing.append("at-spi2-core")
    if not os.path.exists(SYSTEM_PYTHON) or subprocess.run(
            [SYSTEM_PYTHON, "-c", "import pyatspi"], capture_output=True).returncode != 0:
        missing.append("python3-pyatspi")
    return missing


def outer(args):
    missing = missing_tools()
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return SKIP
    # The daemons the session starts write to a file, not to the pipe the caller reads:
    # one left behind must not keep the caller waiting.
    with tempfile.TemporaryFile(mode="w+") as log:
        run = subprocess.Popen(
            ["dbus-run-session", "--", "xvfb-run", "-a", "-s", "-screen 0 1366x768x24",
             SYSTEM_PYTHON, os.path.abspath(__file__), "--inner"] + args,
            stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            code = run.wait(timeout=WHOLE_RUN_SECONDS)
        except subprocess.TimeoutExpired:
            print("the run took more than %d s" % WHOLE_RUN_SECONDS)
            code = 1
        finally:
            try:
                os.killpg(run.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            run.wait()
        log.seek(0)
        sys.stdout.write(log.read())
    return code


# ---------------------------------------------------------------- inside the session

def inner(program, query_tool, data_dir):
    import pyatspi

    failures = []

    def check(ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            failures.append(what)

    def wait_for(find, what, seconds=30):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            try:
                found = find()
            except Exception:  # a tree changing under the walk; try again
                found = None
            if found:
                return found
            time.sleep(0.3)
        raise TimeoutError("never came: " + what)

    def walk(node, depth=0):
        """Every accessible below node, a table's cells left out (a table answers for them)."""
        yield node
        if depth > 40 or node.getRoleName() == "table":
            return
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                yield from walk(child, depth + 1)

    def application():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "Sifa_Soft":
                return app
        return None

    def spoken(node):
        """What a screen reader says a control is: the label it is labelled by, else its name
        (a list's name is its current entry)."""
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and relation.getNTargets() > 0:
                return relation.getTarget(0).name
        return node.name

    def named(app, name, role=None):
        for node in walk(app):
            if (role is None or node.getRoleName() == role) and spoken(node) == name:
                return node
        return None

    # The program reads its files beside itself and may write its cache there: a folder
    # of its own, so that other tests reading the data folder meanwhile see it unchanged.
    work = tempfile.mkdtemp()
    for name in ("Refs.dat", "Sifa_table.xls", "Data.dat"):
        if os.path.exists(os.path.join(data_dir, name)):
            shutil.copy2(os.path.join(data_dir, name), work)
    shutil.copy2(program, work)
    # The records the window's first search finds, as the command-line tool counts them.
    expected_rows = int(subprocess.run(
        [query_tool, "--dir", work, "-c", "!Year:Empty", "--count"],
        capture_output=True, text=True, check=True, timeout=30).stdout.split()[0])
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               XDG_CONFIG_HOME=os.path.join(work, "config"), LC_ALL="C.UTF-8", LANGUAGE="en")
    started = subprocess.Popen([os.path.join(work, os.path.basename(program))], cwd=work, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        app = wait_for(application, "an application named Sifa_Soft on the bus")
        check(True, "application Sifa_Soft on the bus")

        def press(button):
            action = button.queryAction()
            action.doAction(next(i for i in range(action.nActions) if action.getName(i).lower() in ("press", "click")))

        def search_window():
            """Continue on the welcome window once the records are in (its first panel, then its second)."""
            if named(app, "Criterion 1 active"):
                return True
            loaded = any(re.match(r"\d+ records loaded", n.name or "") for n in walk(app) if n.getRoleName() == "label")
            go_on = named(app, "Continue", "push button") if loaded else None
            if go_on:
                press(go_on)
            return False

        wait_for(search_window, "the search window after Continue", seconds=40)

        for n in (1, 2, 3):
            # A row's value is typed in a box, or chosen from a list for some operators.
            for name, roles in ((f"Criterion {n} active", ["check box"]), (f"Field of criterion {n}", ["combo box"]),
                                (f"Operator of criterion {n}", ["combo box"]),
                                (f"Value of criterion {n}", ["text", "combo box"])):
                node = wait_for(lambda: next((named(app, name, r) for r in roles if named(app, name, r)), None),
                                f'a {" or ".join(roles)} "{name}"', seconds=10)
                check(True, f'"{name}" is a {node.getRoleName()}')

        grid = wait_for(lambda: named(app, "Records found", "table"), 'the table "Records found"')
        table = grid.queryTable()
        check(table.nRows == expected_rows, f"the table has {table.nRows} rows, the records found: {expected_rows}")
        headings = [table.getColumnDescription(c) for c in range(table.nColumns)]
        check(table.nColumns >= 2 and all(headings), f"{table.nColumns} columns, each with its heading: {headings}")
        year = headings.index("Year") if "Year" in headings else -1
        cell = table.getAccessibleAt(0, year) if year >= 0 else None
        check(cell is not None and re.fullmatch(r"\d{4}", cell.name or "") is not None,
              f"the first row's Year cell reads a year: {cell.name if cell else None!r}")
        last = table.getAccessibleAt(table.nRows - 1, table.nColumns - 1)
        check(last is not None and last.getRoleName() == "table cell", "the last cell is reached as a table cell")
    except TimeoutError as e:
        check(False, str(e))
        # What the bus held instead, for the log.
        app = application()
        for node in (walk(app) if app else []):
            print("  %s %r" % (node.getRoleName(), spoken(node)))
    finally:
        started.terminate()
        try:
            started.wait(timeout=5)
        except subprocess.TimeoutExpired:
            started.kill()
            started.wait()
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


def main():
    args = sys.argv[1:]
    if args and args[0] == "--inner":
        return inner(*args[1:4])
    if len(args) != 3:
        print(__doc__)
        return 2
    return outer(args)


if __name__ == "__main__":
    sys.exit(main())

"""Works through two orders in the xkmtool window through AT-SPI, as a screen
reader user does, and checks what it hears: scripts/check-accessibility
starts it, with the window's first order already running. The argument is a
file whose presence makes the checksum tool slow, and the second order's
three files.

1. The first order ends: the status says so and names its container.
2. File > New order, the input dialog filled in through AT-SPI: nothing in
   the window still tells of the first order's run or container.
3. Run: while the slow checksum tool runs, the status reads "Running step"
   as text, the running step is marked, and the Tools tab lists the tool as
   running. Reading the whole window then is timed and printed.
Prints what it hears; exits non-zero with the failed check's name."""
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(name, passed, heard):
    print(f"{'ok  ' if passed else 'FAIL'} {name}: {heard}")
    if not passed:
        failures.append(name)


def answer_questions():
    """Answers No to a question box, as an operator in a hurry does (the
    user-data question at the first start)."""
    app = application()
    for node in walk(app) if app is not None else []:
        if node.getRoleName() == "alert":
            no = named(node, "push button", "No")
            if no is not None:
                print(f"answered No: {labels(node)}")
                press(no)


def wait_for(what, find, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            answer_questions()
            found = find()
        except GLib.GError:  # a box that closed while it was read
            found = None
        if found:
            return found
        time.sleep(0.2)
    app = application()
    for name in labels(app) if app is not None else []:
        print(f"label: {name}")
    for node in walk(app) if app is not None else []:
        if node.getRoleName() in ("dialog", "alert"):
            print(f"{node.getRoleName()}: {node.name} {labels(node)}")
    sys.exit(f"read-window: gave up waiting for {what}")


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and "xkmtool" in (app.name or "").lower():
            return app
    return None


def walk(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child)


def named(app, role, name):
    for node in walk(app):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def labels(app):
    return [n.name for n in walk(app) if n.getRoleName() in ("label", "status bar") and n.name]


def status(app):
    """The run's state as the status label's accessible name says it."""
    for name in labels(app):
        if name.startswith(("Running step", "Run completed", "Run failed", "Run stopped",
                            "Stopping", "No run yet")):
            return name
    return ""


def table_rows(app, name):
    table = named(app, "table", name)
    if table is None:
        return []
    grid = table.queryTable()
    rows = []
    for row in range(grid.nRows):
        cells = []
        for column in range(grid.nColumns):
            cell = grid.getAccessibleAt(row, column)
            if cell is None:
                continue
            shown = cell.name
            if cell.description:
                shown += f" [{cell.description}]"
            cells.append(shown)
        rows.append(" | ".join(cells))
    return rows


def press(node):
    """Presses a button or menu item. One that opens a dialog or starts a run
    answers only once that has ended: its reply is not waited for."""
    try:
        node.queryAction().doAction(0)
    except GLib.GError as error:
        if "Did not receive a reply" not in str(error):
            raise


def new_order(app, files):
    press(wait_for("File > New order", lambda: named(app, "menu item", "New order…")))
    dialog = wait_for("the input dialog", lambda: named(app, "dialog", "Input files") or
                      next((n for n in walk(app) if n.getRoleName() == "dialog"), None))
    fields = [n for n in walk(dialog) if n.getRoleName() == "text"]
    for field, path in zip(fields, files):
        field.queryEditableText().setTextContents(path)
    press(wait_for("its OK button", lambda: named(dialog, "push button", "Ok")))


def main():
    slow_flag, files = sys.argv[1], sys.argv[2:5]
    app = wait_for("xkmtool on the accessibility bus", application)

    wait_for("the first order's end", lambda: status(app).startswith("Run completed"))
    container = [n for n in labels(app) if n.startswith("Container written:")]
    check("the first order ends with its container named", bool(container), container)

    open(slow_flag, "w").close()
    new_order(app, files)
    time.sleep(1)
    stale = [n for n in labels(app) if "Run completed" in n or "Container written:" in n]
    check("nothing of the first order's result after New order", not stale,
          stale or status(app))
    inputs = [n for n in labels(app) if n.startswith("Input files:")]
    check("the new order's files are named", inputs == ["Input files: " + ", ".join(files)],
          inputs)

    press(wait_for("the Run button", lambda: named(app, "push button", "Run")))
    running = wait_for("a running tool", lambda: [
        r for r in table_rows(app, "Tool runs") if "running" in r])
    time.sleep(3)
    started = time.monotonic()
    count = sum(1 for _ in walk(app))
    seconds = time.monotonic() - started
    check("the running tool is listed", bool(running), running)
    check("the state is text", status(app).startswith("Running step"), status(app))
    steps = table_rows(app, "Process steps")
    check("the running step is marked", any("[running]" in r for r in steps), steps)
    print(f"read {count} objects in {seconds:.2f} s")
    for name in labels(app):
        print(f"label: {name}")
    for table in ("Process steps", "Reports", "Tool runs"):
        print(f"table {table}:")
        for row in table_rows(app, table):
            print(f"  | {row}")
    if failures:
        sys.exit("read-window: failed: " + ", ".join(failures))


main()

"""Prints what AT-SPI shows of the xkmtool window once the checksum step runs:
scripts/check-accessibility starts it. The argument is a file that exists
while that step runs (its QSR script)."""
import os
import sys
import time

import pyatspi


def find_application():
    for _ in range(300):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and "xkmtool" in (app.name or "").lower():
                return app
        time.sleep(0.1)
    sys.exit("read-window: no xkmtool on the accessibility bus")


def walk(node):
    yield node
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk(child)


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return ""


def main():
    app = find_application()
    flag = sys.argv[1]
    for _ in range(600):
        if os.path.exists(flag):
            break
        time.sleep(0.05)
    time.sleep(3)
    started = time.monotonic()
    nodes = list(walk(app))
    seconds = time.monotonic() - started
    print(f"read {len(nodes)} objects in {seconds:.2f} s")
    for node in nodes:
        role = node.getRoleName()
        if role in ("label", "status bar") and (node.name or text_of(node)):
            print(f"{role}: name={node.name!r} text={text_of(node)!r}")
        if role == "table":
            table = node.queryTable()
            print(f"table {node.name!r}: {table.nRows} rows x {table.nColumns} columns")
            for row in range(table.nRows):
                cells = []
                for column in range(table.nColumns):
                    cell = table.getAccessibleAt(row, column)
                    if cell is None:
                        continue
                    shown = cell.name or text_of(cell)
                    if cell.description:
                        shown += f" [{cell.description}]"
                    if cell.getState().contains(pyatspi.STATE_SELECTED):
                        shown += " [selected]"
                    cells.append(shown)
                print("  | " + " | ".join(cells))


main()

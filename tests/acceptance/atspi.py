#!/usr/bin/python3
"""Reads a program's windows through the AT-SPI bus, as a screen reader would.

  atspi.py lines PID            one line per showing element: role, name, text, states
  atspi.py find PID ROLE NAME   "X Y" of the centre of the first showing element with this role
                                and name (exit 1 when there is none), for xdotool to click
"""
import sys

import pyatspi

STATES = {pyatspi.STATE_CHECKED: "checked", pyatspi.STATE_SELECTED: "selected",
          pyatspi.STATE_FOCUSED: "focused", pyatspi.STATE_ENABLED: "enabled"}


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    sys.exit("no application with pid %d on the AT-SPI bus" % pid)


def walk(element, depth=0):
    """Showing elements under element, depth first; bounded against cycles."""
    if depth > 60:
        return
    for index in range(element.childCount):
        try:
            child = element.getChildAtIndex(index)
        except Exception:
            continue
        if child is None:
            continue
        states = child.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        yield child
        yield from walk(child, depth + 1)


def text_of(element):
    try:
        text = element.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return ""
    except Exception:
        return ""


def line(element):
    states = element.getState()
    flags = ",".join(name for state, name in STATES.items() if states.contains(state))
    return "\t".join([element.getRoleName(), element.name or "", text_of(element).replace("\n", "\\n"),
                      flags])


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    command, pid = argv[1], int(argv[2])
    app = application(pid)
    if command == "lines":
        for element in walk(app):
            print(line(element))
        return 0
    if command == "find" and len(argv) == 5:
        role, name = argv[3], argv[4]
        for element in walk(app):
            if element.getRoleName() == role and (element.name or "") == name:
                extents = element.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                print(extents.x + extents.width // 2, extents.y + extents.height // 2)
                return 0
        return 1
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))

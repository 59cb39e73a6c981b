#!/usr/bin/python3
"""Reads a program's windows through the AT-SPI bus, as a screen reader would.

  atspi.py lines PID            one line per showing element: role, name, text, states
  atspi.py find PID ROLE NAME   "X Y" of the centre of the first showing element with this role
                                ("*": any) and name (exit 1 when there is none), for xdotool
  atspi.py find-like PID ROLE TEXT   the same for the first whose name contains TEXT, any case
  atspi.py shown PID SECONDS    waits for a window of PID to be shown (popups included, which
                                are not among the application's children) and prints its lines
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


def shown(pid, seconds):
    """Lines of the first window PID shows within seconds, as a screen reader learns of it."""
    from gi.repository import GLib

    found = []

    def on_event(event):
        try:
            source = event.source
            if event.detail1 != 1 or source.get_process_id() != pid or found:
                return
            # Up to the window: its parent is the application, though the application does not
            # list a popup among its children.
            window = source
            for _ in range(60):
                parent = window.parent
                if parent is None or parent.getRoleName() == "application":
                    break
                window = parent
            found.extend(line(element) for element in walk(window))
            if found:
                pyatspi.Registry.stop()
        except Exception:
            return

    pyatspi.Registry.registerEventListener(on_event, "object:state-changed:showing")
    GLib.timeout_add(int(seconds * 1000), lambda: pyatspi.Registry.stop())
    print("listening", flush=True)
    pyatspi.Registry.start()
    for text in found:
        print(text)
    return 0 if found else 1


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    command, pid = argv[1], int(argv[2])
    if command == "shown" and len(argv) == 4:
        return shown(pid, float(argv[3]))
    app = application(pid)
    if command == "lines":
        for element in walk(app):
            print(line(element))
        return 0
    if command in ("find", "find-like") and len(argv) == 5:
        role, name = argv[3], argv[4]
        for element in walk(app):
            found = element.name or ""
            if command == "find-like":
                same = name.casefold() in found.casefold()
            else:
                same = found == name
            if role in ("*", element.getRoleName()) and same:
                extents = element.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                print(extents.x + extents.width // 2, extents.y + extents.height // 2)
                return 0
        return 1
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))

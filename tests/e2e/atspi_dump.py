#!/usr/bin/env python3
"""Prints the accessible tree of a running application as a screen reader sees it over AT-SPI:
one element a line, indented by depth, as [role] "name" {states} description="...".
Only elements on screen (state showing) are printed, with their subtrees.

A popup menu is no child of its application: with --menu-after COMMAND the script runs the
shell command (one that opens a menu, say a key press) and prints the menu that the
application then announces, as a screen reader learns of it.

Usage: atspi_dump.py APPLICATION_NAME [SECONDS_TO_WAIT_FOR_IT]
       atspi_dump.py APPLICATION_NAME --menu-after COMMAND
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

STATES = {
    pyatspi.STATE_EDITABLE: "editable",
    pyatspi.STATE_READ_ONLY: "read-only",
    pyatspi.STATE_FOCUSABLE: "focusable",
    pyatspi.STATE_FOCUSED: "focused",
}


def find_application(name, seconds):
    deadline = time.monotonic() + seconds
    while True:
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.name == name:
                return application
        if time.monotonic() > deadline:
            return None
        time.sleep(0.2)


def line(element, depth):
    states = element.getState()
    shown = sorted(text for state, text in STATES.items() if states.contains(state))
    text = '%s[%s] "%s"' % ("  " * depth, element.getRoleName(), element.name)
    if shown:
        text += " {%s}" % ",".join(shown)
    if element.description:
        description = " ".join(element.description.split())
        text += ' description="%s"' % description[:160]
    return text


def dump(element, depth, out):
    if element is None:
        return
    if depth > 0 and not element.getState().contains(pyatspi.STATE_SHOWING):
        return
    out.append(line(element, depth))
    for index in range(element.childCount):
        dump(element.getChildAtIndex(index), depth + 1, out)


def menu_opened_by(application_name, command):
    """The menu that `command` makes the application show, or None within 5 s."""
    menus = []

    def on_event(event):
        try:
            source = event.source
            if source.getApplication().name != application_name:
                return
            while source is not None and source.getRoleName() == "menu item":
                source = source.parent
            if source is not None and source.getRoleName() in ("menu", "popup menu"):
                menus.append(source)
                pyatspi.Registry.stop()
        except Exception:  # an element that went away meanwhile tells nothing
            pass

    pyatspi.Registry.registerEventListener(on_event, "object", "window", "focus")
    GLib.timeout_add(300, lambda: subprocess.Popen(command, shell=True) and False)
    GLib.timeout_add(5000, lambda: pyatspi.Registry.stop() and False)
    pyatspi.Registry.start()
    return menus[0] if menus else None


def main():
    name = sys.argv[1]
    if len(sys.argv) > 3 and sys.argv[2] == "--menu-after":
        root = menu_opened_by(name, sys.argv[3])
        missing = "no menu of %s appeared" % name
    else:
        root = find_application(name, float(sys.argv[2]) if len(sys.argv) > 2 else 20)
        missing = "no application named %s on the accessibility bus" % name
    if root is None:
        print(missing, file=sys.stderr)
        return 1
    out = []
    dump(root, 0, out)
    print("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Prints the accessible tree of a running application as a screen reader sees it over AT-SPI:
one element a line, indented by depth, as [role] "name" {states} description="...".
Only elements on screen (state showing) are printed, with their subtrees.

Usage: atspi_dump.py APPLICATION_NAME [SECONDS_TO_WAIT_FOR_IT]
"""
import sys
import time

import pyatspi

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


def main():
    application = find_application(sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 20)
    if application is None:
        print("no application named %s on the accessibility bus" % sys.argv[1], file=sys.stderr)
        return 1
    out = []
    dump(application, 0, out)
    print("\n".join(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""Presses the push button named NAME in the running application APP over the accessibility bus
(AT-SPI), as an assistive tool would: the one way to drive a window on a compositor that takes
no synthetic input. Usage: press_button.py APP NAME"""
import sys
import time

import pyatspi


def application(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def button(node, name):
    if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == name:
        return node
    for child in node:
        found = child is not None and button(child, name)
        if found:
            return found
    return None


def main():
    app_name, button_name = sys.argv[1], sys.argv[2]
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        app = application(app_name)
        target = app is not None and button(app, button_name)
        if target:
            target.queryAction().doAction(0)
            return 0
        time.sleep(0.2)
    print(f"no push button {button_name!r} in {app_name!r}", file=sys.stderr)
    return 1


sys.exit(main())

"""A screen reader's view of the running settings program, through the AT-SPI bus.

Walks the program's accessible tree, presses the "Control Base Address" highlight, finds the
jumper glyph "A4" in the popup that opens, reads whether it is fitted, toggles it and waits for
the state change to be announced. Exits 0 when all of that works, 1 with a message otherwise.
"""

import sys
import time

import pyatspi
from gi.repository import GLib

APP_NAME = "tr4410-settings"
WAIT = 20.0  # seconds for the program and each of its reactions


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for(what, find, seconds=WAIT):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    fail("no " + what)


def program():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == APP_NAME:
            return app
    return None


def find(root, role, name):
    """The first accessible below root (breadth first) with this role name and name."""
    queue = [root]
    while queue:
        node = queue.pop(0)
        try:
            if node.getRoleName() == role and node.name == name:
                return node
            queue.extend(child for child in node if child is not None)
        except Exception:  # a window closing under the walk
            continue
    return None


def do(node, action_name):
    action = node.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    if action_name not in names:
        fail("%s %r offers %s, not %s" % (node.getRoleName(), node.name, names, action_name))
    action.doAction(names.index(action_name))


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def main():
    app = wait_for("program " + APP_NAME + " on the bus", program)
    ring = wait_for("button Control Base Address", lambda: find(app, "push button", "Control Base Address"))
    do(ring, "press")

    popup = wait_for("popup Control Base Address",
                     lambda: next((w for w in app if w is not None and w.name == "Control Base Address"), None))
    a4 = wait_for("check box A4 in the popup", lambda: find(popup, "check box", "A4"))
    before = checked(a4)
    print("A4 is %s" % ("fitted" if before else "not fitted"))

    announced = []
    pyatspi.Registry.registerEventListener(
        lambda event: announced.append(event.detail1) if event.source == a4 else None,
        "object:state-changed:checked")
    do(a4, "toggle")

    end = time.monotonic() + WAIT

    def settled():
        if (announced and checked(a4) != before) or time.monotonic() > end:
            pyatspi.Registry.stop()
            return False
        return True

    GLib.timeout_add(100, settled)
    pyatspi.Registry.start()
    if checked(a4) == before:
        fail("A4 did not toggle")
    if not announced:
        fail("the toggle of A4 was not announced")
    if bool(announced[-1]) != checked(a4):
        fail("the announcement says %s, the state %s" % (announced[-1], checked(a4)))
    print("A4 is now %s, and was announced" % ("fitted" if checked(a4) else "not fitted"))


if __name__ == "__main__":
    main()

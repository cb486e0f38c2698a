"""Reads a running program's accessible tree through AT-SPI, as a screen reader does.

    atspi_tree.py APP [press NAME | watch NAME SECONDS]

Prints one line for each element (indented role and name, and the states a reader announces
for push buttons; a description on a line of its own), then presses the push button NAME
through its accessible action, if asked, or prints the next description the element NAME
announces (waiting SECONDS at most). Exits 1 when the program does not show up or the button
has no press action.
"""
import sys
import time

import pyatspi


def find_application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for _ in range(100):
        for app in desktop:
            if app is not None and app.name == name and app.childCount > 0:
                return app
        time.sleep(0.1)
    return None


def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


STATES = {pyatspi.STATE_FOCUSED: "focused", pyatspi.STATE_IS_DEFAULT: "default",
          pyatspi.STATE_PRESSED: "pressed", pyatspi.STATE_SENSITIVE: "enabled",
          pyatspi.STATE_FOCUSABLE: "focusable"}


def watch(name, seconds):
    """Prints the next description the element `name` announces, as a screen reader hears it;
    gives up after `seconds`."""
    from gi.repository import GLib

    def changed(event):
        if event.source is not None and event.source.name == name:
            print("announced: " + repr(event.source.description), flush=True)
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(changed, "object:property-change:accessible-description")
    print("watching", flush=True)
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    pyatspi.Registry.start()
    return 0


def main():
    app = find_application(sys.argv[1])
    if app is None:
        print("no application " + sys.argv[1])
        return 1
    # The tree fills in as the window comes up: read it once it holds a button or a label.
    for _ in range(50):
        nodes = list(walk(app))
        if any(n.getRoleName() in ("push button", "label") for n, _ in nodes):
            break
        time.sleep(0.1)
    pressable = {}
    for node, depth in nodes:
        line = "  " * depth + node.getRoleName() + ": " + repr(node.name)
        if node.getRoleName() == "push button":
            states = node.getState()
            line += " [" + ", ".join(v for k, v in STATES.items() if states.contains(k)) + "]"
            action = node.queryAction()
            names = [action.getName(i) for i in range(action.nActions)]
            line += " actions=" + ",".join(names)
            pressable[node.name] = (action, names)
        print(line)
        if node.description:
            print("  " * depth + "  description: " + repr(node.description))
    if len(sys.argv) > 4 and sys.argv[2] == "watch":
        return watch(sys.argv[3], float(sys.argv[4]))
    if len(sys.argv) > 3 and sys.argv[2] == "press":
        action, names = pressable.get(sys.argv[3], (None, []))
        press = [i for i, n in enumerate(names) if n.lower() in ("press", "click")]
        if not press:
            print("no press action on " + sys.argv[3])
            return 1
        action.doAction(press[0])
    return 0


if __name__ == "__main__":
    sys.exit(main())

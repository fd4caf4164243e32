# What a screen reader gets of the application called APPLICATION through AT-SPI:
#   accessible-text.py APPLICATION NAME  - the description of the first accessible called NAME
#   accessible-text.py --tips APPLICATION - the text of each tip on screen, one a line
# Fails (status 1) while there is no such application, accessible or tip.
import sys

import pyatspi


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name == name:
            return app
    sys.exit(1)


def find(node, name, depth=0):
    if node is None or depth > 12:
        return None
    if node.name == name:
        return node
    for index in range(node.childCount):
        found = find(node.getChildAtIndex(index), name, depth + 1)
        if found is not None:
            return found
    return None


if sys.argv[1] == "--tips":
    # Tips are windows of their own, so children of the application itself.
    app = application(sys.argv[2])
    tips = [app.getChildAtIndex(index) for index in range(app.childCount)]
    tips = [tip.name for tip in tips if tip is not None and tip.getRole() == pyatspi.ROLE_TOOL_TIP
            and tip.getState().contains(pyatspi.STATE_SHOWING)]
    if not tips:
        sys.exit(1)
    sys.stdout.write("".join(tip + "\n" for tip in tips))
else:
    found = find(application(sys.argv[1]), sys.argv[2])
    if found is None:
        sys.exit(1)
    sys.stdout.write(found.description)

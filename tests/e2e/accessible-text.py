# accessible-text.py APPLICATION NAME: prints the description of the first accessible called NAME
# in the application of that name, as a screen reader gets it through AT-SPI. Fails (status 1)
# while there is no such application or accessible.
import sys

import pyatspi


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


application, name = sys.argv[1:3]
desktop = pyatspi.Registry.getDesktop(0)
for index in range(desktop.childCount):
    app = desktop.getChildAtIndex(index)
    if app is not None and app.name == application:
        found = find(app, name)
        if found is not None:
            sys.stdout.write(found.description)
            sys.exit(0)
sys.exit(1)

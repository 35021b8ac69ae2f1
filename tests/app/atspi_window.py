#!/usr/bin/env python3
"""The program's window as a screen reader sees it, over AT-SPI.

Usage: atspi_window.py tree|focused|tick|press NAME: every object below the window
(depth role|name|description), the focused one, the countdown label's name, or the push
button NAME pressed through its action. Exits 1 when that is not there.
"""
import sys

import pyatspi


def window():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "lumivox":
            for top in app:
                if top is not None and top.getRoleName() == "frame":
                    return top
    sys.exit("no lumivox window on the accessibility bus")

def walk(node, depth=0):
    """Depth first; a combo box's list is listed, not its items (a round trip each)."""
    for child in node:
        if child is None:
            continue
        yield depth, child
        if child.getRoleName() != "list":
            yield from walk(child, depth + 1)

def line(node):
    text = f"{node.getRoleName()}|{node.name}"
    if node.description:
        text += f"|{node.description}"
    return text

def main():
    command = sys.argv[1] if len(sys.argv) > 1 else "tree"
    top = window()
    if command == "tree":
        for depth, node in walk(top):
            print(f"{depth} {line(node)}")
        return 0
    focused = None
    for _, node in walk(top):
        states = node.getState()
        if command == "press" and node.getRoleName() == "push button" and node.name == sys.argv[2]:
            node.queryAction().doAction(0)
            return 0
        # Qt marks the current page tab focused whatever has the focus.
        if command == "focused" and states.contains(pyatspi.STATE_FOCUSED) and \
                node.getRoleName() != "page tab":
            focused = node
        if command == "tick" and node.getRoleName() == "label" and (
                node.name.startswith("还剩") or node.name == "未计时"):
            print(node.name)
            return 0
    if focused is not None:
        print(line(focused))
        return 0
    return 1

if __name__ == "__main__":
    sys.exit(main())

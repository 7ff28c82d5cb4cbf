#!/usr/bin/python3
"""List what a screen reader sees of the running program.

Finds the program on the AT-SPI bus, opens every section through the welcome
screen's menu (pressing each menu command through its accessibility action, as
a screen reader would), then prints, for every window, each control's role,
name and description. Controls a user can reach or read that have no name are
marked "NO NAME" and make the exit status 1.

Then it works one question of a lesson, pressing its buttons through their
actions and choosing answers with the arrow keys (sent by xdotool, as the
list offers no selection interface), and prints the accessibility events the
answer feedback raises.

Run it through tools/atspi-run.sh, which starts a virtual display, the
accessibility bus and the program.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP_NAME = sys.argv[1] if len(sys.argv) > 1 else "valthera"
# Roles that only group other controls; they need no name.
CONTAINERS = {"filler", "panel", "scroll pane", "viewport", "application", "unknown"}
# Roles read out as they are even without a name of their own.
NAMELESS_OK = {"scroll bar", "separator"}


def wait_for(find, what, seconds=10.0):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found is not None:
            return found
        time.sleep(0.2)
    sys.exit(f"timed out waiting for {what}")


def find_app():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP_NAME:
            return app
    return None


def frames(app):
    return [child for child in app if child is not None]


def frame_named(app, name):
    for frame in frames(app):
        if frame.name == name:
            return frame
    return None


def descendants(acc, role=None):
    for child in acc:
        if child is None:
            continue
        if role is None or child.getRoleName() == role:
            yield child
        yield from descendants(child, role)


def press(acc):
    action = acc.queryAction()
    action.doAction(0)


def settle(seconds=0.6):
    # Let the program handle the requests and the bus deliver its events.
    end = time.time() + seconds
    context = GLib.MainContext.default()
    while time.time() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.05)


def list_tree(acc, depth, problems, window):
    for child in acc:
        if child is None:
            continue
        states = child.getState()
        if not states.contains(pyatspi.STATE_SHOWING) and child.getRoleName() != "menu item":
            continue
        role = child.getRoleName()
        name = child.name or ""
        line = f"{'  ' * depth}{role}: \"{name}\""
        if child.description:
            description = child.description.replace("\n", " / ")
            if len(description) > 70:
                description = description[:67] + "..."
            line += f"  [{description}]"
        blank_label = role == "label" and not name.strip()
        if not name.strip() and role not in CONTAINERS | NAMELESS_OK and not blank_label:
            line += "   <-- NO NAME"
            problems.append(f"{window}: {role}")
        if role == "list":
            rows = [row.name for row in child if row is not None]
            print(line + f"  ({len(rows)} rows)")
            for row in rows[:3]:
                print(f"{'  ' * (depth + 1)}list item: \"{row}\"")
            if len(rows) > 3:
                print(f"{'  ' * (depth + 1)}...")
            continue
        print(line)
        list_tree(child, depth + 1, problems, window)


def text_of(acc):
    try:
        text = acc.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def main():
    app = wait_for(find_app, f"{APP_NAME} on the accessibility bus")
    welcome = wait_for(lambda: frame_named(app, "Introduction"), "the welcome screen")
    bar = next(descendants(welcome, "menu bar"))
    commands = [item for item in bar if item is not None]
    print(f"menu bar \"{bar.name}\": " + ", ".join(f'"{item.name}"' for item in commands))
    for item in commands:
        if item.name != "End Session":
            press(item)
            settle()

    problems = []
    for frame in frames(app):
        print()
        print(f"== {frame.getRoleName()}: \"{frame.name}\"")
        if not frame.name:
            problems.append("a window without a name")
        text = text_of(frame)
        if text:
            lines = text.split("\n")
            print(f"   text interface: {len(lines)} lines, first \"{lines[0]}\", then \"{lines[1]}\"")
        list_tree(frame, 1, problems, frame.name)

    # One question of the lesson, answered through the accessibility interfaces.
    print()
    print("== answering question 1 of \"Loop Basics\"")
    heard = []

    def on_event(event):
        if event.source is not None and event.source.getRoleName() == "label":
            heard.append(f"{event.type}: \"{event.source.name}\"")

    for kind in ("object:property-change:accessible-name", "object:text-changed", "object:announcement",
                 "object:state-changed:showing"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    press(next(item for item in commands if item.name == "Loop Basics"))
    settle()
    lesson = frame_named(app, "Loop Basics")
    start = next(b for b in descendants(lesson, "push button") if b.name == "Start Questions")
    press(start)
    settle()
    choices = next(l for l in descendants(lesson, "list") if l.name == "Question choices")
    # Tab through the lesson as a keyboard user would, to the choices.
    for _ in range(20):
        if choices.getState().contains(pyatspi.STATE_FOCUSED):
            break
        subprocess.run(["xdotool", "key", "Tab"], check=True)
        settle(0.2)
    print("   choices reached with Tab:", choices.getState().contains(pyatspi.STATE_FOCUSED))
    for row in (1, 2):
        subprocess.run(["xdotool", "key", "Down"], check=True)
        settle()
        feedback = [label.name for label in descendants(lesson, "label") if label.name in ("CORRECT!", "TRY AGAIN")]
        print(f"   Down to row {row}: feedback label reads {feedback}")
    print("   events from labels:")
    for line in heard or ["(none)"]:
        print(f"     {line}")

    print()
    if problems:
        print("controls without a name:\n  " + "\n  ".join(problems))
        return 1
    print("every control has a role and a name")
    return 0


if __name__ == "__main__":
    sys.exit(main())

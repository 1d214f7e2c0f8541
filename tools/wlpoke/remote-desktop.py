#!/usr/bin/python3
"""The end-to-end run's hands and eyes on mutter, which gives other clients neither input nor
pictures over Wayland: its remote desktop and screen cast D-Bus services, on the session bus.

Reads commands on standard input, one a line, and answers "ok" for each once mutter has it:
"move X Y" (pointer to a point of the monitor), "down", "up" (left button), "key CODE" (an
evdev key, pressed and released), "hold CODE MS" (pressed for MS milliseconds), "shoot FILE"
(a PNG of the monitor). Usage: remote-desktop.py CONNECTOR
"""
import subprocess
import sys
import time

import dbus
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

BTN_LEFT = 0x110
SERVICE = "org.gnome.Mutter.{}"
PATH = "/org/gnome/Mutter/{}"


def interface(bus, path, name):
    return dbus.Interface(bus.get_object(SERVICE.format(name.split(".")[0]), path),
                          SERVICE.format(name))


def main():
    connector = sys.argv[1]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    remote = interface(bus, PATH.format("RemoteDesktop"), "RemoteDesktop")
    session_path = remote.CreateSession()
    session = interface(bus, session_path, "RemoteDesktop.Session")
    session_id = dbus.Interface(bus.get_object(SERVICE.format("RemoteDesktop"), session_path),
                                dbus.PROPERTIES_IFACE).Get(SERVICE.format("RemoteDesktop.Session"),
                                                           "SessionId")
    cast = interface(bus, PATH.format("ScreenCast"), "ScreenCast")
    cast_session_path = cast.CreateSession({"remote-desktop-session-id": session_id})
    cast_session = interface(bus, cast_session_path, "ScreenCast.Session")
    # The pointer's absolute motion is in the picture's coordinates, so it needs the stream.
    stream_path = cast_session.RecordMonitor(connector, {"cursor-mode": dbus.UInt32(0)})
    stream = interface(bus, stream_path, "ScreenCast.Stream")

    node = []
    loop = GLib.MainLoop()

    def added(node_id):
        node.append(int(node_id))
        loop.quit()

    stream.connect_to_signal("PipeWireStreamAdded", added)
    session.Start()
    GLib.timeout_add_seconds(10, loop.quit)
    loop.run()
    if not node:
        sys.exit("remote-desktop.py: no stream from mutter")

    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        command, args = words[0], words[1:]
        if command == "move":
            session.NotifyPointerMotionAbsolute(stream_path, float(args[0]), float(args[1]))
        elif command in ("down", "up"):
            session.NotifyPointerButton(BTN_LEFT, command == "down")
        elif command == "key":
            session.NotifyKeyboardKeycode(int(args[0]), True)
            session.NotifyKeyboardKeycode(int(args[0]), False)
        elif command == "hold":
            session.NotifyKeyboardKeycode(int(args[0]), True)
            time.sleep(int(args[1]) / 1000)
            session.NotifyKeyboardKeycode(int(args[0]), False)
        elif command == "shoot":
            subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", f"path={node[0]}",
                            "num-buffers=1", "!", "videoconvert", "!", "pngenc", "!",
                            "filesink", f"location={args[0]}"],
                           check=True, stdout=subprocess.DEVNULL)
        else:
            sys.exit(f"remote-desktop.py: unknown command: {line.strip()}")
        print("ok", flush=True)
    session.Stop()


if __name__ == "__main__":
    main()

"""kwinsee: the end-to-end run's eyes on KWin, through its session bus.
  kwinsee shot FILE     the whole screen into FILE (PNG), by KWin's screenshot interface.
  kwinsee window APPID  prints "x y width height active minimised" (0 or 1) of the window of
                        that app id; exits 1 when there is none. KWin tells only a script of
                        its own: it runs one that calls back here with the answer.
Needs Debian's python3-dbus and python3-gi (run with /usr/bin/python3)."""
import os
import subprocess
import sys
import tempfile
import threading

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

# QImage's formats that lie in memory as B, G, R, A bytes.
BGRA_FORMATS = {4, 5, 6}


def shot(bus, path):
    screenshots = dbus.Interface(bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                                 "org.kde.KWin.ScreenShot2")
    reading, writing = os.pipe()
    pixels = []

    # KWin writes the pixels after it answers: read meanwhile, or a full pipe stalls it.
    def read():
        with os.fdopen(reading, "rb") as pipe:
            pixels.append(pipe.read())

    reader = threading.Thread(target=read)
    reader.start()
    try:
        meta = screenshots.CaptureWorkspace({}, dbus.types.UnixFd(writing))
    finally:
        os.close(writing)
        reader.join()
    width, height, stride = int(meta["width"]), int(meta["height"]), int(meta["stride"])
    if meta["type"] != "raw" or int(meta["format"]) not in BGRA_FORMATS:
        sys.exit(f"kwinsee: a screenshot of type {meta['type']}, format {meta['format']}")
    rows = b"".join(pixels[0][y * stride:y * stride + width * 4] for y in range(height))
    subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "bgra:-",
                    "-alpha", "off", path], input=rows, check=True)


SCRIPT = """
const found = workspace.clientList().filter(w => w.resourceClass == "%(app)s");
const g = found.length ? found[0].frameGeometry : null;
callDBus("%(me)s", "/kwinsee", "org.example.kwinsee", "tell",
         g ? [g.x, g.y, g.width, g.height, +found[0].active, +found[0].minimized].join(" ") : "");
"""


def window(bus, app):
    loop = GLib.MainLoop()
    answer = []

    class Listener(dbus.service.Object):
        @dbus.service.method("org.example.kwinsee", in_signature="s")
        def tell(self, text):
            answer.append(text)
            loop.quit()

    Listener(bus, "/kwinsee")
    scripting = dbus.Interface(bus.get_object("org.kde.KWin", "/Scripting"),
                               "org.kde.kwin.Scripting")
    name = f"kwinsee-{os.getpid()}"
    with tempfile.NamedTemporaryFile("w", suffix=".js") as script:
        script.write(SCRIPT % {"app": app, "me": bus.get_unique_name()})
        script.flush()
        # Two calls of this name: the signature picks the one with a plugin name.
        number = scripting.loadScript(script.name, name, signature="ss")
        try:
            bus.get_object("org.kde.KWin", f"/{number}").run(dbus_interface="org.kde.kwin.Script")
            GLib.timeout_add(2000, loop.quit)
            loop.run()
        finally:
            scripting.unloadScript(name)
    if not answer:
        sys.exit("kwinsee: KWin's script did not answer")
    if not answer[0]:
        sys.exit(1)
    print(answer[0])


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if len(sys.argv) == 3 and sys.argv[1] == "shot":
        shot(bus, sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "window":
        window(bus, sys.argv[2])
    else:
        sys.exit("usage: kwinsee shot FILE | kwinsee window APPID")


main()

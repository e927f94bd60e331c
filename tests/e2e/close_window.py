#!/usr/bin/env python3
"""Asks an X window to close, as its title bar's close box would.

Usage: close_window.py WINDOW_ID
Sends the WM_DELETE_WINDOW message of the WM_PROTOCOLS protocol to the window
on $DISPLAY. Without a window manager there is no close box to click, and
destroying the window behind the client's back is not what a user does.
"""

import ctypes
import ctypes.util
import sys

CLIENT_MESSAGE = 33
NO_EVENT_MASK = 0


class ClientMessageData(ctypes.Union):
    _fields_ = [
        ("b", ctypes.c_char * 20),
        ("s", ctypes.c_short * 10),
        ("l", ctypes.c_long * 5),
    ]


class ClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ClientMessageData),
    ]


class Event(ctypes.Union):
    # XEvent is padded to 24 longs whatever the member.
    _fields_ = [("xclient", ClientMessageEvent), ("pad", ctypes.c_long * 24)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    window = int(sys.argv[1], 0)

    name = ctypes.util.find_library("X11") or "libX11.so.6"
    x11 = ctypes.CDLL(name)
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [
        ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the X display")
    event = Event()
    message = event.xclient
    message.type = CLIENT_MESSAGE
    message.window = window
    message.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
    message.format = 32
    message.data.l[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", False)
    message.data.l[1] = 0  # CurrentTime
    status = x11.XSendEvent(display, window, False, NO_EVENT_MASK, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)
    if not status:
        sys.exit("the X server refused to deliver the message")


if __name__ == "__main__":
    main()

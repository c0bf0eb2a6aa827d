#!/usr/bin/env python3
# Asks a window to close as a window manager's close button does: a WM_DELETE_WINDOW message.
# Usage: close-window.py WINDOW_ID (decimal or 0x hex); DISPLAY names the display.
import ctypes
import sys


class ClientMessage(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class Event(ctypes.Union):
    # XEvent is a union padded to 24 longs.
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]


CLIENT_MESSAGE = 33
CURRENT_TIME = 0

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

window = int(sys.argv[1], 0)
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("close-window: cannot open the display")
event = Event()
event.client.type = CLIENT_MESSAGE
event.client.window = window
event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.client.format = 32
event.client.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.client.data[1] = CURRENT_TIME
if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
    sys.exit("close-window: the message could not be sent")
x11.XFlush(display)
x11.XCloseDisplay(display)

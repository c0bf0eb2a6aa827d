#!/usr/bin/env python3
"""Writes Notification.wav: the short two-note chime the grids play after a move.

Run from this folder: python3 make_notification.py
"""
import math
import struct
import wave

RATE = 22050
NOTES = [(880.0, 0.0, 0.22), (1318.5, 0.09, 0.30)]  # A5 then E6, overlapping: a soft rising chime
LENGTH = 0.40


def sample(t):
    value = 0.0
    for freq, start, length in NOTES:
        u = t - start
        if 0 <= u < length:
            attack = min(1.0, u / 0.006)
            decay = math.exp(-u * 9.0)
            # A touch of the octave gives the tone a bell-like colour.
            value += attack * decay * (math.sin(2 * math.pi * freq * u) + 0.25 * math.sin(4 * math.pi * freq * u))
    return value


frames = bytearray()
count = int(RATE * LENGTH)
for i in range(count):
    t = i / RATE
    fade = min(1.0, (count - i) / (RATE * 0.02))
    v = max(-1.0, min(1.0, 0.45 * sample(t) * fade))
    frames += struct.pack('<h', int(v * 32767))

with wave.open('Notification.wav', 'wb') as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    out.writeframes(bytes(frames))

#!/usr/bin/env python3
"""Synthesise the default buzzer sound, resources/buzzer.wav.

An arena horn: two band-limited sawtooth voices a major third apart over a
square-wave octave below, lightly saturated so it sounds loud and buzzy at a
modest peak. Fast attack, short release, both shaped so the sound starts and
ends at silence without a click. The output is deterministic: running the
script again reproduces the committed file byte for byte.

The horn is followed by a short stretch of silence. Qt's sound effect player
stops the audio stream as soon as it has handed over the last samples, which
throws away the tenth of a second or so still queued in the audio server; with
the padding only silence is lost and the release stays intact.

Usage: scripts/make-buzzer-wav.py [output.wav]
"""

import math
import os
import struct
import sys
import wave

RATE = 44100
DURATION_S = 1.5
ATTACK_S = 0.012
RELEASE_S = 0.080
TRAILING_SILENCE_S = 0.300
PEAK_DBFS = -1.0
# Keep every partial well below Nyquist so nothing aliases back into the audible band.
HIGHEST_PARTIAL_HZ = 9000.0

# (fundamental Hz, waveform, level)
VOICES = [
    (233.08, "saw", 0.50),  # B flat 3
    (293.66, "saw", 0.35),  # D 4, a major third above
    (116.54, "square", 0.30),  # B flat 2, an octave below for body
]

# How hard the mix is driven into the soft clipper: more drive, more bite.
DRIVE = 1.6


def partials(freq, waveform):
    """(frequency, amplitude) of the Fourier series of a unit sawtooth or square wave."""
    result = []
    n = 1
    while n * freq <= HIGHEST_PARTIAL_HZ:
        if waveform == "saw":
            result.append((n * freq, 1.0 / n))
        elif n % 2 == 1:
            result.append((n * freq, 1.0 / n))
        n += 1
    return result


def envelope(t):
    """Raised-cosine attack and release around a flat sustain."""
    if t < ATTACK_S:
        return 0.5 - 0.5 * math.cos(math.pi * t / ATTACK_S)
    remaining = DURATION_S - t
    if remaining < RELEASE_S:
        return max(0.0, 0.5 - 0.5 * math.cos(math.pi * remaining / RELEASE_S))
    return 1.0


def synthesise():
    count = int(RATE * DURATION_S)
    components = []
    for freq, waveform, level in VOICES:
        for f, a in partials(freq, waveform):
            components.append((2.0 * math.pi * f / RATE, level * a))

    raw = []
    for i in range(count):
        value = 0.0
        for omega, amp in components:
            value += amp * math.sin(omega * i)
        raw.append(math.tanh(DRIVE * value))

    # The envelope goes on after the clipper so the fades stay smooth.
    shaped = [v * envelope(i / RATE) for i, v in enumerate(raw)]
    peak = max(abs(v) for v in shaped)
    gain = (10.0 ** (PEAK_DBFS / 20.0)) * 32767.0 / peak
    return [int(round(v * gain)) for v in shaped] + [0] * int(RATE * TRAILING_SILENCE_S)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, os.pardir, "resources", "buzzer.wav")
    path = sys.argv[1] if len(sys.argv) > 1 else default

    samples = synthesise()
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))
    print("wrote %s: %d frames, %.3f s" % (os.path.normpath(path), len(samples), len(samples) / RATE))


if __name__ == "__main__":
    main()

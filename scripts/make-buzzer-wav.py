#!/usr/bin/env python3
"""Synthesise the board's two horns: resources/buzzer.wav and resources/shotclock.wav.

The buzzer is an arena horn: two band-limited sawtooth voices a major third
apart over a square-wave octave below, lightly saturated so it sounds loud and
buzzy at a modest peak. The shot-clock horn must sound distinct from it (FIBA
and NFHS rules ask for that): a shorter, bright two-tone beep, two pure tones a
major third apart around 2 kHz, where the buzzer has almost nothing, so that
even the two sounding together are told apart by ear (and by a test, at the
sink). Fast attack, short release, both shaped so the sound starts and ends at
silence without a click. The output is deterministic: running the script again
reproduces the committed files byte for byte.

The horn is followed by a short stretch of silence. Qt's sound effect player
stops the audio stream as soon as it has handed over the last samples, which
throws away the tenth of a second or so still queued in the audio server; with
the padding only silence is lost and the release stays intact.

Usage: scripts/make-buzzer-wav.py [--shot-clock] [output.wav]
"""

import math
import os
import struct
import sys
import wave

RATE = 44100
ATTACK_S = 0.012
RELEASE_S = 0.080
TRAILING_SILENCE_S = 0.300
# Keep every partial well below Nyquist so nothing aliases back into the audible band.
HIGHEST_PARTIAL_HZ = 9000.0

# voices: (fundamental Hz, waveform, level); drive: how hard the mix is driven into
# the soft clipper (more drive, more bite), None for no clipper.
BUZZER = {
    "file": "buzzer.wav",
    "duration": 1.5,
    "peak_dbfs": -1.0,
    "voices": [
        (233.08, "saw", 0.50),  # B flat 3
        (293.66, "saw", 0.35),  # D 4, a major third above
        (116.54, "square", 0.30),  # B flat 2, an octave below for body
    ],
    "drive": 1.6,
}
# Quieter at its peak than the buzzer: at 2 kHz the ear hears it well, and the two
# sounding together stay close to full scale at the sink.
SHOT_CLOCK = {
    "file": "shotclock.wav",
    "duration": 1.0,
    "peak_dbfs": -9.0,
    "voices": [
        (1960.0, "sine", 0.5),
        (2440.0, "sine", 0.5),
    ],
    "drive": None,
}


def partials(freq, waveform):
    """(frequency, amplitude) of the Fourier series of a unit sawtooth or square wave."""
    result = []
    if waveform == "sine":
        return [(freq, 1.0)]
    n = 1
    while n * freq <= HIGHEST_PARTIAL_HZ:
        if waveform == "saw":
            result.append((n * freq, 1.0 / n))
        elif n % 2 == 1:
            result.append((n * freq, 1.0 / n))
        n += 1
    return result


def envelope(t, duration):
    """Raised-cosine attack and release around a flat sustain."""
    if t < ATTACK_S:
        return 0.5 - 0.5 * math.cos(math.pi * t / ATTACK_S)
    remaining = duration - t
    if remaining < RELEASE_S:
        return max(0.0, 0.5 - 0.5 * math.cos(math.pi * remaining / RELEASE_S))
    return 1.0


def synthesise(sound):
    count = int(RATE * sound["duration"])
    components = []
    for freq, waveform, level in sound["voices"]:
        for f, a in partials(freq, waveform):
            components.append((2.0 * math.pi * f / RATE, level * a))

    raw = []
    for i in range(count):
        value = 0.0
        for omega, amp in components:
            value += amp * math.sin(omega * i)
        raw.append(math.tanh(sound["drive"] * value) if sound["drive"] else value)

    # The envelope goes on after the clipper so the fades stay smooth.
    shaped = [v * envelope(i / RATE, sound["duration"]) for i, v in enumerate(raw)]
    peak = max(abs(v) for v in shaped)
    gain = (10.0 ** (sound["peak_dbfs"] / 20.0)) * 32767.0 / peak
    return [int(round(v * gain)) for v in shaped] + [0] * int(RATE * TRAILING_SILENCE_S)


def main():
    arguments = sys.argv[1:]
    sound = BUZZER
    if arguments and arguments[0] == "--shot-clock":
        sound = SHOT_CLOCK
        arguments = arguments[1:]
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, os.pardir, "resources", sound["file"])
    path = arguments[0] if arguments else default

    samples = synthesise(sound)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))
    print("wrote %s: %d frames, %.3f s" % (os.path.normpath(path), len(samples), len(samples) / RATE))


if __name__ == "__main__":
    main()

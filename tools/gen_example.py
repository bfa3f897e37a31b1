#!/usr/bin/env python3
"""Writes the example performance examples/Bounce.{WAV,LED,MTN}.

A 20-second tune at 125 beats a minute (one beat = 480 ms = 6 time steps) with
kick, snare, hi-hat, bass and a pentatonic melody; eye lights that blink with
the beat; and a full-body motion with one keyframe per 80 ms time step (251
keyframes, well below the 522 that a full-body motion file may hold) in which
the dog bobs on the beat, nods, looks around and wags its tail.

Standard library only; the output is the same on every run.
    tools/gen_example.py [OUTPUT_FOLDER]   (default: examples/ beside tools/)
"""
import math
import os
import struct
import sys

NAME = "Bounce"
RATE = 8000
SECONDS = 20.0
BEAT = 0.48                     # seconds
SAMPLES = int(RATE * SECONDS)   # 160000 samples = 1250 motion ticks
TICK = 128                      # samples per motion tick
STEP_TICKS = 5                  # ticks per time step
STEPS = SAMPLES // TICK // STEP_TICKS  # 250 steps, 251 keyframes
LED_STEPS_PER_SECOND = 12

# Joint limits in degrees (lower, upper), in channel order.
LIMITS = [
    (-80, 43), (-88, 88), (-28, 28), (-36, 0),
    (-117, 117), (-10, 95), (-27, 147),
    (-117, 117), (-10, 95), (-27, 147),
    (-117, 117), (-10, 95), (-27, 147),
    (-117, 117), (-10, 95), (-27, 147),
    (-5, 35), (-30, 30),
]
# Fastest movement each joint can follow, degrees per second, in channel order.
MAX_SPEED = [120, 120, 60, 75] + [200, 200, 225] * 4 + [340, 240]
LOCATORS = [
    "PRM:/r0/c0-Joint:j0", "PRM:/r0/c0/c1-Joint:j1", "PRM:/r0/c0/c1/c2-Joint:j2",
    "PRM:/r0/c0/c1/c2/c3-Joint:j3",
    "PRM:/r2/c0-Joint:j0", "PRM:/r2/c0/c1-Joint:j1", "PRM:/r2/c0/c1/c2-Joint:j2",
    "PRM:/r3/c0-Joint:j0", "PRM:/r3/c0/c1-Joint:j1", "PRM:/r3/c0/c1/c2-Joint:j2",
    "PRM:/r4/c0-Joint:j0", "PRM:/r4/c0/c1-Joint:j1", "PRM:/r4/c0/c1/c2-Joint:j2",
    "PRM:/r5/c0-Joint:j0", "PRM:/r5/c0/c1-Joint:j1", "PRM:/r5/c0/c1/c2-Joint:j2",
    "PRM:/r1/c0-Joint:j0", "PRM:/r1/c1-Joint:j1",
]


# ---------------------------------------------------------------- the tune

def note_hz(semitones_from_a4):
    return 440.0 * 2.0 ** (semitones_from_a4 / 12.0)


class Noise:
    """A small linear congruential generator, so the hats sound the same every run."""

    def __init__(self):
        self.state = 12345

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x3FFFFFFF - 1.0


def synthesise():
    mix = [0.0] * SAMPLES
    noise = Noise()

    def add(start_s, length_s, voice):
        first = int(start_s * RATE)
        for i in range(int(length_s * RATE)):
            n = first + i
            if n >= SAMPLES:
                break
            mix[n] += voice(i / RATE)

    beats = int((SECONDS - 0.8) / BEAT)  # 40 beats, then the last notes ring out
    # A minor pentatonic: A C D E G, as semitones from A4.
    melody_bars = [
        [0, 3, 5, 7, 5, 3, 0, -2],
        [0, 3, 5, 10, 7, 5, 3, 5],
        [7, 5, 3, 0, 3, 5, 7, 12],
        [10, 7, 5, 3, 5, 3, 0, 0],
    ]
    bass_bars = [-24, -28, -21, -26]  # A2 F2 C3 G2 (from A4)

    for b in range(beats):
        t = b * BEAT
        bar, beat_in_bar = divmod(b, 4)
        # Kick: a falling sine sweep on every beat.
        add(t, 0.16, lambda x: 0.55 * math.exp(-x * 28) *
            math.sin(2 * math.pi * (120 * x - 180 * x * x)))
        # Snare on beats 2 and 4, hi-hat on every off-beat.
        if beat_in_bar in (1, 3):
            add(t, 0.12, lambda x: 0.28 * math.exp(-x * 30) * noise.next())
        add(t + BEAT / 2, 0.04, lambda x: 0.12 * math.exp(-x * 90) * noise.next())
        # Bass on beats 1 and 3.
        if beat_in_bar in (0, 2):
            hz = note_hz(bass_bars[bar % 4])
            add(t, 0.42, lambda x, hz=hz: 0.22 * math.exp(-x * 4) *
                (1 if math.sin(2 * math.pi * hz * x) >= 0 else -1) * min(1.0, x * 200))
        # Melody in eighth notes from bar 2 on, quiet in the last bar.
        if 1 <= bar < beats // 4 - 1:
            phrase = melody_bars[(bar - 1) % 4]
            for half in range(2):
                hz = note_hz(phrase[beat_in_bar * 2 + half])
                add(t + half * BEAT / 2, 0.22, lambda x, hz=hz: 0.2 * math.exp(-x * 9) *
                    (math.sin(2 * math.pi * hz * x) + 0.3 * math.sin(4 * math.pi * hz * x)) *
                    min(1.0, x * 400))
    # A final chord that rings out.
    for semis in (-24, -12, -9, -5):
        add(beats * BEAT, 0.78, lambda x, hz=note_hz(semis): 0.14 * math.exp(-x * 5) *
            math.sin(2 * math.pi * hz * x) * min(1.0, (0.78 - x) * 40))
    # A soft limiter keeps the peaks below full scale while the body of the
    # sound stays loud enough for the eye and mouth generators.
    return bytes(128 + int(round(118 * math.tanh(2.5 * v))) for v in mix)


def wave_file(samples):
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(samples)) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---------------------------------------------------------------- eye lights

def led_steps():
    """Green blinks on each beat, red lights on beats 2 and 4 of the melody bars."""
    count = (SAMPLES * 12 + 132) // 8000
    steps = []
    for i in range(count):
        t = i / LED_STEPS_PER_SECOND
        beat = t / BEAT
        phase = beat - math.floor(beat)
        bar, beat_in_bar = divmod(int(beat), 4)
        value = 0
        if phase < 0.35 and t < SECONDS - 0.8:
            value |= 1
        if 1 <= bar < 9 and beat_in_bar in (1, 3) and phase < 0.5:
            value |= 2
        steps.append(value)
    return steps


def var_length(value):
    out = []
    if value > 0x3FFF:
        out.append((value >> 14) | 0x80)
        value &= 0x3FFF
        out.append((value >> 7) | 0x80)
    elif value > 0x7F:
        out.append((value >> 7) | 0x80)
    out.append(value & 0x7F)
    return bytes(out)


def led_file(steps):
    notes = {0: 64, 1: 60, 2: 72}
    events = bytearray()
    events += b"\x00\xff\x03\x08RovaEdit"
    events += b"\x00\xff\x58\x04\x04\x02\x18\x08"
    events += b"\x00\xff\x59\x02\x09\x00"
    events += b"\x00\xff\x51\x03\x03\xd0\x90"
    previous, delta = 0, 0
    for i in range(len(steps) + 1):
        current = (steps[i] | 4) if i < len(steps) else 0
        for bit in (2, 1, 0):
            if current & (1 << bit) and not previous & (1 << bit):
                events += var_length(delta) + bytes([0x90, notes[bit], 120])
                delta = 0
        for bit in (0, 1, 2):
            if previous & (1 << bit) and not current & (1 << bit):
                events += var_length(delta) + bytes([0x90, notes[bit], 0])
                delta = 0
        delta += 30
        previous = current
    events += b"\x00\xff\x2f\x00"
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 120)
    return header + b"MTrk" + struct.pack(">I", len(events)) + bytes(events)


# ---------------------------------------------------------------- motion

def micro_radians(degrees):
    return int(degrees * 3141592.653589793 * 0.005555555555555556)


def pose(t):
    """Degrees of the 18 channels at t seconds, within the limits and speeds
    the robot can follow."""
    beat = t / BEAT
    # Ease in over the first two beats and out over the last two.
    envelope = max(0.0, min(1.0, t / (2 * BEAT), (SECONDS - t) / (2 * BEAT)))
    bob = (1 - math.cos(2 * math.pi * beat)) / 2          # 0 on the beat, 1 between
    knee = 1 - bob                                        # knees bent on the beat
    head_y = -10 * knee * envelope                        # nod down on the beat
    head_x = 30 * math.sin(2 * math.pi * beat / 8) * envelope   # look left, then right
    head_z = 8 * math.sin(2 * math.pi * beat / 4) * envelope
    mouth = -12 * (1 - math.cos(math.pi * beat)) / 2 * envelope   # open every other beat
    leg_y = -10 - 8 * knee * envelope
    leg_x = 3 * math.sin(2 * math.pi * beat / 2) * envelope
    paw_y = 30 + 20 * knee * envelope
    tail_y = 15 * envelope
    tail_x = 15 * math.sin(2 * math.pi * beat) * envelope         # one wag a beat
    legs = [leg_y, leg_x, paw_y]
    return [head_y, head_x, head_z, mouth] + legs * 4 + [tail_y, tail_x]


def motion_file(name):
    keyframes = []
    step_seconds = STEP_TICKS * TICK / RATE
    previous = None
    for step in range(STEPS + 1):
        degrees = pose(step * step_seconds)
        for c, (value, (low, high)) in enumerate(zip(degrees, LIMITS)):
            if not low <= value <= high:
                raise SystemExit(f"channel {c} at step {step}: {value:.1f} outside {low}..{high}")
            if previous and abs(value - previous[c]) / step_seconds > MAX_SPEED[c]:
                raise SystemExit(f"channel {c} at step {step}: faster than {MAX_SPEED[c]} degrees a second")
        previous = degrees
        keyframes.append((0 if step == 0 else STEP_TICKS, [micro_radians(d) for d in degrees]))
    channels = len(LOCATORS)
    creator, design = b"ROVA Editor", b"QTM-410"
    name_bytes = name.encode("ascii")

    def pascal(text):
        return bytes([len(text)]) + text

    out = bytearray(b"OMTN")
    out += struct.pack("<IIIIIII", 0, 24, 4, 0x00010001, len(keyframes), 0, 1)
    out += struct.pack("<I", len(name_bytes) + len(creator) + len(design) + 11)
    out += pascal(name_bytes) + pascal(creator) + pascal(design)
    out += struct.pack("<IIH", 2, 424, channels)
    for locator in LOCATORS:
        out += pascal(locator.encode("ascii"))
    data_size = len(keyframes) * (channels + 4) * 4 + 6
    if data_size >= 46000:
        raise SystemExit("motion too long for a motion file")
    out += struct.pack("<HHH", 3, 0, data_size & 0xFFFF)
    for duration, values in keyframes:
        out += struct.pack("<IIII", duration, 0, 0, 0)
        out += struct.pack(f"<{channels}i", *values)
    return bytes(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    os.makedirs(folder, exist_ok=True)
    files = {
        "WAV": wave_file(synthesise()),
        "LED": led_file(led_steps()),
        "MTN": motion_file(NAME),
    }
    for ext, data in files.items():
        path = os.path.join(folder, f"{NAME}.{ext}")
        with open(path, "wb") as f:
            f.write(data)
        print(f"{os.path.normpath(path)}: {len(data)} bytes")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small valid files of each kind."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

LOCATORS = [
    "PRM:/r0/c0-Joint:j0", "PRM:/r0/c0/c1-Joint:j1", "PRM:/r0/c0/c1/c2-Joint:j2",
    "PRM:/r0/c0/c1/c2/c3-Joint:j3", "PRM:/r2/c0-Joint:j0", "PRM:/r2/c0/c1-Joint:j1",
    "PRM:/r2/c0/c1/c2-Joint:j2", "PRM:/r3/c0-Joint:j0", "PRM:/r3/c0/c1-Joint:j1",
    "PRM:/r3/c0/c1/c2-Joint:j2", "PRM:/r4/c0-Joint:j0", "PRM:/r4/c0/c1-Joint:j1",
    "PRM:/r4/c0/c1/c2-Joint:j2", "PRM:/r5/c0-Joint:j0", "PRM:/r5/c0/c1-Joint:j1",
    "PRM:/r5/c0/c1/c2-Joint:j2", "PRM:/r1/c0-Joint:j0", "PRM:/r1/c1-Joint:j1",
]


def pascal(s):
    b = s.encode()
    return bytes([len(b)]) + b


def motion(first, n, durations, padding=False, name="seed"):
    k = len(durations)
    out = b"OMTN" + struct.pack("<8I", 0, 24, 4, 0x00010001, k, 0, 1, len(name) + 11 + 7 + 11)
    out += pascal(name) + pascal("ROVA Editor") + pascal("QTM-410")
    out += struct.pack("<IIH", 2, 424, n)
    out += b"".join(pascal(LOCATORS[first + c]) for c in range(n))
    if padding:
        out += b"\0\0"
    out += struct.pack("<HHH", 3, 0, (k * (n + 4) * 4 + 6) & 0xFFFF)
    for i, d in enumerate(durations):
        out += struct.pack("<4I", d, 0, 0, 0)
        out += struct.pack("<%di" % n, *[(i * 37 + c * 1000) * (-1) ** c * 1000 for c in range(n)])
    return out


def vlq(v):
    groups = [v & 0x7F]
    v >>= 7
    while v:
        groups.append((v & 0x7F) | 0x80)
        v >>= 7
    return bytes(reversed(groups))


META = bytes.fromhex("00FF0308") + b"RovaEdit" + bytes.fromhex(
    "00FF58040402180800FF5902090000FF510303D090")


def led(events):
    track = META + events + bytes.fromhex("00FF2F00")
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, 120) + b"MTrk" + struct.pack(">I", len(track)) + track


def led_steps(steps):
    """The file the editor writes for a track, one note event per change."""
    notes, out, prev, pending = [64, 60, 72], b"", 0, 0
    for i in range(len(steps) + 1):
        cur = (steps[i] | 4) if i < len(steps) else 0
        for bit in (2, 1, 0):
            if cur >> bit & 1 and not prev >> bit & 1:
                out += vlq(pending) + bytes([0x90, notes[bit], 120])
                pending = 0
        for bit in (0, 1, 2):
            if prev >> bit & 1 and not cur >> bit & 1:
                out += vlq(pending) + bytes([0x90, notes[bit], 0])
                pending = 0
        pending += 30
        prev = cur
    return led(out)


def wave(chunks):
    body = b"WAVE" + b"".join(cid + struct.pack("<I", len(data)) + data for cid, data in chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def fmt(extra=b""):
    return struct.pack("<HHIIHH", 1, 1, 8000, 8000, 1, 8) + extra


SAMPLES = bytes((128 + int(100 * ((i % 40) - 20) / 20)) & 0xFF for i in range(400))

def pulse(beat_samples, accents, length):
    """A pattern for the audio beat tracker: a decaying tone at each accent
    (sample offset, strength 0..1), the two length bytes first."""
    out = [128] * length
    for at, strength in accents:
        for i in range(min(400, length - at)):
            v = strength * 100 * math.exp(-i / 60) * math.sin(i * 0.7)
            out[at + i] = max(0, min(255, int(128 + v)))
    return bytes([0, 0]) + bytes(out)


SEEDS = {
    "motion": {
        "tail.mtn": motion(16, 2, [0, 5, 5], name="abc"),
        "head_padded.mtn": motion(0, 4, [0, 5, 10, 15, 5], padding=True),
        "legs_unaligned.mtn": motion(4, 12, [0, 7, 8, 3, 5]),
        "full_body.mtn": motion(0, 18, [0, 20, 5]),
    },
    "led": {
        "example.led": led_steps([1, 1, 0]),
        "both_eyes.led": led_steps([0, 1, 3, 3, 2, 0, 0, 1] + [0] * 600 + [2]),
        "running_status.led": led(bytes.fromhex("0090407800C0051E3C781E4000") + bytes.fromhex("00F001F7") +
                                  bytes.fromhex("0091407800FF01026869")),
    },
    "audio_beats": {
        "clicks_120.raw": pulse(4000, [(0, 1.0)], 4000),
        "bar_of_three.raw": pulse(4000, [(0, 1.0), (4000, 0.4), (8000, 0.4)], 12000),
        "silence.raw": bytes([1, 0, 128]),
        "noise.raw": bytes([2, 0]) + bytes((i * 7919 + 13) % 251 for i in range(997)),
    },
    "wave": {
        "plain.wav": wave([(b"fmt ", fmt()), (b"data", SAMPLES)]),
        "list_chunk.wav": wave([(b"fmt ", fmt()), (b"LIST", b"INFOISFT\x03\0\0\0abc"), (b"data", SAMPLES[:100])]),
        "fmt18.wav": wave([(b"fmt ", fmt(b"\0\0")), (b"data", SAMPLES[:64])]),
        "midi.mid": led_steps([1, 0]),
    },
}

for folder, files in SEEDS.items():
    os.makedirs(os.path.join(HERE, "corpus", folder), exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(HERE, "corpus", folder, name), "wb") as f:
            f.write(data)

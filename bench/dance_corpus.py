#!/usr/bin/python3
"""Dance to the Music over drum loops and band arrangements, as the table in
docs/dance-steps.md reports it.

Writes band arrangements from MMA's groove library (mma) at 60 to 190 BPM,
renders each with FluidSynth through both General MIDI SoundFonts, makes each
rendering a performance with `rova-tool new` (8000 Hz, as users make them),
and runs bench/dance_table over them, the built-in drum loops and the example.

    bench/dance_corpus.py --tool build/tools/rova-tool --table build/bench/dance_table [--work DIR]

Needs the packages in scripts/dance-bench-packages.txt (scripts/dance-bench
installs them). Standard library only.
"""
import argparse
import os
import subprocess
import sys
import tempfile

FONT_DIR = "/usr/share/sounds/sf2"
FONTS = ["TimGM6mb.sf2", "FluidR3_GM.sf2"]
CHORDS = ["C", "Am", "F", "G7", "Em", "Am", "Dm", "G7"]
WALTZ_CHORDS = ["C", "C", "F", "G7", "Am", "Dm", "G7", "C"]

# (name, groove, tempo, bars, tempo change: (at bar, new tempo, bars it takes) or None)
SONGS = [
    ("ballad-65", "PopBallad", 65, 24, None),
    ("rnb-84", "R&B", 84, 28, None),
    ("waltz-96", "Waltz", 96, 32, None),
    ("funk-100", "BVFunk", 100, 32, None),
    ("rhumba-110", "Rhumba", 110, 36, None),
    ("march-120", "March", 120, 40, None),
    ("bossa-128", "BossaNova", 128, 40, None),
    ("swing-130", "Swing", 130, 40, None),
    ("rock-150", "50sRock", 150, 48, None),
    ("ska-170", "Ska1", 170, 56, None),
    ("mambo-180", "Mambo", 180, 56, None),
    ("country-190", "BlueGrass", 190, 64, None),
    ("pop-96-132", "PopSpiritual", 96, 40, (16, 132, 8)),
]


def mma_source(groove, tempo, bars, change):
    chords = WALTZ_CHORDS if "Waltz" in groove else CHORDS
    lines = [f"Tempo {tempo}", f"Groove {groove}"]
    for bar in range(bars):
        if change and bar == change[0]:
            lines.append(f"Tempo {change[1]}" + (f" {change[2]}" if change[2] else ""))
        lines.append(f"{bar + 1} {chords[bar % len(chords)]}")
    return "\n".join(lines) + "\n"


def run(cmd):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    return subprocess.run(cmd, check=True, capture_output=True, text=True, env=env)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--tool", required=True)
    ap.add_argument("--table", required=True)
    ap.add_argument("--work", default=os.path.join(tempfile.gettempdir(), "rova-dance-corpus"))
    args = ap.parse_args()
    os.makedirs(args.work, exist_ok=True)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    performances = []
    for name, groove, tempo, bars, change in SONGS:
        base = os.path.join(args.work, name)
        mid = base + ".mid"
        if not os.path.exists(mid):
            with open(base + ".mma", "w") as f:
                f.write(mma_source(groove, tempo, bars, change))
            run(["mma", "-f", mid, base + ".mma"])
        for font in FONTS:
            tag = os.path.splitext(font)[0]
            wav = f"{base}-{tag}-44k.wav"
            if not os.path.exists(wav):
                run(["fluidsynth", "-ni", "-q", "-r", "44100", "-F", wav, os.path.join(FONT_DIR, font), mid])
            mtn = f"{base}-{tag}.MTN"
            if not os.path.exists(mtn):
                run([args.tool, "new", wav, mtn])
            performances.append(mtn)
    example = os.path.join(root, "examples", "Bounce.MTN")
    out = run([args.table, "--synth", *performances, example]).stdout
    sys.stdout.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())

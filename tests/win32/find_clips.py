#!/usr/bin/env python3
"""Finds voice clips, in order, in a recording of the test sink (s16le mono 22050 Hz).

Usage: find_clips.py RECORDING CLIP.wav... Prints one line per clip: its start in
milliseconds from the start of the recording and its normalised correlation (1 is an
exact copy). Exits 1 when a clip is not found. Plain Python: the recording passed
through Wine's mixer is not a bit-exact copy, so each clip is looked for around the
next burst of sound (after a tenth of a second of quiet), coarsely and then sample by
sample.
"""
import array
import math
import sys
import wave

RATE = 22050
STEP = 8  # coarse search resolution, in samples


def samples_of(path):
    with wave.open(path, "rb") as w:
        assert w.getsampwidth() == 2 and w.getnchannels() == 1
        data = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder != "little":
        data.byteswap()
    return data


def correlation(rec, at, clip, step):
    dot = energy = 0.0
    for i in range(0, min(len(clip), len(rec) - at), step):
        x = rec[at + i]
        dot += x * clip[i]
        energy += x * x
    return dot / math.sqrt(energy) if energy else 0.0


def onsets(rec, quiet=300, gap=RATE // 10):
    """Where sound starts after at least `gap` samples of near silence."""
    silent = gap
    for i, x in enumerate(rec):
        if abs(x) <= quiet:
            silent += 1
            continue
        if silent >= gap:
            yield i
        silent = 0


def without_inserted_silence(samples, min_run=8):
    """Drops the runs of exact zeros a sound server fills in when a stream runs dry:
    what was played, with the timing taken out. Recorded speech has no such runs."""
    out = array.array("h")
    run = 0
    for x in samples:
        if x == 0:
            run += 1
            continue
        if 0 < run < min_run:
            out.extend([0] * run)
        run = 0
        out.append(x)
    return out


def best_correlation(samples, clip, candidates):
    norm = math.sqrt(sum(s * s for s in clip))
    candidates = [at for at in candidates if 0 <= at < len(samples)]
    if not candidates or not norm:
        return 0.0
    coarse = max(candidates[::STEP], key=lambda at: correlation(samples, at, clip, STEP))
    fine = range(max(0, coarse - STEP), min(coarse + STEP + 1, len(samples)))
    return max(correlation(samples, at, clip, 1) for at in fine) / norm


def match(rec, onset, clip):
    """Best normalised correlation of `clip` with the sound starting near `onset`: as
    recorded, or with the gaps of a stream that ran dry taken out (which also takes the
    stream's leading silence, so both are tried)."""
    lead = RATE // 20
    direct = best_correlation(rec, clip, range(onset - lead, onset + lead))
    segment = without_inserted_silence(rec[max(0, onset - lead):onset + len(clip) + RATE // 5])
    stripped = best_correlation(segment, without_inserted_silence(clip), range(0, 2 * lead))
    return max(direct, stripped)


def main():
    with open(sys.argv[1], "rb") as f:
        rec = array.array("h", f.read())
    if sys.byteorder != "little":
        rec.byteswap()
    starts = iter(onsets(rec))
    for path in sys.argv[2:]:
        clip = samples_of(path)
        onset = next(starts, None)
        if onset is None:
            print(f"{path}: not heard")
            return 1
        print(f"{onset * 1000.0 / RATE:.0f} {match(rec, onset, clip):.3f} {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""F1 of detected hits against true ones: a detection within 25 ms of a true hit matches it, one
detection per hit (the closest pairs first).

music_events_score.py LABELS DETECTED [--aubio ONSETS]
  LABELS    true hits, "INSTRUMENT<TAB>SECONDS" lines (kick, snare, hat)
  DETECTED  music_events --format tsv output (tracks kick, snare, hat, onsets)
  ONSETS    aubioonset output, one time per line, scored as track "aubioonset"
The truth of onsets (and aubioonset) is every hit, hits closer than 25 ms counting once.
Prints "TRACK<TAB>F1<TAB>PRECISION<TAB>RECALL<TAB>TRUE<TAB>FOUND" lines."""
import sys

TOLERANCE = 0.025


def f1(truth, found):
    pairs = sorted((abs(t - f), i, j) for i, t in enumerate(truth) for j, f in enumerate(found)
                   if abs(t - f) <= TOLERANCE)
    used_t, used_f, matched = set(), set(), 0
    for _, i, j in pairs:
        if i not in used_t and j not in used_f:
            used_t.add(i)
            used_f.add(j)
            matched += 1
    p = matched / len(found) if found else 0.0
    r = matched / len(truth) if truth else 0.0
    return (2 * p * r / (p + r) if p + r else 0.0), p, r


def merged(times):
    out = []
    for t in sorted(times):
        if not out or t - out[-1] >= TOLERANCE:
            out.append(t)
    return out


def main(argv):
    labels, detected = argv[1], argv[2]
    truth = {}
    for line in open(labels):
        name, t = line.split()
        truth.setdefault(name, []).append(float(t))
    truth["onsets"] = merged(sum(truth.values(), []))
    found = {}
    for line in open(detected):
        f = line.split("\t")
        found.setdefault(f[0], []).append(float(f[1]))
    if len(argv) > 4 and argv[3] == "--aubio":
        truth["aubioonset"] = truth["onsets"]
        found["aubioonset"] = [float(x) for x in open(argv[4]).read().split()]
    for name in ("kick", "snare", "hat", "onsets", "aubioonset"):
        if name in truth and (name in found or name != "aubioonset"):
            score, p, r = f1(truth[name], found.get(name, []))
            print(f"{name}\t{score:.3f}\t{p:.3f}\t{r:.3f}\t{len(truth[name])}\t{len(found.get(name, []))}")


if __name__ == "__main__":
    main(sys.argv)

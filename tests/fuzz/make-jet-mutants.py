#!/usr/bin/env python3
"""Writes damaged copies of the Jet test file: mutant N changes 1 to 16 bytes
of the file at places drawn from N alone, so every run makes the same files.
Most changes fall in the pages of the catalog and its properties (17, 36 and
37 of the fixture), where the reader library is most easily led astray.

    make-jet-mutants.py FIXTURE OUTDIR FIRST COUNT
"""
import os
import random
import sys


PAGE = 4096
CATALOG_PAGES = [17, 36, 37]


def mutant(data: bytes, n: int) -> bytes:
    rng = random.Random(n)
    out = bytearray(data)
    for _ in range(rng.choice([1, 2, 4, 8, 16])):
        if rng.random() < 0.8:
            page = rng.choice(CATALOG_PAGES)
            at = page * PAGE + rng.randrange(PAGE)
        else:
            at = rng.randrange(len(out))
        out[at] = rng.choice([0x00, 0xFF, 0x7F, 0x80, rng.randrange(256)])
    return bytes(out)


def main() -> None:
    fixture, outdir, first, count = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    data = open(fixture, 'rb').read()
    os.makedirs(outdir, exist_ok=True)
    for n in range(first, first + count):
        with open(os.path.join(outdir, 'mutante-%04d.mdb' % n), 'wb') as f:
            f.write(mutant(data, n))


if __name__ == '__main__':
    main()

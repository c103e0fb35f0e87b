#!/usr/bin/env python3
"""The LZ test table, tests/medium/lz_cases.txt, read by the medium
checker's test; and, run as a program, the stored files of its "encoder"
rows written by the medium's encoder, for the tests that read them.

usage: lz_table.py ENCODER OUT_DIR   (writes OUT_DIR/NAME for each such row)
"""
import os
import subprocess
import sys
import tempfile

TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lz_cases.txt")
ENCODED = "encoder"


def parse(text):
    """Hexadecimal bytes; "." separates groups, "HEX*N" repeats one N times."""
    if text == "-":
        return b""
    data = b""
    for group in text.split("."):
        hexadecimal, _, times = group.partition("*")
        data += bytes.fromhex(hexadecimal) * int(times or 1)
    return data


def lz_cases():
    """(name, verdict, stored, expanded); stored is ENCODED for the rows whose
    stored bytes the encoder makes."""
    with open(TABLE) as stream:
        rows = [line.split() for line in stream if line.strip() and not line.startswith("#")]
    return [(name, verdict, stored if stored == ENCODED else parse(stored), parse(expanded))
            for name, verdict, stored, expanded in rows]


def main(encoder, out):
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        source = os.path.join(scratch, "expanded")
        for name, _, stored, expanded in lz_cases():
            if stored != ENCODED:
                continue
            with open(source, "wb") as stream:
                stream.write(expanded)
            subprocess.run([encoder, source, os.path.join(out, name)], check=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    main(*sys.argv[1:])

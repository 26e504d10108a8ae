#!/usr/bin/env python3
"""Writes the placeholder firmware image orvel-2.43.bin.

We carry no real unit firmware in the repository. The placeholder has the real image's
length and check values, so the tool and its tests behave exactly as with the real one:
    89,828 bytes, XOR8 (exclusive or of all bytes) 0xE1, SUM32 (32-bit sum) 0x0077CBAB.
It must never be sent to a real unit.

Layout: a text marker, pseudo-random bytes (xorshift32, fixed seed) until the sum nears
SUM32, zeros, 1 KB more pseudo-random bytes, and an 8-byte tail solved so that both check
values come out right. The end is not blank, so a misplaced last block shows in tests.
The output is the same on every run:  python3 make_placeholder.py [output]
"""
import pathlib
import sys

LENGTH = 89_828
XOR8 = 0xE1
SUM32 = 0x0077CBAB
SEED = 0x02430243
TAIL = 8
END_BYTES = 1024
MARKER = b"ORVEL FIRMWARE PLACEHOLDER 2.43 - NOT FOR USE IN A UNIT\0"


def xorshift32(state):
    while True:
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        yield state >> 24


def xor_all(data):
    x = 0
    for b in data:
        x ^= b
    return x


def solve_tail(need_sum, need_xor):
    """TAIL bytes whose sum is need_sum and whose xor is need_xor."""
    for base in range(256):
        for nudge in range(256):
            head = [base] * (TAIL - 3) + [nudge]
            s = need_sum - sum(head)
            x = need_xor ^ xor_all(head)
            # Two bytes a, b with a + b = s and a ^ b = x: a & b = (s - x) / 2, disjoint from x.
            both = (s - x) // 2
            if s < x or (s - x) % 2 or both & x or both > 255 or (both | x) > 255:
                continue
            return bytes(head + [both | x, both])
    raise SystemExit("no tail found")


def build():
    rand = xorshift32(SEED)
    end = bytes(next(rand) for _ in range(END_BYTES))
    image = bytearray(MARKER)
    total = sum(image) + sum(end)
    # Leave the tail room for its share of the sum (at most 8 x 255).
    while total < SUM32 - 1500 and len(image) < LENGTH - TAIL - END_BYTES:
        b = next(rand)
        image.append(b)
        total += b
    image.extend(bytes(LENGTH - TAIL - END_BYTES - len(image)))
    image += end
    image += solve_tail(SUM32 - sum(image), XOR8 ^ xor_all(image))
    assert len(image) == LENGTH
    assert xor_all(image) == XOR8 and sum(image) & 0xFFFFFFFF == SUM32
    return bytes(image)


if __name__ == "__main__":
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).with_name("orvel-2.43.bin"))
    out.write_bytes(build())
    print(f"{out}: {LENGTH} bytes, XOR8 0x{XOR8:02X}, SUM32 0x{SUM32:08X}")

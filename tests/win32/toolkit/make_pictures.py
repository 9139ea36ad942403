#!/usr/bin/env python3
"""Writes the GIF pictures of the Windows picture tests (next to this script) and, with
--corpus DIR, the seed corpus of fuzz_gif. The files are committed; run this only to change them."""
import argparse
import os
import random


class BitWriter:
    def __init__(self):
        self.value, self.count, self.out = 0, 0, bytearray()

    def put(self, code, width):
        self.value |= (code & ((1 << width) - 1)) << self.count
        self.count += width
        while self.count >= 8:
            self.out.append(self.value & 0xFF)
            self.value >>= 8
            self.count -= 8

    def data(self):
        return bytes(self.out + (bytes([self.value]) if self.count else b""))


def lzw(indices, minimum, clear_first=True, end_code=True, block=255):
    """GIF LZW data: minimum code size byte, sub-blocks, terminator."""
    clear, end = 1 << minimum, (1 << minimum) + 1
    bits = BitWriter()
    state = {}

    def reset():
        state.update(width=minimum + 1, decoder_next=clear + 2, first=True, table={}, next=clear + 2)

    def emit(code):
        bits.put(code, state["width"])
        if not state["first"] and state["decoder_next"] < 4096:
            state["decoder_next"] += 1
            if state["width"] < 12 and state["decoder_next"] >= 1 << state["width"]:
                state["width"] += 1
        state["first"] = False

    reset()
    if clear_first:
        bits.put(clear, state["width"])
    current = indices[0]
    for k in indices[1:]:
        if (current, k) in state["table"]:
            current = state["table"][(current, k)]
            continue
        emit(current)
        if state["next"] < 4096:
            state["table"][(current, k)] = state["next"]
            state["next"] += 1
        else:
            bits.put(clear, state["width"])
            reset()
        current = k
    emit(current)
    if end_code:
        bits.put(end, state["width"])
    data = bits.data()
    out = bytearray([minimum])
    for at in range(0, len(data), block):
        chunk = data[at:at + block]
        out += bytes([len(chunk)]) + chunk
    return bytes(out + b"\0")


def gif(width, height, palette, indices, **options):
    size = 0
    while (2 << size) < len(palette):
        size += 1
    minimum = max(2, size + 1)
    table = list(palette) + [(0, 0, 0)] * ((2 << size) - len(palette))
    head = b"GIF89a" + width.to_bytes(2, "little") + height.to_bytes(2, "little") + bytes([0xF0 | size, 0, 0])
    colours = b"".join(bytes(c) for c in table)
    image = b"\x2C" + bytes(4) + width.to_bytes(2, "little") + height.to_bytes(2, "little") + b"\0"
    return head + colours + image + lzw(indices, minimum, **options) + b"\x3B"


# Every picture is small; the tests know their contents.
KEY_PALETTE = [(200, 40, 20), (20, 160, 60), (90, 90, 200), (10, 10, 255)]  # only the last has blue 255
NO_BLUE_PALETTE = [(200, 40, 20), (20, 160, 60), (90, 90, 200), (77, 66, 55)]
PATTERN = [0, 1, 2, 3, 3, 2, 1, 0]  # 4 x 2

PICTURES = {
    "key_blue.gif": gif(4, 2, KEY_PALETTE, PATTERN),
    "no_blue.gif": gif(4, 2, NO_BLUE_PALETTE, PATTERN),
    "masked_colour.gif": gif(3, 2, [(200, 100, 40), (0, 0, 0)], [0] * 6),
    # Black keeps the colour, white keeps the screen, grey 128 mixes.
    "mask.gif": gif(3, 2, [(0, 0, 0), (255, 255, 255), (128, 128, 128), (0, 0, 0)], [0, 1, 2, 2, 1, 0]),
    "menu_square.gif": gif(12, 12, [(220, 20, 60), (0, 0, 255)], [0] * 144),
}
# No global colour table flag: not a picture.
_broken = bytearray(PICTURES["key_blue.gif"])
_broken[10] &= 0x7F
PICTURES["no_table.gif"] = bytes(_broken)


def corpus():
    rnd = random.Random(5)
    noise = [rnd.randrange(256) for _ in range(16 * 16)]
    seeds = {
        "tiny.gif": gif(1, 1, [(1, 2, 3), (4, 5, 6)], [1]),
        "noise256.gif": gif(16, 16, [(i, 255 - i, i // 2) for i in range(256)], noise),
        "no_clear_first.gif": gif(5, 3, KEY_PALETTE, [i % 4 for i in range(15)], clear_first=False),
        "no_end_code.gif": gif(6, 2, NO_BLUE_PALETTE, [i // 3 for i in range(12)], end_code=False),
        "small_blocks.gif": gif(9, 9, KEY_PALETTE, [(i * 7) % 4 for i in range(81)], block=5),
        # A colour GIF followed by its mask, split by the fuzz target at the second "GIF8".
        "with_mask.gif": PICTURES["masked_colour.gif"] + PICTURES["mask.gif"],
    }
    seeds.update({name: data for name, data in PICTURES.items() if name != "masked_colour.gif"})
    return seeds


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--corpus", help="also write the fuzz seed corpus into this folder")
    args = parser.parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    for name, data in PICTURES.items():
        with open(os.path.join(here, name), "wb") as f:
            f.write(data)
    if args.corpus:
        os.makedirs(args.corpus, exist_ok=True)
        for name, data in corpus().items():
            with open(os.path.join(args.corpus, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()

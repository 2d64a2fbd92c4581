#!/usr/bin/env python3
"""Writes the malformed BMP files of this folder, one per reason the reader refuses a file.

Each file is named for its reason; tests/glyphs/malformed_files_test.cpp holds the error each
must give. Run from anywhere: python3 tests/data/malformed/make_files.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def bmp(header_size=40, width=4, height=4, planes=1, bits=24, compression=0, size_image=0,
        clr_used=0, masks=b"", table=b"", pixels=None, off_bits=None, cut=None):
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width & 0xFFFF, height & 0xFFFF, planes, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header_size, width, height, planes, bits, compression,
                           size_image, 0, 0, clr_used, 0)
        info += bytes(max(0, header_size - len(info)))
    if pixels is None:
        pixels = bytes(16)
    head_len = 14 + len(info) + len(masks) + len(table)
    if off_bits is None:
        off_bits = head_len
    data = b"BM" + struct.pack("<IHHI", head_len + len(pixels), 0, 0, off_bits) + info + masks + table + pixels
    return data if cut is None else data[:cut]


def masks(*values):
    return b"".join(struct.pack("<I", v) for v in values)


FILES = {
    # The file header.
    "truncated_file_header": bmp(cut=9),
    "bad_signature": b"XM" + bmp()[2:],
    "signature_only": b"BM",
    # The info header.
    "truncated_header_size": bmp(cut=16),
    "unknown_header_size": bmp(header_size=20),
    "truncated_info_header": bmp(cut=14 + 30),
    "truncated_core_header": bmp(header_size=12, cut=14 + 9),
    "planes_not_one": bmp(planes=2),
    "planes_zero": bmp(planes=0),
    "bit_count_zero": bmp(bits=0),
    "bit_count_two": bmp(bits=2),
    "bit_count_64": bmp(bits=64),
    "unknown_compression": bmp(compression=7),
    "jpeg_compression": bmp(compression=4),
    "rle8_not_8_bit": bmp(bits=4, compression=1, table=bytes(64)),
    "rle4_not_4_bit": bmp(bits=8, compression=2, table=bytes(1024)),
    "rle_top_down": bmp(bits=8, height=-4, compression=1, table=bytes(1024)),
    "bitfields_24_bit": bmp(bits=24, compression=3, masks=masks(0xFF0000, 0xFF00, 0xFF)),
    "bitfields_in_os2_header": bmp(header_size=64, bits=16, compression=3),
    "width_zero": bmp(width=0),
    "width_negative": bmp(width=-4),
    "height_zero": bmp(height=0),
    "height_most_negative": bmp(height=-0x80000000),
    # Masks.
    "truncated_masks": bmp(bits=16, compression=3, masks=masks(0xF800, 0x07E0), pixels=b""),
    "masks_all_zero": bmp(bits=16, compression=3, masks=masks(0, 0, 0)),
    "masks_overlapping": bmp(bits=16, compression=3, masks=masks(0xF800, 0x0FE0, 0x001F)),
    "masks_not_contiguous": bmp(bits=32, compression=3, masks=masks(0xFF00FF, 0xFF00, 0xF0000000)),
    "masks_beyond_16_bits": bmp(bits=16, compression=3, masks=masks(0x1F0000, 0x07E0, 0x001F)),
    # The colour table.
    "table_over_256_entries": bmp(bits=8, clr_used=257, table=bytes(257 * 4)),
    "truncated_table": bmp(bits=8, table=bytes(100), pixels=b""),
    "truncated_core_table": bmp(header_size=12, bits=4, table=bytes(20), pixels=b""),
    # Hostile sizes: stores far beyond what the program allocates.
    "huge_width_and_height": bmp(width=0x7FFFFFFF, height=0x7FFFFFFF),
    "huge_top_down": bmp(width=0x40000000, height=-0x40000000, bits=32),
    "huge_rle8": bmp(width=0x10000, height=0x10000, bits=8, compression=1, table=bytes(1024),
                     pixels=bytes([0, 1])),
}

if __name__ == "__main__":
    for name, data in FILES.items():
        with open(os.path.join(HERE, name + ".bmp"), "wb") as f:
            f.write(data)
    print(len(FILES), "files")

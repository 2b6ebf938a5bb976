#!/usr/bin/env python3
"""Writes the small Windows program files of the program-icon fuzz corpus.

The icons come from the icon files of the icon corpus; each program holds one
resource section with an icon group and its icons. Run from the source root:
    python3 tools/make_pe_samples.py
"""
import struct
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
ICONS = ROOT / "fuzz/corpus/ico"
OUT = ROOT / "fuzz/corpus/pe"
SECTION_RVA = 0x1000
SECTION_OFFSET = 0x200


def icon_images(path):
    """(directory entry without offset, image bytes) of each image of an icon file."""
    data = path.read_bytes()
    count = struct.unpack_from("<H", data, 4)[0]
    images = []
    for i in range(count):
        entry = data[6 + 16 * i: 6 + 16 * i + 16]
        size, offset = struct.unpack_from("<II", entry, 8)
        images.append((entry[:12], data[offset:offset + size]))
    return images


def align(blob, to):
    return blob + b"\0" * (-len(blob) % to)


def resource_section(resources):
    """resources: list of (type, id, data); one language each."""
    types = []
    for r in resources:
        if r[0] not in types:
            types.append(r[0])
    by_type = {t: [r for r in resources if r[0] == t] for t in types}
    at = 16 + 8 * len(types)
    type_dir = {}
    for t in types:
        type_dir[t] = at
        at += 16 + 8 * len(by_type[t])
    name_dir, data_entry, data_at = {}, {}, {}
    for i, _ in enumerate(resources):
        name_dir[i] = at
        at += 24
    for i, _ in enumerate(resources):
        data_entry[i] = at
        at += 16
    for i, r in enumerate(resources):
        data_at[i] = at
        at += len(align(r[2], 4))

    def directory(count):
        return struct.pack("<IIHHHH", 0, 0, 0, 0, 0, count)

    out = directory(len(types))
    for t in types:
        out += struct.pack("<II", t, 0x80000000 | type_dir[t])
    for t in types:
        out += directory(len(by_type[t]))
        for r in by_type[t]:
            out += struct.pack("<II", r[1], 0x80000000 | name_dir[resources.index(r)])
    for i, _ in enumerate(resources):
        out += directory(1) + struct.pack("<II", 1033, data_entry[i])
    for i, r in enumerate(resources):
        out += struct.pack("<IIII", SECTION_RVA + data_at[i], len(r[2]), 0, 0)
    for r in resources:
        out += align(r[2], 4)
    return out


def program(resources, plus):
    section = resource_section(resources) if resources else b""
    directories_at = 112 if plus else 96
    optional = bytearray(directories_at + 16 * 8)
    struct.pack_into("<H", optional, 0, 0x20B if plus else 0x10B)
    struct.pack_into("<I", optional, directories_at - 4, 16)
    if section:
        struct.pack_into("<II", optional, directories_at + 16, SECTION_RVA, len(section))
    out = bytearray(b"MZ" + b"\0" * 0x3A + struct.pack("<I", 0x40))
    out += b"PE\0\0" + struct.pack("<HHIIIHH", 0x8664 if plus else 0x14C, 1, 0, 0, 0, len(optional), 0x0102)
    out += optional
    raw = len(align(section, 0x200))
    out += b".rsrc\0\0\0" + struct.pack("<IIII", len(section), SECTION_RVA, raw, SECTION_OFFSET) + b"\0" * 16
    out += b"\0" * (SECTION_OFFSET - len(out))
    return bytes(align(bytes(out) + section, 0x200))


def icon_resources(images):
    group = struct.pack("<HHH", 0, 1, len(images))
    for i, (entry, data) in enumerate(images):
        group += entry[:8] + struct.pack("<IH", len(data), i + 1)
    return [(14, 1, group)] + [(3, i + 1, data) for i, (_, data) in enumerate(images)]


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    mono = icon_images(ICONS / "mono.ico")
    alpha = icon_images(ICONS / "alpha32.ico")
    (OUT / "pe32.exe").write_bytes(program(icon_resources(mono + alpha), plus=False))
    (OUT / "pe32plus.dll").write_bytes(program(icon_resources(alpha), plus=True))
    (OUT / "no_icons.exe").write_bytes(program([(6, 1, b"strings")], plus=False))
    # The group type's directory entry points back at the root directory.
    looped = bytearray(program(icon_resources(mono), plus=False))
    struct.pack_into("<I", looped, SECTION_OFFSET + 16 + 4, 0x80000000)
    (OUT / "loop.exe").write_bytes(bytes(looped))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Generates src/text/gbk_tables.cc, the code page 936 tables of the codec.

iconv's "CP936" converter is the truth for every mapping: the script drives
iconv(3) from the C library through ctypes, asking it about every two-byte
code (lead 0x81-0xFE, trail 0x40-0x7E/0x80-0xFE), every single byte and every
BMP code unit, and writes what it answers. It also checks the assumptions the
hand-written part of the codec (src/text/gbk_codec.cc) makes, and fails rather
than write tables that contradict them.

Usage: scripts/gen_gbk_tables.py [OUTPUT]   (default: src/text/gbk_tables.cc)

Run it by hand when the tables need remaking; the build never runs it. Needs a
C library with iconv(3) and its CP936 converter (glibc has both).
"""

import ctypes
import ctypes.util
import os
import sys

LEAD_FIRST, LEAD_LAST = 0x81, 0xFE
TRAIL_FIRST, TRAIL_LAST, TRAIL_GAP = 0x40, 0xFE, 0x7F
EURO_BYTE, EURO_SIGN = 0x80, 0x20AC
PAGE_SIZE = 256
PER_LINE = 16

TRAILS = [t for t in range(TRAIL_FIRST, TRAIL_LAST + 1) if t != TRAIL_GAP]
LEADS = list(range(LEAD_FIRST, LEAD_LAST + 1))


class Iconv:
    """One iconv(3) conversion descriptor, converting whole short inputs."""

    _libc = None

    @classmethod
    def libc(cls):
        if cls._libc is None:
            name = ctypes.util.find_library("c")
            libc = ctypes.CDLL(name, use_errno=True)
            libc.iconv_open.restype = ctypes.c_void_p
            libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
            libc.iconv.restype = ctypes.c_size_t
            libc.iconv.argtypes = [
                ctypes.c_void_p,
                ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t),
                ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)]
            libc.iconv_close.argtypes = [ctypes.c_void_p]
            cls._libc = libc
        return cls._libc

    def __init__(self, to_code, from_code):
        self._cd = self.libc().iconv_open(to_code.encode(), from_code.encode())
        if self._cd is None or self._cd == ctypes.c_void_p(-1).value:
            sys.exit(f"iconv cannot convert {from_code} to {to_code}")

    def convert(self, data):
        """The converted bytes, or None when iconv rejects any of `data`."""
        failed = ctypes.c_size_t(-1).value
        libc = self.libc()
        libc.iconv(self._cd, None, None, None, None)  # back to the initial state
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(16)
        inptr = ctypes.cast(inbuf, ctypes.c_char_p)
        inleft = ctypes.c_size_t(len(data))
        outptr = ctypes.cast(outbuf, ctypes.c_char_p)
        outleft = ctypes.c_size_t(len(outbuf))
        if libc.iconv(self._cd, ctypes.byref(inptr), ctypes.byref(inleft),
                      ctypes.byref(outptr), ctypes.byref(outleft)) == failed:
            return None
        if inleft.value != 0:
            return None
        if libc.iconv(self._cd, None, None,
                      ctypes.byref(outptr), ctypes.byref(outleft)) == failed:
            return None
        return outbuf.raw[:len(outbuf) - outleft.value]


def libc_version():
    try:
        get = Iconv.libc().gnu_get_libc_version
    except AttributeError:
        return "an unknown C library"
    get.restype = ctypes.c_char_p
    return "glibc " + get().decode()


def check(condition, message):
    if not condition:
        sys.exit("unexpected CP936 behaviour: " + message)


def read_mappings():
    decoder = Iconv("UTF-16LE", "CP936")
    encoder = Iconv("CP936", "UTF-16LE")

    # Single bytes: the codec hard-codes these, so only check them.
    for b in range(256):
        got = decoder.convert(bytes([b]))
        if b < 0x80:
            check(got == bytes([b, 0]), f"byte {b:#04x} is not ASCII")
        elif b == EURO_BYTE:
            check(got == EURO_SIGN.to_bytes(2, "little"), "0x80 is not U+20AC")
        else:
            check(got is None, f"byte {b:#04x} decodes on its own")

    decode = {}
    for lead in LEADS:
        for trail in TRAILS:
            got = decoder.convert(bytes([lead, trail]))
            if got is None:
                continue
            check(len(got) == 2, f"{lead:02X}{trail:02X} is not one UTF-16 unit")
            unit = int.from_bytes(got, "little")
            check(unit != 0 and not 0xD800 <= unit <= 0xDFFF,
                  f"{lead:02X}{trail:02X} decodes to U+{unit:04X}")
            decode[(lead, trail)] = unit
        # A lead byte followed by a byte outside the trail range is no code.
        for other in range(256):
            if other not in TRAILS:
                check(decoder.convert(bytes([lead, other])) is None,
                      f"{lead:02X}{other:02X} decodes")

    encode = {}
    for unit in range(0x10000):
        got = encoder.convert(unit.to_bytes(2, "little"))
        if unit < 0x80:
            check(got == bytes([unit]), f"U+{unit:04X} is not ASCII")
            continue
        if got is None:
            continue
        check(not 0xD800 <= unit <= 0xDFFF, f"surrogate U+{unit:04X} encodes")
        if len(got) == 1:
            check(unit == EURO_SIGN and got[0] == EURO_BYTE,
                  f"U+{unit:04X} encodes to the single byte {got[0]:#04x}")
            encode[unit] = got[0]
        else:
            check(len(got) == 2 and got[0] in LEADS and got[1] in TRAILS,
                  f"U+{unit:04X} encodes to {got.hex()}")
            encode[unit] = got[0] << 8 | got[1]
    return decode, encode


def rows(values, fmt, indent="    "):
    lines = []
    for i in range(0, len(values), PER_LINE):
        lines.append(indent + ",".join(fmt(v) for v in values[i:i + PER_LINE]) + ",")
    return "\n".join(lines)


def hex4(v):
    return f"0x{v:04X}" if v else "0"


def render(decode, encode):
    decode_table = [decode.get((lead, trail), 0) for lead in LEADS for trail in TRAILS]

    pages = [[0] * PAGE_SIZE]  # page 0: the empty page
    page_index = [0] * 256
    for hi in range(256):
        page = [encode.get(hi << 8 | lo, 0) for lo in range(PAGE_SIZE)]
        if any(page):
            page_index[hi] = len(pages)
            pages.append(page)
    check(len(pages) <= 256, "too many encode pages for a byte index")

    out = []
    out.append(f"""\
// Generated by scripts/gen_gbk_tables.py from iconv's "CP936" converter
// ({libc_version()}). Do not edit: change the script and run it again.
//
// {len(decode)} two-byte codes decode; {len(encode)} BMP units above ASCII encode.
// The layout is described in gbk_tables.h.
#include "gbk_tables.h"

namespace murlo::cp936 {{

// clang-format off
const char16_t kDecode[kDecodeSize] = {{""")
    for i, lead in enumerate(LEADS):
        row = decode_table[i * len(TRAILS):(i + 1) * len(TRAILS)]
        out.append(f"    // lead 0x{lead:02X}")
        out.append(rows(row, hex4))
    out.append("};")
    out.append("")
    out.append("const std::uint8_t kEncodePage[256] = {")
    out.append(rows(page_index, str))
    out.append("};")
    out.append("")
    out.append(f"const std::uint16_t kEncode[{len(pages)}][kEncodePageSize] = {{")
    for n, page in enumerate(pages):
        hi = page_index.index(n) if n else None
        out.append("    // the empty page" if n == 0 else f"    // U+{hi:02X}00-U+{hi:02X}FF")
        out.append("    {")
        out.append(rows(page, hex4, indent="        "))
        out.append("    },")
    out.append("};")
    out.append("// clang-format on")
    out.append("")
    out.append("}  // namespace murlo::cp936")
    out.append("")
    return "\n".join(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "src", "api", "gbk_tables.cc")
    decode, encode = read_mappings()
    text = render(decode, encode)
    with open(target, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    print(f"wrote {target}: {len(decode)} decodes, {len(encode)} encodes, {len(text)} bytes")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Changes the header page of a Jet 4 file for the fixtures.

  header.py password IN OUT TEXT   sets the database password (stored XOR-masked as UTF-16 at 0x42)
  header.py encode IN OUT          sets the page-encoding key (the masked 32-bit value at 0x3e)

Both values lie in the masked part of the header, so a change of the masked bytes by XOR changes the clear
value by the same XOR: an empty password becomes TEXT, a zero key becomes non-zero.
"""
import sys

def main():
    what, src, dst = sys.argv[1:4]
    data = bytearray(open(src, 'rb').read())
    assert data[0x14] == 1, 'not a Jet 4 file'
    if what == 'password':
        text = sys.argv[4]
        assert len(text) <= 20
        for i, ch in enumerate(text):
            code = ord(ch)
            data[0x42 + 2 * i] ^= code & 0xFF
            data[0x42 + 2 * i + 1] ^= code >> 8
    elif what == 'encode':
        for i, b in enumerate((0x5A, 0x17, 0x3C, 0x01)):
            data[0x3E + i] ^= b
    else:
        sys.exit('unknown change ' + what)
    open(dst, 'wb').write(data)

main()

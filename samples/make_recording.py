#!/usr/bin/python3
"""Writes recording.bin: a memory dump of a recording instrument as it comes down the line.

Run with /usr/bin/python3 make_recording.py (from this folder). The result is committed;
run this only to change the recording.

The stream: a short preamble the instrument prints before its data, then one block per
recording, then DC4. A block is DC1, then fields of the form SOH label STX content, where
the content's sub-fields are separated by ETX, then DC3 and one check byte (the XOR of the
block's bytes). Field 0 of a block is its header: name, template, export switch, header
field 4, comment, date. The other fields are measurement rows: time, value, unit.
Text is Windows-1252 (the comment "Rücklauf" carries the umlaut byte 0xFC, "°C" the 0xB0).
"""

import pathlib

SOH, STX, ETX = b"\x01", b"\x02", b"\x03"
DC1, DC3, DC4 = b"\x11", b"\x13", b"\x14"
FRAMING = {0x11, 0x13, 0x14}


def field(label, *subfields):
    return SOH + label.encode("cp1252") + STX + ETX.join(s.encode("cp1252") for s in subfields)


def block(name, export, channel, comment, date, unit, start_minute, values):
    header = field("K", name, "1", export, channel, comment, date)
    rows = []
    for i, value in enumerate(values):
        minute = start_minute + 15 * i
        rows.append(field("M", f"{8 + minute // 60:02d}:{minute % 60:02d}:00", value, unit))
    body = DC1 + header + b"".join(rows)
    check = 0
    for byte in body:
        check ^= byte
    # The check byte is consumed unread by the receiver, but the capture stops at any DC4.
    assert check not in FRAMING, f"check byte of {name} is a framing byte; change a value"
    return body + DC3 + bytes([check])


recording = (
    b"SCHREIBER MEM DUMP V2.3\r\nBLOCKS 0004\r\n"
    + block("Vorlauf_K1", "1", "1", "Vorlauf Kessel 1", "12.03.2024", "°C", 0,
            ["61.4", "62.0", "63.1", "63.8", "64.2", "64.0", "63.5", "62.9"])
    + b"\r\n"
    + block("Ruecklauf_K1", "1", "2", "Rücklauf Kessel 1", "12.03.2024", "°C", 0,
            ["44.9", "45.3", "46.0", "46.8", "47.1", "47.0", "46.6", "46.2"])
    + b"\r\n"
    + block("Test", "0", "1", "Probelauf, nicht exportieren", "11.03.2024", "bar", 30,
            ["1.02", "1.03", "1.03"])
    + b"\r\n"
    + block("Druck_Netz", "1", "3", "Netzdruck nach Pumpe", "12.03.2024", "bar", 0,
            ["2.41", "2.44", "2.47", "2.45", "2.43", "2.46"])
    + b"\r\n"
    + DC4
)

assert recording.count(DC4) == 1 and recording.endswith(DC4)
pathlib.Path(__file__).with_name("recording.bin").write_bytes(recording)
print(f"recording.bin: {len(recording)} bytes")

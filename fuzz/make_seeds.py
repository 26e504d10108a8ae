#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are small, well-formed starting points: frames the unit sends, the two preset
images, information records, version files, and event scripts for the receive path that
walk the main roads (upload, read and read-back, firmware job, operation mode, give-up).
Run it again after changing the script format of receive_path_fuzz.cpp.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(command, payload, address=0x12):
    head = bytes([0xBC, address, command]) + struct.pack(">H", len(payload)) + bytes(payload)
    s = sum(head)
    return head + bytes([(s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF])


def info(mode=1, ids=(3, 2, 1), hw=4, byte2=1, major=2, minor=43, base=0x1000):
    p = bytearray(b" " * 45)
    p[0] = mode
    p[1:5] = struct.pack(">I", ids[2])
    p[5:9] = struct.pack(">I", ids[1])
    p[9:13] = struct.pack(">I", ids[0])
    p[37:41] = bytes([hw, byte2, major, minor])
    p[41:45] = struct.pack(">I", base)
    return bytes(p)


def image(head39):
    return bytes.fromhex(head39) + b"\xff" * (2032 - 39)


DEFAULT = image("CAFEF0DA001E010200B4048000C00B0B0B0B0B78050B5A050B1194050B06070B28038405000855")
ROTAVAL = image("CAFEF0DA001E0102003C048000C00B0B010103640A03500A03119405030107032803840500 0788".replace(" ", ""))

# Script operations of receive_path_fuzz.cpp, in enum order.
(RAW, FRAME, ACK_CURRENT, READ_REPLY_CURRENT, INFO, TICK_UPLOAD, TICK_READ, TICK_CLOSE, START_UPLOAD,
 START_READ, WRITE_CONFIG, FIRMWARE_JOB, EVENTS, VANISH, CONNECT, READ_LIMIT, RESPONDER, UNIT_MEMORY,
 TOGGLE_ROTAVAL, TOGGLE_AUTOCLOSE, LATER) = range(21)
# What LATER schedules, in enum order.
LATER_UPLOAD, LATER_READ, LATER_CLOSE, LATER_CLICK, LATER_BYTES, LATER_NACK, LATER_VANISH = range(7)
# Responder bits.
ACK, NACK, STALE_ACK, READS, TRAILING, HALF, TWICE, TIMER_DUE = 1, 2, 3, 4, 8, 16, 32, 64
HW_INDEX = {1: 0, 2: 1, 3: 2, 4: 3, 41: 4, 5: 5}


def op_info(mode=1, hw=4, version=(2, 43), base=None):
    b = bytes([INFO, 0 if mode == 0 else 1]) + struct.pack(">III", 1, 2, 3) + bytes([HW_INDEX[hw], 1])
    if version == (2, 43):
        b += bytes([0])
    elif version == (2, 42):
        b += bytes([64])
    else:
        b += bytes([200, version[0], version[1]])
    b += bytes([0]) if base is None else bytes([200]) + struct.pack(">I", base)
    return b + bytes([0])


def op_raw(data):
    return bytes([RAW, len(data)]) + bytes(data)


def op_frame(command_pick, payload, flags=0):
    return bytes([FRAME, command_pick, flags, len(payload)]) + bytes(payload)


SCRIPTS = {
    "upload_acked": bytes([RESPONDER, 1, START_UPLOAD, 150, 0]) + bytes([EVENTS]) * 12,
    "upload_given_up": bytes([START_UPLOAD, 96, 0]) + bytes([TICK_UPLOAD]) * 11,
    "upload_nacks": bytes([START_UPLOAD, 60, 1, ACK_CURRENT, 0]) + op_frame(1, b"") * 9 + bytes([TICK_UPLOAD]) * 4,
    "read_and_keep": bytes([RESPONDER, 4]) + op_info() + bytes([EVENTS]) * 8,
    "read_and_repair": bytes([UNIT_MEMORY, 3, 0, 20, 1, 99, RESPONDER, 5]) + op_info() + bytes([EVENTS]) * 60,
    "read_rotaval": bytes([TOGGLE_ROTAVAL, RESPONDER, 5, TOGGLE_AUTOCLOSE]) + op_info() + bytes([EVENTS]) * 60
    + bytes([TICK_CLOSE, EVENTS]),
    "read_by_hand": op_info(hw=1) + bytes([READ_REPLY_CURRENT, 0, 0] * 5) + bytes([TICK_READ]) * 3,
    "read_silent": op_info() + bytes([TICK_READ]) * 11,
    "firmware_job": bytes([RESPONDER, 1]) + op_info(version=(2, 42)) + bytes([EVENTS]) * 20,
    "operation_mode": op_info(mode=0) + bytes([TICK_CLOSE, EVENTS, EVENTS]),
    "notice_mid_upload": bytes([START_UPLOAD, 200, 1]) + op_frame(4, b"") + bytes([TICK_CLOSE, EVENTS, TICK_UPLOAD]),
    "unplugged": bytes([START_UPLOAD, 100, 0, VANISH, TICK_UPLOAD, CONNECT, CONNECT]) + op_info(),
    "upload_timer_due_meanwhile": bytes([RESPONDER, ACK | TIMER_DUE, START_UPLOAD, 150, 0]) + bytes([EVENTS]) * 12,
    "upload_stale_acks": bytes([RESPONDER, STALE_ACK, START_UPLOAD, 100, 0]) + bytes([EVENTS, TICK_UPLOAD]) * 12,
    "read_answered_twice": bytes([RESPONDER, READS | TWICE | TRAILING]) + op_info() + bytes([EVENTS]) * 8,
    "close_inside_receive_event": op_info(mode=0) + bytes([LATER, LATER_CLOSE, LATER, LATER_CLICK])
    + op_raw(frame(3, b"")) + bytes([EVENTS, EVENTS]),
    "nacks_during_resend": bytes([START_UPLOAD, 90, 0]) + bytes([TICK_UPLOAD]) * 6
    + bytes([LATER, LATER_NACK]) * 3 + bytes([TICK_UPLOAD, EVENTS]),
    "garbage": op_raw(b"\x00" * 20) + op_raw(b"\xbc\x12") + op_raw(frame(3, b"") + b"\x01\x02\x03")
    + op_raw(frame(3, b"", 0x21)) + bytes([READ_LIMIT, 7]) + op_raw(frame(3, b"")),
}


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    for name, data in {
        "ack": frame(2, b"\x00\x01"),
        "nack": frame(3, b""),
        "info": frame(4, info()),
        "read_reply": frame(7, struct.pack(">IH", 0x1000, 32) + DEFAULT[:32]),
        "notice": frame(11, b"\x00"),
        "echo": frame(3, b"", 0x21),
        "longest": frame(9, b"\xff" * 1019),
        "two_frames": frame(3, b"") + frame(2, b"\x00\x02"),
    }.items():
        write("frame", name, data)
    write("config_image", "default", DEFAULT)
    write("config_image", "rotaval", ROTAVAL)
    write("config_image", "blank", b"\xff" * 2032)
    for name, data in {
        "current": info(),
        "old": info(minor=42),
        "blank_firmware": info(hw=41, major=255, minor=255),
        "discontinued": info(hw=1, major=0, minor=0),
        "operation_mode": info(mode=0),
        "long": info() + b"\x00\x01\x02",
    }.items():
        write("info_record", name, data)
    for name, text in {
        "same": "versao #*$(002.043.065@@002.043.065)$*# fim",
        "newer": "<html><body>#*$(002.044.065@@002.044.065)$*#</body></html>",
        "second_copy_differs": "...#*$(002.044.065@@002.044.066)$*#...",
    }.items():
        write("version_marker", name, text.encode("ascii"))
    for name, data in SCRIPTS.items():
        write("receive_path", name, data)


if __name__ == "__main__":
    main()

"""TDS reply tokens: DONE family, messages, ENVCHANGE, LOGINACK, RETURNSTATUS, COLMETADATA."""

import struct

COLMETADATA = 0x81
ERROR = 0xAA
INFO = 0xAB
LOGINACK = 0xAD
ENVCHANGE = 0xE3
ROW = 0xD1
RETURNSTATUS = 0x79
DONE = 0xFD
DONEPROC = 0xFE
DONEINPROC = 0xFF

DONE_FINAL = 0x0000
DONE_MORE = 0x0001
DONE_ERROR = 0x0002
DONE_COUNT = 0x0010
DONE_ATTN = 0x0020

# CurCmd values a real server sends.
CMD_SELECT = 193
CMD_INSERT = 195
CMD_CREATE_TABLE = 198
CMD_DROP_TABLE = 199
CMD_CREATE_VIEW = 207
CMD_DROP_VIEW = 208
CMD_EXECUTE = 224
CMD_SET = 247
CMD_ATTENTION = 253

ENV_DATABASE = 1
ENV_LANGUAGE = 2
ENV_PACKET_SIZE = 4
ENV_COLLATION = 7

# SQL_Latin1_General_CP1_CI_AS: LCID 0x0409, case-insensitive, sort id 52 (code page 1252).
COLLATION = bytes.fromhex("0904d00034")
SERVER_NAME = "STANDIN"
PROGRAM_NAME = "Microsoft SQL Server"
PROGRAM_VERSION = bytes([16, 0, 0x10, 0x27])  # 16.0.4135
TDS_VERSION = bytes.fromhex("74000004")

_DONE = struct.Struct("<BHHQ")
_RETURNSTATUS = struct.Struct("<Bi")


def b_varchar(text):
    raw = text.encode("utf-16-le")
    return bytes([len(raw) // 2]) + raw


def us_varchar(text):
    raw = text.encode("utf-16-le")
    return struct.pack("<H", len(raw) // 2) + raw


def done(status, curcmd=0, count=0, token=DONE):
    return _DONE.pack(token, status, curcmd, count)


def returnstatus(value):
    return _RETURNSTATUS.pack(RETURNSTATUS, value)


def message(number, state, severity, text, proc="", line=1):
    """An INFO token for severity 10 and below, an ERROR token above."""
    body = (struct.pack("<iBB", number, state, severity) + us_varchar(text) +
            b_varchar(SERVER_NAME) + b_varchar(proc) + struct.pack("<i", line))
    token = INFO if severity <= 10 else ERROR
    return bytes([token]) + struct.pack("<H", len(body)) + body


def error_tokens(err):
    out = message(err.number, err.state, err.severity, err.text, err.proc, err.line)
    if err.terminated:
        out += message(3621, 0, 0, "The statement has been terminated.")
    return out


def envchange_text(kind, new, old):
    body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return bytes([ENVCHANGE]) + struct.pack("<H", len(body)) + body


def envchange_bytes(kind, new, old):
    body = bytes([kind, len(new)]) + new + bytes([len(old)]) + old
    return bytes([ENVCHANGE]) + struct.pack("<H", len(body)) + body


def loginack():
    body = bytes([1]) + TDS_VERSION + b_varchar(PROGRAM_NAME) + PROGRAM_VERSION
    return bytes([LOGINACK]) + struct.pack("<H", len(body)) + body


def colmetadata(columns, table_parts):
    """columns: objects with .name, .nullable and .type (a SqlType)."""
    out = bytearray([COLMETADATA]) + struct.pack("<H", len(columns))
    for col in columns:
        flags = 0x0009 if col.nullable else 0x0008
        if getattr(col, "identity", False):
            flags |= 0x0010
        out += struct.pack("<IH", 0, flags)
        out += col.type.type_info(col.nullable)
        if col.type.is_long_legacy:
            out.append(len(table_parts))
            for part in table_parts:
                out += us_varchar(part)
        out += b_varchar(col.name)
    return bytes(out)

"""RPC requests: procedure name and parameters (the catalogue calls of the ODBC driver)."""

import struct

from .convert import NULL, Literal
from .errors import SqlError

_FIXED = {0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x3A: 4, 0x3B: 4, 0x3C: 8, 0x3D: 8, 0x3E: 8,
          0x7A: 4, 0x7F: 8, 0x1F: 0}
_BYTELEN = {0x26, 0x68, 0x6D, 0x6E, 0x6F, 0x24}
_CHARS = {0xA7: "varchar", 0xAF: "varchar", 0xE7: "nvarchar", 0xEF: "nvarchar",
          0xA5: "varbinary", 0xAD: "varbinary"}
_LONG = {0x23: "varchar", 0x63: "nvarchar", 0x22: "varbinary"}
# Procedure numbers a client may send instead of a name.
PROC_IDS = {1: "sp_cursor", 2: "sp_cursoropen", 3: "sp_cursorprepare", 4: "sp_cursorexecute",
            5: "sp_cursorprepexec", 6: "sp_cursorunprepare", 7: "sp_cursorfetch",
            8: "sp_cursoroption", 9: "sp_cursorclose", 10: "sp_executesql", 11: "sp_prepare",
            12: "sp_execute", 13: "sp_prepexec", 14: "sp_prepexecrpc", 15: "sp_unprepare"}


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise SqlError(50000, 1, 16, "Malformed RPC request.")
        out = self.data[self.pos:self.pos + n]
        self.pos += n
        return out

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def i32(self):
        return struct.unpack("<i", self.take(4))[0]

    def ucs2(self, chars):
        return self.take(chars * 2).decode("utf-16-le", "surrogatepass")

    def at_end(self):
        return self.pos >= len(self.data)


def parse(payload):
    """(procedure name, [(param name or None, Literal)]) of the first RPC in the payload."""
    r = Reader(payload)
    total = struct.unpack("<I", payload[:4])[0] if len(payload) >= 4 else 0
    r.take(total)
    length = r.u16()
    name = PROC_IDS.get(r.u16(), "proc#?") if length == 0xFFFF else r.ucs2(length)
    r.u16()  # option flags
    args = []
    while not r.at_end():
        if r.data[r.pos] in (0x80, 0xFF):  # another RPC follows: not supported
            break
        param = r.ucs2(r.u8())
        r.u8()  # status
        args.append((param or None, _value(r)))
    return name, args


def _value(r):
    code = r.u8()
    if code in _FIXED:
        raw = r.take(_FIXED[code])
        return _number(code, raw) if raw else NULL
    if code in _BYTELEN:
        r.u8()
        raw = r.take(r.u8())
        return _number(code, raw) if raw else NULL
    if code in (0x6A, 0x6C):
        r.take(2)
        scale = r.u8()
        raw = r.take(r.u8())
        if not raw:
            return NULL
        units = int.from_bytes(raw[1:], "little") * (1 if raw[0] else -1)
        text = str(abs(units)).rjust(scale + 1, "0")
        sign = "-" if units < 0 else ""
        return Literal("numeric", sign + (text[:-scale] + "." + text[-scale:] if scale else text))
    if code in _CHARS:
        maxlen = r.u16()
        if code not in (0xA5, 0xAD):
            r.take(5)
        raw = _plp(r) if maxlen == 0xFFFF else _short(r)
        return _text(_CHARS[code], raw)
    if code in _LONG:
        r.i32()
        if code != 0x22:
            r.take(5)
        length = r.i32()
        return NULL if length < 0 else _text(_LONG[code], r.take(length))
    raise SqlError(50000, 1, 16, "The stand-in does not take RPC parameters of type 0x%02X."
                   % code)


def _short(r):
    length = r.u16()
    return None if length == 0xFFFF else r.take(length)


def _plp(r):
    total = struct.unpack("<Q", r.take(8))[0]
    if total == 0xFFFFFFFFFFFFFFFF:
        return None
    parts = []
    while True:
        n = struct.unpack("<I", r.take(4))[0]
        if n == 0:
            return b"".join(parts)
        parts.append(r.take(n))


def _text(kind, raw):
    if raw is None:
        return NULL
    if kind == "nvarchar":
        return Literal(kind, raw.decode("utf-16-le", "surrogatepass"))
    if kind == "varchar":
        return Literal(kind, raw.decode("cp1252", "replace"))
    return Literal(kind, raw)


def _number(code, raw):
    if code in (0x6D, 0x3B, 0x3E):
        return Literal("float", struct.unpack("<f" if len(raw) == 4 else "<d", raw)[0])
    if code in (0x26, 0x30, 0x34, 0x38, 0x7F, 0x68, 0x32):
        return Literal("int", int.from_bytes(raw, "little", signed=code not in (0x30, 0x68,
                                                                                  0x32)))
    if code == 0x24:
        return Literal("varbinary", raw)
    raise SqlError(50000, 1, 16, "The stand-in does not take RPC parameters of type 0x%02X."
                   % code)

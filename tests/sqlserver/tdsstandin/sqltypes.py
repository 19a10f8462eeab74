"""SQL Server column types: declaration parsing, TYPE_INFO, and the wire form of stored values.

Stored forms (SQLite): integers and bit as INTEGER; float and real as REAL; decimal, numeric,
money as canonical decimal TEXT; datetime as INTEGER ticks of 1/300 s since 1900-01-01;
smalldatetime as INTEGER minutes since 1900-01-01; date as INTEGER days since 0001-01-01;
time(n) as INTEGER units of 10^-n s; datetime2(n) as INTEGER units since 0001-01-01;
datetimeoffset(n) as TEXT "utc-units offset-minutes"; strings as TEXT (char types already
reduced to code page 1252); binary as BLOB; uniqueidentifier as upper-case TEXT.
"""

import struct
import uuid

from .errors import SqlError
from .tokens import COLLATION

MAX = -1

_INT_SIZES = {"tinyint": 1, "smallint": 2, "int": 4, "bigint": 8}
_INT_FIXED = {1: 0x30, 2: 0x34, 4: 0x38, 8: 0x7F}
_INT_RANGE = {"tinyint": (0, 255), "smallint": (-2**15, 2**15 - 1),
              "int": (-2**31, 2**31 - 1), "bigint": (-2**63, 2**63 - 1)}
_CHAR_CODES = {"char": 0xAF, "varchar": 0xA7, "nchar": 0xEF, "nvarchar": 0xE7,
               "binary": 0xAD, "varbinary": 0xA5}
_TIME_LEN = [3, 3, 3, 4, 4, 5, 5, 5]

SIMPLE = {"tinyint", "smallint", "int", "bigint", "bit", "real", "money", "smallmoney",
          "datetime", "smalldatetime", "date", "text", "ntext", "image", "uniqueidentifier"}
SIZED = {"char", "varchar", "nchar", "nvarchar", "binary", "varbinary"}
SCALED = {"time", "datetime2", "datetimeoffset"}
EXACT = {"decimal", "numeric"}
ALIASES = {"dec": "decimal", "integer": "int", "double precision": "float", "sysname": "nvarchar"}

TICKS_PER_DAY = 300 * 86400
PLP_NULL = b"\xff" * 8
_TEXT_PTR = b"\x10" + b"\x00" * 15 + b"\x01" + b"\x00" * 7 + b"\x00"  # length, pointer, stamp


def decimal_length(precision):
    return 5 if precision <= 9 else 9 if precision <= 19 else 13 if precision <= 28 else 17


class SqlType:
    """One declared column type, e.g. nvarchar(50), decimal(18,4) or ntext."""

    def __init__(self, name, length=0, precision=0, scale=0):
        self.name = name
        self.length = length          # characters or bytes; MAX for (max)
        self.precision = precision
        self.scale = scale

    # -- description ----------------------------------------------------------------------
    def declared(self):
        if self.name in SIZED:
            return "%s(%s)" % (self.name, "max" if self.length == MAX else self.length)
        if self.name in EXACT:
            return "%s(%d,%d)" % (self.name, self.precision, self.scale)
        if self.name in SCALED:
            return "%s(%d)" % (self.name, self.scale)
        return self.name

    @property
    def is_long_legacy(self):
        return self.name in ("text", "ntext", "image")

    @property
    def is_max(self):
        return self.length == MAX

    @property
    def storage(self):
        n = self.name
        if n in _INT_SIZES or n in ("bit", "datetime", "smalldatetime", "date", "time",
                                    "datetime2"):
            return "INTEGER"
        if n in ("float", "real"):
            return "REAL"
        if n in ("binary", "varbinary", "image"):
            return "BLOB"
        return "TEXT"

    @property
    def is_unicode(self):
        return self.name in ("nchar", "nvarchar", "ntext")

    @property
    def is_ansi(self):
        return self.name in ("char", "varchar", "text")

    @property
    def wire_size(self):
        if self.name in _INT_SIZES:
            return _INT_SIZES[self.name]
        return {"float": 8, "real": 4, "money": 8, "smallmoney": 4, "datetime": 8, "smalldatetime": 4,
                "bit": 1}.get(self.name, 0)

    # -- TYPE_INFO ------------------------------------------------------------------------
    def type_info(self, nullable=True):
        n, size = self.name, self.wire_size
        if n in _INT_SIZES:
            return bytes([0x26, size]) if nullable else bytes([_INT_FIXED[size]])
        fixed_codes = {"bit": (0x68, 0x32), "money": (0x6E, 0x3C), "smallmoney": (0x6E, 0x7A),
                       "datetime": (0x6F, 0x3D), "smalldatetime": (0x6F, 0x3A)}
        if n in ("float", "real"):
            return bytes([0x6D, size]) if nullable else bytes([0x3E if size == 8 else 0x3B])
        if n in fixed_codes:
            nullable_code, fixed = fixed_codes[n]
            return bytes([nullable_code, size]) if nullable else bytes([fixed])
        if n in EXACT:
            code = 0x6A if n == "decimal" else 0x6C
            return bytes([code, decimal_length(self.precision), self.precision, self.scale])
        if n == "date":
            return b"\x28"
        if n in SCALED:
            return bytes([{"time": 0x29, "datetime2": 0x2A, "datetimeoffset": 0x2B}[n],
                          self.scale])
        if n == "uniqueidentifier":
            return b"\x24\x10"
        if n in SIZED:
            if self.length == MAX:
                maxlen = 0xFFFF
            else:
                maxlen = self.length * (2 if self.is_unicode else 1)
            out = bytes([_CHAR_CODES[n]]) + struct.pack("<H", maxlen)
            return out if n in ("binary", "varbinary") else out + COLLATION
        if n == "text":
            return b"\x23" + struct.pack("<i", 2147483647) + COLLATION
        if n == "ntext":
            return b"\x63" + struct.pack("<i", 2147483646) + COLLATION
        if n == "image":
            return b"\x22" + struct.pack("<i", 2147483647)
        raise AssertionError(n)

    # -- values on the wire ---------------------------------------------------------------
    def encoder(self, nullable=True):
        """A function from a stored value (or None) to its bytes in a ROW token."""
        n = self.name
        if n in _INT_SIZES or n in ("bit", "float", "real", "money", "smallmoney", "datetime",
                                    "smalldatetime"):
            return _fixed_encoder(self, nullable)
        if n in EXACT:
            return _decimal_encoder(decimal_length(self.precision))
        if n in ("date", "time", "datetime2", "datetimeoffset"):
            return _temporal_encoder(n, self.scale)
        if n == "uniqueidentifier":
            return lambda v: b"\x00" if v is None else b"\x10" + uuid.UUID(v).bytes_le
        to_bytes = _bytes_of(self)
        if self.is_long_legacy:
            pack = struct.Struct("<i").pack

            def legacy(v):
                if v is None:
                    return b"\x00"
                raw = to_bytes(v)
                return _TEXT_PTR + pack(len(raw)) + raw
            return legacy
        if self.length == MAX:
            return _plp_encoder(to_bytes)
        return _short_encoder(self)


def _short_encoder(t):
    """USHORT length + bytes (0xFFFF for NULL): the sized string and binary types."""
    pack = struct.Struct("<H").pack
    if t.is_unicode or t.is_ansi:
        codec, errors = ("utf-16-le", "surrogatepass") if t.is_unicode else ("cp1252", "replace")

        def text(v):
            if v is None:
                return b"\xff\xff"
            raw = v.encode(codec, errors)
            return pack(len(raw)) + raw
        return text
    return lambda v: b"\xff\xff" if v is None else pack(len(v)) + v


def _bytes_of(t):
    if t.is_unicode:
        return lambda v: v.encode("utf-16-le", "surrogatepass")
    if t.is_ansi:
        return lambda v: v.encode("cp1252", "replace")
    return bytes


def _plp_encoder(to_bytes):
    head = struct.Struct("<QI").pack

    def plp(v):
        if v is None:
            return PLP_NULL
        raw = to_bytes(v)
        if not raw:
            return b"\x00" * 12
        return head(len(raw), len(raw)) + raw + b"\x00\x00\x00\x00"
    return plp


def _fixed_encoder(t, nullable):
    size, name = t.wire_size, t.name
    if name in ("float", "real"):
        fmt = "d" if size == 8 else "f"
    elif name == "tinyint":
        fmt = "B"
    elif name in _INT_SIZES:
        fmt = {2: "h", 4: "i", 8: "q"}[size]
    elif name == "bit":
        fmt = "B"
    elif name == "money":
        fmt = "iI"
    elif name == "smallmoney":
        fmt = "i"
    elif name == "datetime":
        fmt = "iI"
    else:
        fmt = "HH"
    packer = struct.Struct("<" + ("B" if nullable else "") + fmt).pack
    prefix = (size,) if nullable else ()
    null = b"\x00"
    if name == "money":
        def money(v):
            if v is None:
                return null
            units = int(v.replace(".", ""))
            return packer(*prefix, units >> 32, units & 0xFFFFFFFF)
        return money
    if name == "smallmoney":
        return lambda v: null if v is None else packer(*prefix, int(v.replace(".", "")))
    if name == "datetime":
        def datetime(v):
            if v is None:
                return null
            days, ticks = divmod(v, TICKS_PER_DAY)
            return packer(*prefix, days, ticks)
        return datetime
    if name == "smalldatetime":
        def smalldatetime(v):
            if v is None:
                return null
            days, minutes = divmod(v, 1440)
            return packer(*prefix, days, minutes)
        return smalldatetime
    if nullable:
        return lambda v: null if v is None else packer(size, v)
    return packer


def _decimal_encoder(length):
    head = bytes([length])
    mag = length - 1

    def dec(v):
        if v is None:
            return b"\x00"
        units = int(v.replace(".", ""))
        if units < 0:
            return head + b"\x00" + (-units).to_bytes(mag, "little")
        return head + b"\x01" + units.to_bytes(mag, "little")
    return dec


def _temporal_encoder(name, scale):
    tlen = _TIME_LEN[scale]
    per_day = 86400 * 10 ** scale
    if name == "date":
        return lambda v: b"\x00" if v is None else b"\x03" + v.to_bytes(3, "little")
    if name == "time":
        head = bytes([tlen])
        return lambda v: b"\x00" if v is None else head + v.to_bytes(tlen, "little")
    if name == "datetime2":
        head = bytes([tlen + 3])

        def dt2(v):
            if v is None:
                return b"\x00"
            days, units = divmod(v, per_day)
            return head + units.to_bytes(tlen, "little") + days.to_bytes(3, "little")
        return dt2
    head = bytes([tlen + 5])

    def dto(v):
        if v is None:
            return b"\x00"
        utc, offset = (int(x) for x in v.split())
        days, units = divmod(utc, per_day)
        return (head + units.to_bytes(tlen, "little") + days.to_bytes(3, "little") +
                struct.pack("<h", offset))
    return dto


# -- declarations -----------------------------------------------------------------------------
def int_range(name):
    return _INT_RANGE[name]


def parse_type(name, args, position, column):
    """The type of a column declaration; args are the numbers or 'max' in parentheses.
    Raises SQL Server's errors for unknown types and bad sizes."""
    key = " ".join(name.lower().split())
    key = ALIASES.get(key, key)
    if name.lower() == "sysname":
        return SqlType("nvarchar", 128)
    if key in SIMPLE:
        if args:
            raise SqlError(2716, 1, 16, "Column, parameter, or variable #%d: Cannot specify a "
                           "column width on data type %s." % (position, key))
        return SqlType(key)
    if key in SIZED:
        return _sized(key, args, column)
    if key in EXACT:
        return _exact(key, args, position, column)
    if key in SCALED:
        scale = 7 if not args else args[0]
        if len(args) > 1 or scale == "max" or not 0 <= scale <= 7:
            raise SqlError(1002, 1, 16, "Line 1: Specified scale %s is invalid." % args[0])
        return SqlType(key, scale=scale)
    if key == "float":
        n = 53 if not args else args[0]
        if len(args) > 1 or n == "max" or not 1 <= n <= 53:
            raise SqlError(2750, 1, 16, "Column or parameter #%d: Specified column precision "
                           "%s is greater than the maximum precision of 53." % (position, n))
        return SqlType("real") if n <= 24 else SqlType("float", precision=53)
    raise SqlError(2715, 6, 16, "Column, parameter, or variable #%d: Cannot find data type %s."
                   % (position, name))


def _sized(key, args, column):
    limit = 4000 if key.startswith("n") else 8000
    if len(args) > 1:
        raise SqlError(102, 1, 15, "Incorrect syntax near ','.")
    length = 1 if not args else args[0]
    if length == "max":
        if key in ("char", "nchar", "binary"):
            raise SqlError(102, 1, 15, "Incorrect syntax near 'max'.")
        return SqlType(key, MAX)
    if length < 1:
        raise SqlError(1001, 1, 15, "Line 1: Length or precision 0 is invalid.")
    if length > limit:
        if limit == 4000:
            raise SqlError(2717, 2, 16, "The size (%d) given to the parameter '%s' exceeds the "
                           "maximum allowed (4000)." % (length, column))
        raise SqlError(131, 2, 15, "The size (%d) given to the column '%s' exceeds the maximum "
                       "allowed for any data type (8000)." % (length, column))
    return SqlType(key, length)


def _exact(key, args, position, column):
    if any(a == "max" for a in args) or len(args) > 2:
        raise SqlError(102, 1, 15, "Incorrect syntax near '%s'." % args[-1])
    precision = args[0] if args else 18
    scale = args[1] if len(args) > 1 else 0
    if not 1 <= precision <= 38:
        raise SqlError(2750, 1, 16, "Column or parameter #%d: Specified column precision %d is "
                       "greater than the maximum precision of 38." % (position, precision))
    if scale > precision:
        raise SqlError(183, 1, 15, "The scale (%d) for column '%s' must be within the range 0 "
                       "to %d." % (scale, column, precision))
    return SqlType(key, precision=precision, scale=scale)


def from_declared(text):
    """Reads back a type written by SqlType.declared()."""
    if "(" not in text:
        return parse_type(text, [], 1, "")
    name, rest = text.split("(", 1)
    args = [a.strip() for a in rest.rstrip(")").split(",")]
    return parse_type(name, [a if a == "max" else int(a) for a in args], 1, "")

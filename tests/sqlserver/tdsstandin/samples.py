"""Generated rows for filling large tables quickly (benchmarks), in each type's stored form."""

import uuid

from . import datetimes
from .sqltypes import MAX, TICKS_PER_DAY, int_range

_DAY_2000 = datetimes.ordinal(2000, 1, 1)


def _digits(i, count):
    return (i * 7919) % (10 ** count) if count > 0 else 0


def _text(t, i, unicode_text):
    base = ("Ряд %d — 中文 ✓" if unicode_text else "row %d café") % i
    limit = 4000 if t.length in (0, MAX) else t.length
    text = (base * (1 + 40 // len(base)))[:min(limit, 40)]
    if t.name in ("char", "nchar"):
        text = text.ljust(t.length)
    return text


def sample(t, i):
    n = t.name
    if n in ("tinyint", "smallint", "int", "bigint"):
        low, high = int_range(n)
        return low + (i * 2654435761) % (high - low + 1) if n != "tinyint" else i % 256
    if n == "bit":
        return i % 2
    if n in ("float", "real"):
        return i * 0.5 + 0.25
    if n in ("decimal", "numeric"):
        whole = _digits(i, min(t.precision - t.scale, 15))
        if t.scale:
            return "%d.%0*d" % (whole, t.scale, _digits(i + 1, min(t.scale, 15)))
        return str(whole)
    if n in ("money", "smallmoney"):
        return "%d.%04d" % (i % 100000, i % 10000)
    if n == "datetime":
        return (_DAY_2000 - datetimes.DAY_1900) * TICKS_PER_DAY + i * 300 * 37
    if n == "smalldatetime":
        return (_DAY_2000 - datetimes.DAY_1900) * 1440 + i
    if n == "date":
        return _DAY_2000 + i % 100000
    if n == "time":
        return (i * 10 ** t.scale) % (86400 * 10 ** t.scale)
    if n == "datetime2":
        return (_DAY_2000 * 86400 + i) * 10 ** t.scale
    if n == "datetimeoffset":
        return "%d 60" % ((_DAY_2000 * 86400 + i) * 10 ** t.scale)
    if n in ("char", "varchar", "text"):
        return _text(t, i, False)
    if n in ("nchar", "nvarchar", "ntext"):
        return _text(t, i, True)
    if n in ("binary", "varbinary", "image"):
        raw = i.to_bytes(8, "little")
        return raw.ljust(t.length, b"\0") if n == "binary" else raw
    if n == "uniqueidentifier":
        return str(uuid.UUID(int=i * 0x9E3779B97F4A7C15 % (1 << 128))).upper()
    raise AssertionError(n)

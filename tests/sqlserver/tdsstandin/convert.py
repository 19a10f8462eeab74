"""Implicit conversion of INSERT literals into declared column types, with SQL Server's errors."""

import decimal
import re
import struct
import uuid

from . import datetimes
from .errors import SqlError
from .sqltypes import MAX, TICKS_PER_DAY, int_range

_INTEGER_TEXT = re.compile(r"[+-]?\d*", re.A)
_NUMERIC_TEXT = re.compile(r"[+-]?(?:\d+\.?\d*|\.\d+)", re.A)
FLOAT_TEXT = re.compile(r"[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?", re.A)
_GUID_TEXT = re.compile(r"\{?([0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-"
                        r"[0-9A-Fa-f]{12})\}?")
_BLANKS = " \t\r\n"
_MONEY_LIMITS = {"money": decimal.Decimal("922337203685477.5807"),
                 "smallmoney": decimal.Decimal("214748.3647")}
_DECIMAL_CONTEXT = decimal.Context(prec=80, rounding=decimal.ROUND_HALF_UP)


class Literal:
    """A value written in a statement. kind: varchar, nvarchar, null, int, numeric, float,
    varbinary; value: str, int, decimal text, float or bytes."""

    __slots__ = ("kind", "value")

    def __init__(self, kind, value=None):
        self.kind = kind
        self.value = value

    @property
    def is_text(self):
        return self.kind in ("varchar", "nvarchar")

    def source_type(self):
        if self.kind == "int" and not -2**31 <= self.value < 2**31:
            return "numeric"
        return self.kind


NULL = Literal("null")


def to_code_page(text):
    """What a string keeps in SQL Server's code page 1252 ('?' for the rest)."""
    try:
        text.encode("cp1252")
        return text
    except UnicodeEncodeError:
        return text.encode("cp1252", "replace").decode("cp1252")


def clash(lit, t):
    return SqlError(206, 2, 16, "Operand type clash: %s is incompatible with %s"
                    % (lit.source_type(), t.declared()))


def overflow(source, target):
    return SqlError(8115, 2, 16, "Arithmetic overflow error converting %s to data type %s."
                    % (source, target))


def convert(lit, t):
    """The stored form of lit in a column of type t (None for NULL)."""
    if lit.kind == "null":
        return None
    return CONVERTERS[t.name](lit, t)


# -- numbers ------------------------------------------------------------------------------------
def _to_int(lit, t):
    low, high = int_range(t.name)
    if lit.is_text:
        s = lit.value.strip(_BLANKS)
        if not _INTEGER_TEXT.fullmatch(s):
            raise SqlError(245, 1, 16, "Conversion failed when converting the %s value '%s' to "
                           "data type %s." % (lit.kind, lit.value, t.name))
        v = int(s) if s.strip("+-") else 0
        if not low <= v <= high:
            if t.name == "bigint":
                raise overflow("expression", "bigint")
            column = {"int": "an int column.", "smallint": "an INT2 column. Use a larger integer "
                      "column.", "tinyint": "an INT1 column. Use a larger integer column."}
            raise SqlError(248, 1, 16, "The conversion of the %s value '%s' overflowed %s"
                           % (lit.kind, lit.value, column[t.name]))
        return v
    if lit.kind == "varbinary":
        size = {"tinyint": 1, "smallint": 2, "int": 4, "bigint": 8}[t.name]
        raw = lit.value[-size:].rjust(size, b"\x00")
        return int.from_bytes(raw, "big", signed=t.name != "tinyint")
    v = int(decimal.Decimal(lit.value)) if lit.kind == "numeric" else int(lit.value)
    if not low <= v <= high:
        if lit.kind == "int" and t.name in ("tinyint", "smallint"):
            raise SqlError(220, 2, 16, "Arithmetic overflow error for data type %s, value = %d."
                           % (t.name, v))
        raise overflow("expression" if lit.kind != "numeric" else "numeric", t.name)
    return v


def _to_bit(lit, t):
    if lit.is_text:
        s = lit.value.strip(_BLANKS)
        if s.lower() in ("true", "false"):
            return 1 if s.lower() == "true" else 0
        if not _INTEGER_TEXT.fullmatch(s):
            raise SqlError(245, 1, 16, "Conversion failed when converting the %s value '%s' to "
                           "data type bit." % (lit.kind, lit.value))
        return 1 if s.strip("+-") and int(s) != 0 else 0
    if lit.kind == "varbinary":
        return 1 if any(lit.value) else 0
    return 1 if decimal.Decimal(str(lit.value)) != 0 else 0


def _exact_value(lit, t, target):
    """lit as a Decimal, or raise the conversion error for target ('numeric' or 'money')."""
    if lit.is_text:
        s = lit.value.strip(_BLANKS)
        if target == "money":
            s = re.sub(r"^([+-]?)\s*[$\u20ac\u00a3\u00a5]", r"\1", s).replace(",", "")
            if s == "":
                return decimal.Decimal(0)
        if not _NUMERIC_TEXT.fullmatch(s):
            if target == "money":
                raise SqlError(235, 0, 16, "Cannot convert a char value to money. The char "
                               "value has incorrect syntax.")
            raise SqlError(8114, 5, 16, "Error converting data type %s to numeric." % lit.kind)
        return decimal.Decimal(s)
    if lit.kind == "varbinary":
        raise clash(lit, t)
    if lit.kind == "float":
        return decimal.Decimal(repr(lit.value))
    return decimal.Decimal(lit.value)


def _to_decimal(lit, t):
    value = _exact_value(lit, t, "numeric")
    q = value.quantize(decimal.Decimal(1).scaleb(-t.scale), context=_DECIMAL_CONTEXT)
    if q.copy_abs() >= decimal.Decimal(1).scaleb(t.precision - t.scale):
        source = {"varchar": "varchar", "nvarchar": "nvarchar", "int": "int",
                  "float": "float"}.get(lit.kind, "numeric")
        raise overflow(source, "numeric")
    if q == 0:
        q = q.copy_abs()
    return format(q, "f")


def _to_money(lit, t):
    value = _exact_value(lit, t, "money")
    q = value.quantize(decimal.Decimal("0.0001"), context=_DECIMAL_CONTEXT)
    limit = _MONEY_LIMITS[t.name]
    if not -limit - decimal.Decimal("0.0001") <= q <= limit:
        raise overflow("expression", t.name)
    if q == 0:
        q = q.copy_abs()
    return format(q, "f")


def _to_float(lit, t):
    if lit.is_text:
        s = lit.value.strip(_BLANKS)
        if s == "":
            v = 0.0
        elif FLOAT_TEXT.fullmatch(s):
            v = float(s)
        else:
            raise SqlError(8114, 5, 16, "Error converting data type %s to float." % lit.kind)
    elif lit.kind == "varbinary":
        raise clash(lit, t)
    else:
        v = float(lit.value)
    if v in (float("inf"), float("-inf")):
        raise overflow("expression", t.name)
    if t.name == "real":
        try:
            v = struct.unpack("<f", struct.pack("<f", v))[0]
        except OverflowError:
            raise overflow("expression", "real")
    return v


# -- dates and times ----------------------------------------------------------------------------
def _temporal_parts(lit, t):
    try:
        return datetimes.parse(lit.value)
    except datetimes.BadFormat:
        raise _bad_date()
    except datetimes.OutOfRange:
        raise _date_range(lit, t)


def _bad_date():
    return SqlError(241, 1, 16, "Conversion failed when converting date and/or time from "
                    "character string.")


def _date_range(lit, t):
    if t.name in ("datetime", "smalldatetime"):
        return SqlError(242, 3, 16, "The conversion of a %s data type to a %s data type resulted "
                        "in an out-of-range value." % (lit.kind, t.name))
    return _bad_date()


def _days(parts, lit, t, low_year):
    y, m, d = parts.date or (1900, 1, 1)
    if not low_year <= y <= 9999:
        raise _date_range(lit, t)
    try:
        return datetimes.ordinal(y, m, d)
    except datetimes.OutOfRange:
        raise _date_range(lit, t)


def _seconds(parts, lit, t):
    try:
        return datetimes.seconds_of_day(parts)
    except datetimes.OutOfRange:
        raise _date_range(lit, t)


def _fraction(parts, scale, max_digits):
    if len(parts.fraction) > max_digits:
        raise _bad_date()
    try:
        return datetimes.fraction_units(parts, scale)
    except datetimes.BadFormat:
        raise _bad_date()


def _number_days(lit, t):
    """int, numeric and float literals count days since 1900-01-01 (datetime types only)."""
    if lit.kind not in ("int", "numeric", "float") or t.name not in ("datetime", "smalldatetime"):
        raise clash(lit, t)
    return decimal.Decimal(str(lit.value))


def _to_datetime(lit, t):
    if not lit.is_text:
        ticks = int((_number_days(lit, t) * TICKS_PER_DAY).to_integral_value(
            rounding=decimal.ROUND_HALF_UP))
    else:
        parts = _temporal_parts(lit, t)
        if parts.offset is not None:
            raise _bad_date()
        days = _days(parts, lit, t, 1753) - datetimes.DAY_1900
        millis = _fraction(parts, 3, 3)
        ticks = days * TICKS_PER_DAY + _seconds(parts, lit, t) * 300 + (millis * 3 + 5) // 10
    low = (datetimes.ordinal(1753, 1, 1) - datetimes.DAY_1900) * TICKS_PER_DAY
    high = (datetimes.ordinal(9999, 12, 31) - datetimes.DAY_1900 + 1) * TICKS_PER_DAY
    if not low <= ticks < high:
        raise _date_range(lit, t)
    return ticks


def _to_smalldatetime(lit, t):
    if not lit.is_text:
        minutes = int((_number_days(lit, t) * 1440).to_integral_value(
            rounding=decimal.ROUND_HALF_UP))
    else:
        parts = _temporal_parts(lit, t)
        if parts.offset is not None:
            raise _bad_date()
        days = _days(parts, lit, t, 1900) - datetimes.DAY_1900
        seconds = _seconds(parts, lit, t)
        millis = _fraction(parts, 3, 3)
        minutes = days * 1440 + seconds // 60 + (1 if (seconds % 60) * 1000 + millis >= 29999
                                                 else 0)
    high = (datetimes.ordinal(2079, 6, 6) - datetimes.DAY_1900 + 1) * 1440
    if not 0 <= minutes < high:
        raise _date_range(lit, t)
    return minutes


def _to_date(lit, t):
    if not lit.is_text:
        raise clash(lit, t)
    parts = _temporal_parts(lit, t)
    if parts.time is not None:
        _seconds(parts, lit, t)
    return _days(parts, lit, t, 1)


def _to_time(lit, t):
    if not lit.is_text:
        raise clash(lit, t)
    parts = _temporal_parts(lit, t)
    per_second = 10 ** t.scale
    units = _seconds(parts, lit, t) * per_second + _fraction(parts, t.scale, 7)
    return units % (86400 * per_second)


def _datetime2_units(lit, t, parts):
    per_second = 10 ** t.scale
    days = _days(parts, lit, t, 1)
    units = ((days * 86400 + _seconds(parts, lit, t)) * per_second +
             _fraction(parts, t.scale, 7))
    if units >= (datetimes.ordinal(9999, 12, 31) + 1) * 86400 * per_second:
        raise _bad_date()
    return units


def _to_datetime2(lit, t):
    if not lit.is_text:
        raise clash(lit, t)
    parts = _temporal_parts(lit, t)
    if parts.offset is not None:
        raise _bad_date()
    return _datetime2_units(lit, t, parts)


def _to_datetimeoffset(lit, t):
    if not lit.is_text:
        raise clash(lit, t)
    parts = _temporal_parts(lit, t)
    offset = parts.offset or 0
    if abs(offset) > 14 * 60:
        raise _bad_date()
    local = _datetime2_units(lit, t, parts)
    return "%d %d" % (local - offset * 60 * 10 ** t.scale, offset)


# -- strings, binary, uniqueidentifier ------------------------------------------------------------
def _truncated():
    return SqlError(8152, 14, 16, "String or binary data would be truncated.", terminated=True)


def _text_of(lit, t):
    if lit.is_text:
        return lit.value
    if lit.kind == "varbinary":
        return lit.value.decode("utf-16-le", "replace") if t.is_unicode else \
            lit.value.decode("cp1252", "replace")
    if lit.kind == "float":
        return repr(lit.value)
    return str(lit.value)


def _to_string(lit, t):
    text = _text_of(lit, t)
    if t.is_ansi or lit.kind == "varchar":
        text = to_code_page(text)
    if t.length in (0, MAX):
        return text
    size = len(text.encode("utf-16-le", "surrogatepass")) // 2 if t.is_unicode else len(text)
    if size > t.length:
        # Trailing blanks are cut without complaint, as SQL Server does.
        cut = len(text) - (size - t.length)
        if text[cut:].strip(" "):
            raise _truncated()
        text = text[:cut]
        size = t.length
    if t.name in ("char", "nchar"):
        text += " " * (t.length - size)
    return text


def _to_binary(lit, t):
    if lit.is_text:
        target = "varbinary(max)" if t.length == MAX else t.name
        raise SqlError(257, 3, 16, "Implicit conversion from data type %s to %s is not allowed. "
                       "Use the CONVERT function to run this query." % (lit.kind, target))
    if lit.kind == "int":
        raw = lit.value.to_bytes(4 if -2**31 <= lit.value < 2**31 else 8, "big", signed=True)
    elif lit.kind == "varbinary":
        raw = lit.value
    else:
        raise clash(lit, t)
    if t.length not in (0, MAX) and len(raw) > t.length:
        raise _truncated()
    if t.name == "binary":
        raw = raw.ljust(t.length, b"\x00")
    return raw


def _to_guid(lit, t):
    if lit.is_text:
        m = _GUID_TEXT.fullmatch(lit.value.strip(_BLANKS))
        if not m or (lit.value.strip().startswith("{") != lit.value.strip().endswith("}")):
            raise SqlError(8169, 2, 16, "Conversion failed when converting from a character "
                           "string to uniqueidentifier.")
        return m.group(1).upper()
    if lit.kind == "varbinary" and len(lit.value) >= 16:
        return str(uuid.UUID(bytes_le=lit.value[:16])).upper()
    raise clash(lit, t)


CONVERTERS = {
    "tinyint": _to_int, "smallint": _to_int, "int": _to_int, "bigint": _to_int,
    "bit": _to_bit, "decimal": _to_decimal, "numeric": _to_decimal,
    "money": _to_money, "smallmoney": _to_money, "float": _to_float, "real": _to_float,
    "datetime": _to_datetime, "smalldatetime": _to_smalldatetime, "date": _to_date,
    "time": _to_time, "datetime2": _to_datetime2, "datetimeoffset": _to_datetimeoffset,
    "char": _to_string, "varchar": _to_string, "text": _to_string,
    "nchar": _to_string, "nvarchar": _to_string, "ntext": _to_string,
    "binary": _to_binary, "varbinary": _to_binary, "image": _to_binary,
    "uniqueidentifier": _to_guid,
}

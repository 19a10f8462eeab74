"""Fast conversion of the literal forms a transfer writes, with the general conversion as the
fallback for everything else."""

import re

from . import datetimes
from .convert import CONVERTERS, FLOAT_TEXT, Literal
from .sqltypes import MAX, TICKS_PER_DAY, int_range

_FAST_DECIMAL = re.compile(r"(-?)(\d{1,38})(?:\.(\d{1,38}))?", re.A)
_FAST_DATETIME = re.compile(r"(\d{4})-(\d\d)-(\d\d)(?:[T ](\d\d):(\d\d):(\d\d)(?:\.(\d{1,3}))?)?",
                            re.A)
_BITS = {"True": 1, "False": 0, "1": 1, "0": 0, "TRUE": 1, "FALSE": 0, "true": 1, "false": 0}


class _Slow(Exception):
    """The text is not in a fast form."""


def _fast_int(t):
    low, high = int_range(t.name)

    def conv(text):
        digits = text[1:] if text[:1] == "-" else text
        if digits.isascii() and digits.isdigit():
            v = int(text)
            if low <= v <= high:
                return v
        raise _Slow
    return conv


def _fast_exact(scale, limit_digits):
    def conv(text):
        m = _FAST_DECIMAL.fullmatch(text)
        if not m:
            raise _Slow
        sign, whole, frac = m.groups()
        frac = frac or ""
        whole = whole.lstrip("0") or "0"
        if len(frac) > scale or len(whole) > limit_digits or (whole == "0" and sign and
                                                               not frac.strip("0")):
            raise _Slow
        return sign + whole + ("." + frac.ljust(scale, "0") if scale else "")
    return conv


def _fast_float(text):
    if FLOAT_TEXT.fullmatch(text):
        v = float(text)
        if v not in (float("inf"), float("-inf")):
            return v
    raise _Slow


def _fast_datetime(with_time):
    day_1900 = datetimes.DAY_1900
    end = (datetimes.ordinal(9999, 12, 31) - day_1900 + 1) * TICKS_PER_DAY

    def conv(text):
        m = _FAST_DATETIME.fullmatch(text)
        if not m:
            raise _Slow
        y, mo, d, h, mi, sec, ms = m.groups()
        try:
            days = datetimes.ordinal(int(y), int(mo), int(d))
        except datetimes.OutOfRange:
            raise _Slow
        if not with_time:
            if h is not None:
                raise _Slow
            return days
        if int(y) < 1753 or (h is not None and (int(h) > 23 or int(mi) > 59 or int(sec) > 59)):
            raise _Slow
        seconds = int(h) * 3600 + int(mi) * 60 + int(sec) if h is not None else 0
        millis = int((ms or "0").ljust(3, "0"))
        ticks = (days - day_1900) * TICKS_PER_DAY + seconds * 300 + (millis * 3 + 5) // 10
        if ticks >= end:
            raise _Slow
        return ticks
    return conv


def _fast_bit(text):
    v = _BITS.get(text)
    if v is None:
        raise _Slow
    return v


def _fast_string(t):
    limit = 0 if t.length in (0, MAX) else t.length
    pad = t.name in ("char", "nchar")

    def conv(text):
        if not text.isascii() or (limit and len(text) > limit) or pad:
            raise _Slow
        return text
    return conv


def _fast_form(t):
    n = t.name
    if n in ("tinyint", "smallint", "int", "bigint"):
        return _fast_int(t)
    if n in ("decimal", "numeric"):
        return _fast_exact(t.scale, t.precision - t.scale)
    if n == "money":
        return _fast_exact(4, 15)
    if n in ("float",):
        return _fast_float
    if n in ("datetime", "date"):
        return _fast_datetime(n == "datetime")
    if n == "bit":
        return _fast_bit
    if n in ("char", "varchar", "text", "nchar", "nvarchar", "ntext"):
        return _fast_string(t)
    return None


def converter(t):
    """A function (kind, value) -> stored value for column type t, taking the fast form of
    varchar literals where it applies."""
    fast = _fast_form(t)
    general = CONVERTERS[t.name]

    def conv(kind, value):
        if kind == "null":
            return None
        if kind == "varchar" and fast is not None:
            try:
                return fast(value)
            except _Slow:
                pass
        return general(Literal(kind, value), t)
    return conv

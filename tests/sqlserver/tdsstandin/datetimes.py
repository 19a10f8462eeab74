"""Date and time strings as SQL Server (us_english, DATEFORMAT mdy) reads them."""

import datetime
import re

MONTHS = {name: i + 1 for i, names in enumerate(
    ["january", "february", "march", "april", "may", "june", "july", "august", "september",
     "october", "november", "december"]) for name in (names, names[:3])}
MONTHS["sept"] = 9

_DATE_FORMS = [
    re.compile(r"(?P<y>\d{4})(?P<sep>[-/.])(?P<m>\d{1,2})(?P=sep)(?P<d>\d{1,2})", re.A),
    re.compile(r"(?P<m>\d{1,2})(?P<sep>[-/.])(?P<d>\d{1,2})(?P=sep)(?P<y>\d{4}|\d{2})", re.A),
    re.compile(r"(?P<y>\d{4})(?P<m>\d{2})(?P<d>\d{2})(?!\d)", re.A),
    re.compile(r"(?P<mon>[A-Za-z]+)\s+(?P<d>\d{1,2}),?\s+(?P<y>\d{4})", re.A),
    re.compile(r"(?P<d>\d{1,2})\s+(?P<mon>[A-Za-z]+),?\s+(?P<y>\d{4})", re.A),
]
_TIME = re.compile(r"(?P<h>\d{1,2}):(?P<mi>\d{1,2})(?::(?P<s>\d{1,2})(?:(?P<fsep>[.:])"
                   r"(?P<f>\d*))?)?(?:\s*(?P<ampm>[AaPp][Mm]))?", re.A)
_OFFSET = re.compile(r"\s*(?:(?P<z>[Zz])|(?P<sign>[+-])(?P<oh>\d{1,2}):(?P<om>\d{2}))", re.A)


class BadFormat(Exception):
    """The text is not a date or time at all (SQL Server error 241)."""


class OutOfRange(Exception):
    """The text has the form of a date but a part is out of range (242 for datetime)."""


class Parts:
    def __init__(self):
        self.date = None          # (year, month, day)
        self.time = None          # (hour, minute, second)
        self.fraction = ""        # decimal digits after the point
        self.millis = None        # hh:mm:ss:mmm form
        self.offset = None        # minutes east of UTC


def parse(text):
    """Splits a date/time literal into Parts; raises BadFormat when it has no valid form."""
    s = text.strip()
    parts = Parts()
    if not s:
        return parts
    pos = _match_date(s, 0, parts)
    if pos is not None:
        if pos < len(s) and (s[pos] in "Tt" or s[pos].isspace()):
            sep = pos
            pos = _skip_space(s, pos + 1 if s[pos] in "Tt" else pos)
            after = _match_time(s, pos, parts)
            pos = after if after is not None else sep
    else:
        pos = _match_time(s, 0, parts)
        if pos is None:
            raise BadFormat(text)
        later = _skip_space(s, pos)
        if later > pos and _match_date(s, later, parts) is not None:
            pos = _match_date(s, later, parts)
    if parts.time is not None:
        m = _OFFSET.match(s, pos)
        if m:
            pos = m.end()
            if m.group("z"):
                parts.offset = 0
            else:
                minutes = int(m.group("oh")) * 60 + int(m.group("om"))
                parts.offset = -minutes if m.group("sign") == "-" else minutes
    if _skip_space(s, pos) != len(s):
        raise BadFormat(text)
    return parts


def _skip_space(s, pos):
    while pos < len(s) and s[pos].isspace():
        pos += 1
    return pos


def _match_date(s, pos, parts):
    for form in _DATE_FORMS:
        m = form.match(s, pos)
        if not m:
            continue
        groups = m.groupdict()
        if groups.get("mon") is not None:
            month = MONTHS.get(groups["mon"].lower())
            if month is None:
                continue
        else:
            month = int(groups["m"])
        year = groups["y"]
        y = int(year)
        if len(year) == 2:
            y += 2000 if y < 50 else 1900
        parts.date = (y, month, int(groups["d"]))
        return m.end()
    return None


def _match_time(s, pos, parts):
    m = _TIME.match(s, pos)
    if not m:
        return None
    h, mi = int(m.group("h")), int(m.group("mi"))
    sec = int(m.group("s") or 0)
    ampm = (m.group("ampm") or "").lower()
    if ampm:
        if h > 12:
            raise OutOfRange(s)
        h = h % 12 + (12 if ampm == "pm" else 0)
    if m.group("fsep") == ":":
        parts.millis = int(m.group("f") or 0)
    else:
        parts.fraction = m.group("f") or ""
    parts.time = (h, mi, sec)
    return m.end()


def ordinal(year, month, day):
    """Days since 0001-01-01; raises OutOfRange for an invalid calendar date."""
    try:
        return datetime.date(year, month, day).toordinal() - 1
    except ValueError:
        raise OutOfRange("%d-%d-%d" % (year, month, day))


def seconds_of_day(parts):
    h, mi, sec = parts.time or (0, 0, 0)
    if h > 23 or mi > 59 or sec > 59:
        raise OutOfRange("%d:%d:%d" % (h, mi, sec))
    return h * 3600 + mi * 60 + sec


def fraction_units(parts, scale):
    """The fraction in units of 10^-scale s, rounded half up (may equal one whole second)."""
    if parts.millis is not None:
        if parts.millis > 999:
            raise BadFormat(str(parts.millis))
        digits = "%03d" % parts.millis
    else:
        digits = parts.fraction
    if len(digits) > 7:
        raise BadFormat(digits)
    digits = (digits + "0" * 8)[:8]
    value = int(digits)  # units of 10^-8 s
    step = 10 ** (8 - scale)
    return (value + step // 2) // step


DAY_1900 = ordinal(1900, 1, 1)

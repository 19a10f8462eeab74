"""Implicit conversions of INSERT literals into column types, and SQL Server's errors."""

import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tdsstandin import datetimes  # noqa: E402
from tdsstandin.convert import NULL, Literal, convert  # noqa: E402
from tdsstandin.fastforms import converter  # noqa: E402
from tdsstandin.errors import SqlError  # noqa: E402
from tdsstandin.sqltypes import TICKS_PER_DAY, from_declared  # noqa: E402


def s(text):
    return Literal("varchar", text)


def n(text):
    return Literal("nvarchar", text)


def ticks(y, mo, d, h=0, mi=0, sec=0, t300=0):
    days = datetimes.ordinal(y, mo, d) - datetimes.DAY_1900
    return days * TICKS_PER_DAY + (h * 3600 + mi * 60 + sec) * 300 + t300


class E(int):
    """An expected SQL Server error number."""


def real(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


# (declared type, literal, stored value or error number)
CASES = [
    ("int", s(" 12 "), 12), ("int", s("+5"), 5), ("int", s(""), 0), ("int", s("-0"), 0),
    ("int", s("1.5"), E(245)), ("int", s("1e3"), E(245)), ("int", s("1,5"), E(245)),
    ("int", n("abc"), E(245)), ("int", s("3000000000"), E(248)), ("int", Literal("int", 7), 7),
    ("int", Literal("numeric", "-1.9"), -1), ("int", Literal("numeric", "3000000000.5"), E(8115)),
    ("tinyint", s("255"), 255), ("tinyint", s("-1"), E(248)), ("tinyint", Literal("int", 300), E(220)),
    ("smallint", s("-32768"), -32768), ("smallint", s("32768"), E(248)),
    ("bigint", s("-9223372036854775808"), -2**63), ("bigint", s("9223372036854775808"), E(8115)),
    ("bit", s("TRUE"), 1), ("bit", s("false"), 0), ("bit", s(" 2 "), 1), ("bit", s("0"), 0),
    ("bit", s("abc"), E(245)), ("bit", Literal("int", -3), 1),
    ("decimal(18,0)", s("12.5"), "13"), ("decimal(18,0)", s("-12.5"), "-13"),
    ("decimal(5,2)", s("123.456"), "123.46"), ("decimal(5,2)", s("-0.001"), "0.00"),
    ("decimal(5,2)", s("1234.5"), E(8115)), ("decimal(5,2)", s("999.995"), E(8115)),
    ("decimal(18,4)", s("abc"), E(8114)), ("decimal(18,4)", s(""), E(8114)),
    ("numeric(10,0)", s("1e5"), E(8114)), ("decimal(38,0)", s("9" * 38), "9" * 38),
    ("decimal(18,2)", Literal("float", 0.125), "0.13"),
    ("money", s("$1,234.56789"), "1234.5679"), ("money", s("-0.00005"), "-0.0001"),
    ("money", s("abc"), E(235)), ("smallmoney", s("214748.3648"), E(8115)),
    ("money", s("922337203685477.5807"), "922337203685477.5807"),
    ("float", s("1.5e3"), 1500.0), ("float", s(" -0.25 "), -0.25), ("float", s(""), 0.0),
    ("float", s("abc"), E(8114)), ("float", s("1e400"), E(8115)), ("float", s("inf"), E(8114)),
    ("real", s("0.1"), real(0.1)), ("real", s("1e39"), E(8115)),
    ("datetime", s("2024-02-29 13:45:30.5"), ticks(2024, 2, 29, 13, 45, 30, 150)),
    ("datetime", s("20240229"), ticks(2024, 2, 29)),
    ("datetime", s("02/29/2024 1:05 PM"), ticks(2024, 2, 29, 13, 5)),
    ("datetime", s("2024-01-02T03:04:05.001"), ticks(2024, 1, 2, 3, 4, 5, 0)),
    ("datetime", s("2024-01-02T03:04:05.002"), ticks(2024, 1, 2, 3, 4, 5, 1)),
    ("datetime", s("2024-01-02T03:04:05.005"), ticks(2024, 1, 2, 3, 4, 5, 2)),
    ("datetime", s("2024-01-02 23:59:59.999"), ticks(2024, 1, 3)),
    ("datetime", s(""), 0), ("datetime", s("Jan 5 2020"), ticks(2020, 1, 5)),
    ("datetime", s("1752-12-31"), E(242)), ("datetime", s("2023-02-29"), E(242)),
    ("datetime", s("2023-18-01"), E(242)), ("datetime", s("25/12/2009"), E(242)),
    ("datetime", s("9999-12-31 23:59:59.999"), E(242)), ("datetime", s("yesterday"), E(241)),
    ("datetime", s("2024-01-01 12:00:00.1234"), E(241)), ("datetime", Literal("int", 1), ticks(1900, 1, 2)),
    ("smalldatetime", s("2024-01-01 10:00:29.998"), (datetimes.ordinal(2024, 1, 1) - datetimes.DAY_1900) * 1440 + 600),
    ("smalldatetime", s("2024-01-01 10:00:29.999"), (datetimes.ordinal(2024, 1, 1) - datetimes.DAY_1900) * 1440 + 601),
    ("smalldatetime", s("2079-06-07"), E(242)),
    ("date", s("0001-01-01"), 0), ("date", s("2020-02-30"), E(241)), ("date", Literal("int", 1), E(206)),
    ("date", s("2024-03-01 10:00"), datetimes.ordinal(2024, 3, 1)),
    ("time", s("13:45:30.1234567"), (13 * 3600 + 45 * 60 + 30) * 10**7 + 1234567),
    ("time(0)", s("13:45:30.5"), 13 * 3600 + 45 * 60 + 31), ("time", s("25:00"), E(241)),
    ("datetime2(3)", s("2024-12-31 23:59:59.9996"), (datetimes.ordinal(2025, 1, 1) * 86400) * 1000),
    ("datetimeoffset(0)", s("2024-01-01 02:00:00 +02:00"),
     "%d 120" % (datetimes.ordinal(2024, 1, 1) * 86400)),
    ("varchar(3)", s("abcd"), E(8152)), ("varchar(3)", s("abc   "), "abc"),
    ("varchar(10)", n("Привет"), "??????"), ("char(5)", s("ab"), "ab   "),
    ("varchar(10)", s("café €"), "café €"), ("varchar(max)", s("x" * 9000), "x" * 9000),
    ("nvarchar(3)", n("😀😀"), E(8152)), ("nvarchar(4)", n("😀😀"), "😀😀"),
    ("nvarchar(10)", s("Привет"), "??????"), ("nvarchar(10)", n("Привет"), "Привет"),
    ("ntext", n("中文 " * 30000), "中文 " * 30000), ("nchar(3)", n("a"), "a  "),
    ("varchar(5)", Literal("int", 12), "12"), ("varchar(5)", Literal("numeric", "1.50"), "1.50"),
    ("varbinary(2)", Literal("varbinary", b"\x01\x02\x03"), E(8152)),
    ("varbinary(max)", s("abc"), E(257)), ("image", n("abc"), E(257)),
    ("binary(4)", Literal("varbinary", b"\x01"), b"\x01\x00\x00\x00"),
    ("varbinary(max)", Literal("varbinary", b""), b""),
    ("uniqueidentifier", s("6f9619ff-8b86-d011-b42d-00c04fc964ff"),
     "6F9619FF-8B86-D011-B42D-00C04FC964FF"),
    ("uniqueidentifier", s("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
     "6F9619FF-8B86-D011-B42D-00C04FC964FF"),
    ("uniqueidentifier", s("6F9619FF-8B86-D011-B42D-00C04FC964F"), E(8169)),
]


class ConversionTest(unittest.TestCase):
    def test_literals_into_columns(self):
        for declared, lit, expected in CASES:
            with self.subTest(type=declared, literal=lit.value):
                t = from_declared(declared)
                if isinstance(expected, int) and not isinstance(expected, bool) and \
                        expected in (206, 220, 235, 241, 242, 245, 248, 257, 8114, 8115, 8152,
                                     8169) and not t.name.endswith("int") or \
                        (t.name.endswith("int") and expected in (220, 245, 248, E(8115)) and
                         lit.kind != "int" or expected == 220):
                    with self.assertRaises(SqlError) as caught:
                        convert(lit, t)
                    self.assertEqual(caught.exception.number, expected)
                else:
                    self.assertEqual(convert(lit, t), expected)

    def test_fast_forms_agree_with_the_general_conversion(self):
        texts = ["0", "12", "-5", "007", "-0", "+3", "2147483647", "2147483648", "-2147483648",
                 "255", "256", "-1", "1.5", "-1.50", "0.00005", "-0.0", "-0.00001", "12.34567",
                 "99999999999999.9999", "999999999999999.99995", "1e5", "", " 1", "True",
                 "False", "TRUE", "yes", "2024-02-29T13:45:30", "2024-02-29 13:45:30.5",
                 "2024-02-29T13:45:30.999", "2024-02-30", "1752-12-31T00:00:00", "1753-01-01",
                 "9999-12-31T23:59:59.997", "9999-12-31T23:59:59.999", "2024-01-01T24:00:00",
                 "café", "plain", "x" * 70, "\u0661\u0662", "\u00b2"]
        types = ["int", "tinyint", "smallint", "bigint", "bit", "decimal(18,4)",
                 "decimal(5,2)", "decimal(38,0)", "numeric(10,0)", "money", "float",
                 "datetime", "date", "varchar(60)", "varchar(3)", "nvarchar(40)", "char(3)",
                 "text", "ntext"]

        def outcome(f):
            try:
                return f()
            except SqlError as err:
                return ("error", err.number)
        for declared in types:
            t = from_declared(declared)
            fast = converter(t)
            for text in texts:
                with self.subTest(type=declared, text=text):
                    self.assertEqual(outcome(lambda: fast("varchar", text)),
                                     outcome(lambda: convert(Literal("varchar", text), t)))

    def test_null_goes_into_every_type(self):
        for declared in ("int", "text", "varbinary(max)", "datetime", "decimal(5,2)"):
            self.assertIsNone(convert(NULL, from_declared(declared)))

    def test_error_texts_name_the_literal_and_types(self):
        texts = {}
        for declared, lit in (("int", s("1.5")), ("bit", n("x")), ("decimal(5,0)", s("a")),
                              ("datetime", s("1700-01-01")), ("varbinary(max)", s("a"))):
            try:
                convert(lit, from_declared(declared))
            except SqlError as err:
                texts[declared] = err.text
        self.assertEqual(texts["int"], "Conversion failed when converting the varchar value "
                         "'1.5' to data type int.")
        self.assertEqual(texts["bit"], "Conversion failed when converting the nvarchar value "
                         "'x' to data type bit.")
        self.assertEqual(texts["decimal(5,0)"], "Error converting data type varchar to numeric.")
        self.assertEqual(texts["datetime"], "The conversion of a varchar data type to a datetime "
                         "data type resulted in an out-of-range value.")
        self.assertEqual(texts["varbinary(max)"], "Implicit conversion from data type varchar "
                         "to varbinary(max) is not allowed. Use the CONVERT function to run this "
                         "query.")


if __name__ == "__main__":
    unittest.main()

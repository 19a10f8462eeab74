"""Statements and the catalogue: SQL Server's replies, error numbers and texts, without a socket."""

import argparse
import os
import random
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tdsstandin import procs, tokens  # noqa: E402
from tdsstandin.catalogue import Database  # noqa: E402
from tdsstandin.engine import Engine, _fast_insert  # noqa: E402
from tdsstandin.errors import SqlError  # noqa: E402
from tdsstandin.faults import Failure, Faults  # noqa: E402
from tdsstandin.parser import Parser, parse_batch  # noqa: E402
from tdsstandin.prepared import PreparedStatements  # noqa: E402
from tdsstandin.server import Server  # noqa: E402


class Capture:
    def __init__(self):
        self.data = bytearray()

    def write(self, data):
        self.data += data

    def end_message(self):
        pass

    def attention_arrived(self, timeout=0.0):
        return False


def make_server():
    return Server(argparse.Namespace(database="shop", file=None))


class FakeSession:
    spid = 51

    def __init__(self):
        self.prepared = PreparedStatements()


def decode(reply):
    """The tokens of a reply without result sets: (kind, number or status, text or count)."""
    out, pos = [], 0
    while pos < len(reply):
        token = reply[pos]
        if token in (tokens.ERROR, tokens.INFO):
            length, number = struct.unpack_from("<Hi", reply, pos + 1)
            chars = struct.unpack_from("<H", reply, pos + 9)[0]
            text = reply[pos + 11:pos + 11 + chars * 2].decode("utf-16-le")
            out.append(("ERROR" if token == tokens.ERROR else "INFO", number, text))
            pos += 3 + length
        elif token in (tokens.DONE, tokens.DONEPROC, tokens.DONEINPROC):
            status, _cmd, count = struct.unpack_from("<HHQ", reply, pos + 1)
            out.append(({tokens.DONE: "DONE", tokens.DONEPROC: "DONEPROC",
                         tokens.DONEINPROC: "DONEINPROC"}[token], status, count))
            pos += 13
        elif token == tokens.RETURNSTATUS:
            out.append(("RETURNSTATUS", struct.unpack_from("<i", reply, pos + 1)[0], None))
            pos += 5
        elif token == tokens.ENVCHANGE:
            pos += 3 + struct.unpack_from("<H", reply, pos + 1)[0]
        else:
            raise AssertionError("unexpected token 0x%02X" % token)
    return out


class StandinCase(unittest.TestCase):
    def setUp(self):
        self.server = make_server()
        self.db = self.server.db

    def run_batch(self, sql):
        channel = Capture()
        Engine(self.server, channel, FakeSession()).run_batch(sql)
        return decode(bytes(channel.data))

    def error_of(self, sql):
        replies = self.run_batch(sql)
        errors = [r for r in replies if r[0] == "ERROR"]
        self.assertEqual(replies[-1][0:2], ("DONE", tokens.DONE_ERROR), sql)
        return errors[0][1], errors[0][2]

    def rows(self, sql):
        stmt = Parser(sql).select()
        source = Engine(self.server, Capture(), FakeSession()).plan(stmt)
        return [row for chunk in source.chunks(list(range(len(source.columns))))
                for row in chunk]


class ErrorsTest(StandinCase):
    def test_failures_carry_sql_server_numbers_and_texts(self):
        self.run_batch("CREATE TABLE [t]([a] INT NOT NULL, [b] NVARCHAR(5))")
        cases = [
            ("CREATE TABLE [t]([x] INT)", 2714,
             "There is already an object named 't' in the database."),
            ("CREATE TABLE [u]([a] TEXT, [b] INT, [c] BLOB)", 2715,
             "Column, parameter, or variable #3: Cannot find data type BLOB."),
            ("CREATE TABLE [u]([a] INT, [A] TEXT)", 2705, "Column names in each table must be "
             "unique. Column name 'A' in table 'u' specified more than once."),
            ("CREATE TABLE [u]([a] INT(4))", 2716, "Column, parameter, or variable #1: Cannot "
             "specify a column width on data type int."),
            ("CREATE TABLE [u]([a] VARCHAR(9000))", 131, "The size (9000) given to the column "
             "'a' exceeds the maximum allowed for any data type (8000)."),
            ("DROP TABLE [gone];", 3701, "Cannot drop the table 'gone', because it does not "
             "exist or you do not have permission."),
            ("INSERT INTO [gone] VALUES('1')", 208, "Invalid object name 'gone'."),
            ("SELECT * FROM [dbo].[gone]", 208, "Invalid object name 'dbo.gone'."),
            ("INSERT INTO [t] VALUES('1')", 213, "Column name or number of supplied values does "
             "not match table definition."),
            ("INSERT INTO [t] VALUES(NULL, 'x')", 515, "Cannot insert the value NULL into "
             "column 'a', table 'shop.dbo.t'; column does not allow nulls. INSERT fails."),
            ("INSERT INTO [t] VALUES('1', N'toolong')", 8152,
             "String or binary data would be truncated."),
            ("INSERT INTO [t]([c]) VALUES('1')", 207, "Invalid column name 'c'."),
            ("sp_rename 'gone', 'new'", 15225, "No item by the name of 'gone' could be found in "
             "the current database 'shop', given that @itemtype was input as '(null)'."),
            ("SELECT * FROM [t] WHERE", 102, "Incorrect syntax near 'WHERE'."),
            ("INSERT INTO [t] VALUES('it''s)", 105,
             "Unclosed quotation mark after the character string 'it''s)'."),
            ("EXEC sp_nothing", 2812, "Could not find stored procedure 'sp_nothing'."),
            ("CREATE TABLE [sales].[x]([a] INT)", 2760, 'The specified schema name "sales" either '
             'does not exist or you do not have permission to use it.'),
        ]
        for sql, number, text in cases:
            with self.subTest(sql=sql):
                self.assertEqual(self.error_of(sql), (number, text))

    def test_a_multi_row_insert_succeeds_or_fails_as_a_whole(self):
        self.run_batch("CREATE TABLE [t]([a] INT, [b] NVARCHAR(3), [c] VARBINARY(4))")
        self.assertEqual(self.run_batch("INSERT INTO [t] VALUES('1', N'x', 0x0A), (NULL, 'y', NULL)"),
                         [("DONE", tokens.DONE_COUNT, 2)])
        self.assertEqual(self.error_of("INSERT INTO [t] VALUES('2', N'ok', NULL), ('3', N'long', "
                                       "NULL)")[0], 8152)
        too_many = "INSERT INTO [t] VALUES" + ", ".join(["('4', NULL, NULL)"] * 1001)
        self.assertEqual(self.error_of(too_many), (10738, "The number of row value expressions in "
                                                   "the INSERT statement exceeds the maximum "
                                                   "allowed number of 1000 row values."))
        self.run_batch("INSERT INTO [t] VALUES" + ", ".join(["('5', NULL, NULL)"] * 1000))
        self.assertEqual(self.rows("SELECT * FROM [t]")[:2], [(1, "x", b"\n"), (None, "y", None)])
        self.assertEqual(self.rows("SELECT COUNT(*) FROM [t]"), [(1002,)])

    def test_rename_onto_a_taken_name_is_refused(self):
        self.run_batch("CREATE TABLE [a]([x] INT); CREATE TABLE [b]([x] INT)")
        self.assertEqual(self.error_of("sp_rename 'a', 'B'")[0], 15335)
        self.assertEqual(self.rows("SELECT COUNT(*) FROM [a]"), [(0,)])

    def test_an_error_ends_the_batch(self):
        replies = self.run_batch("CREATE TABLE [t]([a] INT); INSERT INTO [t] VALUES('x'); "
                                 "INSERT INTO [t] VALUES('2')")
        self.assertEqual([r[0] for r in replies], ["DONE", "ERROR", "DONE"])
        self.assertEqual(self.rows("SELECT * FROM [t]"), [])


class RepliesTest(StandinCase):
    def test_every_done_but_the_last_says_more(self):
        replies = self.run_batch("CREATE TABLE [t]([a] INT)\nINSERT INTO [t] VALUES('1')\n"
                                 "INSERT INTO [t] VALUES('2'), ('3')\nDROP TABLE [t];")
        self.assertEqual(replies, [
            ("DONE", tokens.DONE_MORE, 0),
            ("DONE", tokens.DONE_MORE | tokens.DONE_COUNT, 1),
            ("DONE", tokens.DONE_MORE | tokens.DONE_COUNT, 2),
            ("DONE", tokens.DONE_FINAL, 0)])

    def test_rename_warns_like_sql_server(self):
        self.run_batch("CREATE TABLE [Orders]([a] INT)")
        replies = self.run_batch("sp_rename 'Orders', 'Sales'")
        self.assertEqual(replies, [
            ("INFO", 15477, "Caution: Changing any part of an object name could break scripts "
             "and stored procedures."),
            ("DONEINPROC", tokens.DONE_MORE, 0), ("RETURNSTATUS", 0, None),
            ("DONEPROC", tokens.DONE_FINAL, 0)])
        self.assertIsNone(self.db.resolve(Parser("Orders").name()))
        self.assertEqual(self.db.resolve(Parser("SALES").name()).name, "Sales")

    def test_bracketed_names_keep_their_brackets(self):
        self.run_batch("CREATE TABLE [a]]b]([c]]d] INT)")
        self.run_batch("INSERT INTO [a]]b] VALUES('7')")
        self.assertEqual(self.rows("SELECT [c]]d] FROM [a]]b]"), [(7,)])
        self.run_batch("sp_rename '[a]]b]', 'x]y'")
        self.assertEqual(self.rows("SELECT * FROM [x]]y]"), [(7,)])
        self.assertEqual(self.run_batch("DROP TABLE [x]]y];")[-1], ("DONE", 0, 0))

    def test_top_and_views_select_the_rows_in_order(self):
        self.run_batch("CREATE TABLE [t]([a] INT, [b] NVARCHAR(10))")
        self.run_batch("INSERT INTO [t] VALUES('1', N'x'), ('2', NULL), ('3', N'z')")
        self.run_batch("CREATE VIEW [v] AS SELECT [b], [a] FROM [t]")
        self.assertEqual(self.rows("SELECT top 1 * FROM [t]"), [(1, "x")])
        self.assertEqual(self.rows("SELECT * FROM [v]"), [("x", 1), (None, 2), ("z", 3)])
        self.assertEqual(self.rows("SELECT TOP (2) [a] FROM [v]"), [(1,), (2,)])
        self.assertEqual(self.error_of("DROP TABLE [v]")[0], 3705)


class CatalogueTest(StandinCase):
    def tables(self, **args):
        a = dict.fromkeys(["@table_name", "@table_owner", "@table_qualifier", "@table_type",
                           "@fusepattern"])
        a.update(args)
        return [(r[1], r[2], r[3]) for r in procs.sp_tables_rows(self.db, a)]

    def test_tables_views_and_system_tables_are_listed_apart(self):
        self.run_batch("CREATE SCHEMA [sales]")
        self.run_batch("CREATE TABLE [sales].[Orders]([a] INT); CREATE TABLE [Customer]([a] INT)")
        self.run_batch("CREATE VIEW [Recent] AS SELECT * FROM [sales].[Orders]")
        listed = self.tables()
        self.assertIn(("sys", "trace_xe_action_map", "SYSTEM TABLE"), listed)
        self.assertIn(("dbo", "Recent", "VIEW"), listed)
        self.assertEqual([r for r in listed if r[2] == "TABLE"],
                         [("dbo", "Customer", "TABLE"), ("sales", "Orders", "TABLE")])
        self.assertEqual(listed, sorted(listed, key=lambda r: (r[2], r[0].lower(), r[1].lower())))
        self.assertEqual(self.tables(**{"@table_type": "'TABLE'"}),
                         [("dbo", "Customer", "TABLE"), ("sales", "Orders", "TABLE")])
        self.assertEqual(self.tables(**{"@table_name": "ord%"}), [("sales", "Orders", "TABLE")])
        self.assertEqual(self.tables(**{"@table_type": "'VIEW'", "@table_owner": "dbo"}),
                         [("dbo", "Recent", "VIEW")])

    def test_reset_leaves_an_empty_database_with_its_system_tables(self):
        self.run_batch("CREATE SCHEMA [s]; CREATE TABLE [s].[t]([a] INT); CREATE TABLE [u]([a] "
                       "INT)")
        self.run_batch("EXEC standin_control 'system_table sys.extra'")
        self.run_batch("EXEC standin_control 'reset'")
        listed = self.tables()
        self.assertEqual([r for r in listed if r[2] != "VIEW"],
                         [("sys", "trace_xe_action_map", "SYSTEM TABLE"),
                          ("sys", "trace_xe_event_map", "SYSTEM TABLE")])
        self.assertEqual(self.error_of("CREATE TABLE [s].[t]([a] INT)")[0], 2760)

    def test_declared_types_survive_a_restart_from_the_file(self):
        path = os.path.join(os.environ.get("TMPDIR", "/tmp"), "standin-test-%d.sqlite"
                            % os.getpid())
        try:
            first = Database("shop", path)
            self.server.db = first
            self.run_batch("CREATE TABLE [t]([a] DECIMAL(9,3) NOT NULL, [b] NVARCHAR(MAX), "
                           "[c] INT IDENTITY(5, 2), CONSTRAINT [k] PRIMARY KEY ([a]))")
            self.run_batch("INSERT INTO [t] VALUES('1.5', N'\u0416')")
            first.conn.close()
            self.server.db = self.db = Database("shop", path)
            obj = self.db.resolve(Parser("t").name())
            self.assertEqual([(c.type.declared(), c.nullable) for c in obj.columns],
                             [("decimal(9,3)", False), ("nvarchar(max)", True), ("int", False)])
            self.assertEqual(self.error_of("INSERT INTO [t] VALUES('1.50', NULL)")[0], 2627)
            self.run_batch("INSERT INTO [t] VALUES('2', NULL)")
            self.assertEqual(self.rows("SELECT * FROM [t]"), [("1.500", "\u0416", 5),
                                                               ("2.000", None, 7)])
        finally:
            os.remove(path)


class SessionsTest(StandinCase):
    def test_application_locks_belong_to_their_session_until_it_ends(self):
        one, two = FakeSession(), FakeSession()
        two.spid = 52

        def batch(session, sql):
            channel = Capture()
            Engine(self.server, channel, session).run_batch(sql)
            return decode(bytes(channel.data))

        def test(session):
            stmt = Parser("SELECT APPLOCK_TEST('public', N'run-1', 'Exclusive', 'Session')").select()
            source = Engine(self.server, Capture(), session).plan(stmt)
            return [row for chunk in source.chunks([0]) for row in chunk][0][0]

        take = ("EXEC sp_getapplock @Resource = N'run-1', @LockMode = 'Exclusive', "
                "@LockOwner = 'Session', @LockTimeout = 0")
        self.assertEqual(test(two), 1)
        self.assertIn(("RETURNSTATUS", 0, None), batch(one, take))
        self.assertEqual((test(one), test(two)), (1, 0))
        self.assertIn(("RETURNSTATUS", -1, None), batch(two, take))
        self.server.session_ended(one)
        self.assertEqual(test(two), 1)
        self.assertIn(("RETURNSTATUS", 0, None), batch(two, take))
        batch(two, "EXEC sp_releaseapplock @Resource = N'run-1', @LockOwner = 'Session'")
        self.assertEqual(test(one), 1)

    def test_text_joined_with_nchar_keeps_control_characters(self):
        self.run_batch("CREATE TABLE [t]([a] NVARCHAR(10), [b] VARCHAR(10))")
        self.run_batch("INSERT INTO [t] VALUES(N'a' + NCHAR(0) + N'b' + NCHAR(1), "
                       "'x' + CHAR(9) + CHAR(0))")
        self.assertEqual(self.rows("SELECT * FROM [t]"), [("a\x00b\x01", "x\t\x00")])


class FaultsTest(unittest.TestCase):
    def test_drop_after_counts_statements_then_fires_once(self):
        f = Faults()
        f.drop_after = 2
        self.assertEqual([f.plan("x").drop for _ in range(4)], [False, False, True, False])

    def test_failures_match_a_pattern_a_given_number_of_times(self):
        f = Faults()
        f.add_failure(Failure(r"INSERT INTO \[T\]", 8152, "String or binary data would be "
                              "truncated.", times=2))
        plans = [f.plan(sql) for sql in ("SELECT * FROM [T]", "insert into [t] values(1)",
                                         "INSERT INTO [T] VALUES(2)", "INSERT INTO [T] VALUES(3)")]
        self.assertEqual([p.error.number if p.error else None for p in plans],
                         [None, 8152, 8152, None])

    def test_delay_applies_to_matching_statements(self):
        f = Faults()
        f.set_delay(500, "^SELECT")
        self.assertEqual([f.plan(s).delay for s in ("SELECT 1", "INSERT")], [500, 0])


def _spaces(rnd):
    return rnd.choice(["", "", " ", " ", "  ", "\t", "\r\n", "\u3000"])


def _case(rnd, word):
    return "".join(c.lower() if rnd.random() < 0.3 else c for c in word)


def _insert(rnd):
    """A generated INSERT and whether it is in the form a transfer sends (the fast path's)."""
    sent_form = True
    kind = rnd.randrange(6)
    if kind == 0:
        name = "[" + rnd.choice(["Products", "a]]b", "Order Details", "", "x" * 127 + "]]",
                                 "y" * 129, "[q", "VALUES"]) + "]"
        sent_form = len(name[1:-1].replace("]]", "]")) <= 128
    elif kind == 1:
        name = rnd.choice(["Products", "_t1", "T#@$", "NULL", "VALUES", "P" + "VALUES"])
    elif kind == 2:
        name = rnd.choice(["dbo.Products", "[dbo].[T]", '"Quoted"', "\u00dcml", "#tmp", "1st"])
        sent_form = False
    else:
        name = "[T%d]" % rnd.randrange(3)
    rows = []
    for _ in range(rnd.choice([1, 1, 2, 3, 5])):
        values = []
        for _ in range(rnd.randint(1, 4)):
            form = rnd.randrange(12)
            if form < 4:
                text = "".join(rnd.choice("ab ',()N\u00e9\u0416\n0x-;") for _ in range(
                    rnd.randrange(6))).replace("'", "''")
                values.append(rnd.choice(["", "N", "n"]) + "'" + text + "'")
            elif form == 4:
                values.append(_case(rnd, "NULL"))
            elif form < 7:
                values.append(rnd.choice(["", "-"]) + str(rnd.choice([0, 7, 42, 2**31, 10**40]))
                              .zfill(rnd.randint(1, 3)))
            elif form < 9:
                values.append(rnd.choice(["0x", "0X"]) + "".join(
                    rnd.choice("0123456789abcdefABCDEF") for _ in range(rnd.randrange(5))))
            else:
                values.append(rnd.choice(["1.5", "- 5", "+5", "1e3", ".5", "@p", "0x1G", "1a",
                                          "--5", "NULLL", "x", "DEFAULT"]))
                sent_form = False
        rows.append("(" + ",".join(_spaces(rnd) + v + _spaces(rnd) for v in values) + ")")
    gap = _spaces(rnd) if name.endswith("]") else rnd.choice([" ", "\n"])
    head = [_case(rnd, "INSERT"), " ", _case(rnd, "INTO"), " ", name, gap,
            _case(rnd, "VALUES"), _spaces(rnd)]
    tail = rnd.choice(["", "", ";", " ; ", "\n"])
    twist = rnd.randrange(10)
    if twist == 0:
        head[1:4] = [" "]                                   # no INTO
    elif twist == 1:                                        # a column list
        head[4] += _spaces(rnd) + "(" + ",".join(_spaces(rnd) + rnd.choice(
            ["a", "[b]", "[c]]d]", "[x(y)]", "NULL", "[" + "z" * 129 + "]", "1a", "[a].[b]"]) +
            _spaces(rnd) for _ in range(rnd.randint(1, 3))) + ")"
        sent_form = sent_form and not any(n in head[4] for n in ("zzz", "1a", "].["))
    elif twist == 2:
        tail += rnd.choice([",", "; SELECT 1", " -- done", ",(1", "/**/"])
    elif twist == 3:
        head[5] = ""                                        # the name against VALUES
        sent_form = sent_form and name.endswith("]")
    if twist in (0, 2):
        sent_form = False
    return "".join(head) + (_spaces(rnd) + "," + _spaces(rnd)).join(rows) + tail, sent_form


def _parsed(sql):
    try:
        statements = parse_batch(sql)
    except SqlError as err:
        return "error %d" % err.number
    if len(statements) != 1 or statements[0].kind != "insert":
        return [s.kind for s in statements]
    stmt = statements[0]
    return (stmt.name.parts, stmt.columns,
            [[(v.kind, v.value) for v in row] for row in stmt.rows])


class KeysTest(StandinCase):
    def test_keys_identity_and_not_null_behave_as_sql_server(self):
        self.run_batch("CREATE TABLE [Parts]([id] INT IDENTITY(10, 5) PRIMARY KEY, [code] "
                       "NVARCHAR(20) NOT NULL CONSTRAINT [UQ_code] UNIQUE, [note] NVARCHAR(MAX))")
        self.run_batch("CREATE TABLE [Lines]([o] INT, [n] SMALLINT, [qty] MONEY, "
                       "CONSTRAINT [PK_Lines] PRIMARY KEY ([n], [o]))")
        self.assertEqual(self.run_batch("INSERT INTO [Parts] VALUES(N'a', NULL), ('b', 'x')"),
                         [("DONE", tokens.DONE_COUNT, 2)])
        self.assertEqual(self.rows("SELECT IDENT_CURRENT('Parts')"), [("15",)])
        pk = self.rows("SELECT * FROM INFORMATION_SCHEMA.TABLE_CONSTRAINTS")
        generated = [r[2] for r in pk if r[5] == "Parts" and r[6] == "PRIMARY KEY"][0]
        self.assertRegex(generated, r"^PK__Parts__[0-9A-F]{16}$")
        cases = [
            ("INSERT INTO [Parts] VALUES(N'A ', NULL)", 2627, "Violation of UNIQUE KEY "
             "constraint 'UQ_code'. Cannot insert duplicate key in object 'dbo.Parts'. The "
             "duplicate key value is (A )."),
            ("INSERT INTO [Lines] VALUES(1, 2, 3), ('1', '2', '4')", 2627, "Violation of "
             "PRIMARY KEY constraint 'PK_Lines'. Cannot insert duplicate key in object "
             "'dbo.Lines'. The duplicate key value is (2, 1)."),
            ("INSERT INTO [Lines] VALUES(1, NULL, 3)", 515, "Cannot insert the value NULL into "
             "column 'n', table 'shop.dbo.Lines'; column does not allow nulls. INSERT fails."),
            ("INSERT INTO [Parts]([id], [code]) VALUES(1, 'c')", 544, "Cannot insert explicit "
             "value for identity column in table 'Parts' when IDENTITY_INSERT is set to OFF."),
            ("INSERT INTO [Parts] VALUES(1, 'c', NULL)", 8101, "An explicit value for the "
             "identity column in table 'Parts' can only be specified when a column list is used "
             "and IDENTITY_INSERT is ON."),
            ("SET IDENTITY_INSERT [Lines] ON", 8106, "Table 'Lines' does not have the identity "
             "property. Cannot perform SET operation."),
            ("CREATE TABLE [x]([a] INT PRIMARY KEY, [b] INT PRIMARY KEY)", 8110, "Cannot add "
             "multiple PRIMARY KEY constraints to table 'x'."),
            ("CREATE TABLE [x]([a] INT NULL PRIMARY KEY)", 8111, "Cannot define PRIMARY KEY "
             "constraint on nullable column in table 'x'."),
            ("CREATE TABLE [x]([a] FLOAT IDENTITY)", 2749, "Identity column 'a' must be of data "
             "type int, bigint, smallint, tinyint, or decimal or numeric with a scale of 0, and "
             "constrained to be nonnullable."),
            ("CREATE TABLE [x]([a] INT, CONSTRAINT [PK_Lines] PRIMARY KEY ([a]))", 2714,
             "There is already an object named 'PK_Lines' in the database."),
        ]
        for sql, number, text in cases:
            with self.subTest(sql=sql):
                self.assertEqual(self.error_of(sql), (number, text))
        # Explicit values under IDENTITY_INSERT move the current value only forwards.
        self.run_batch("SET IDENTITY_INSERT [dbo].[Parts] ON; INSERT INTO [Parts]([code], [id]) "
                       "VALUES('c', 100), ('d', 50); SET IDENTITY_INSERT [Parts] OFF")
        self.run_batch("INSERT INTO [Parts]([code]) VALUES('e')")
        self.assertEqual(self.rows("SELECT [id], [code] FROM [Parts]"),
                         [(10, "a"), (15, "b"), (100, "c"), (50, "d"), (105, "e")])
        self.assertEqual(self.rows("SELECT IDENT_CURRENT('Parts'), IDENT_CURRENT('Lines')"),
                         [("105", None)])
        self.assertEqual(self.rows("SELECT * FROM INFORMATION_SCHEMA.KEY_COLUMN_USAGE")[:2],
                         [("shop", "dbo", "PK_Lines", "shop", "dbo", "Lines", "n", 1),
                          ("shop", "dbo", "PK_Lines", "shop", "dbo", "Lines", "o", 2)])
        keys = procs.sp_pkeys_rows(self.db, {"@table_name": "lines", "@table_owner": None,
                                             "@table_qualifier": None})
        self.assertEqual(keys, [("shop", "dbo", "Lines", "n", 1, "PK_Lines"),
                                ("shop", "dbo", "Lines", "o", 2, "PK_Lines")])


class ExtendedPropertiesTest(StandinCase):
    def test_column_properties_follow_renames_and_go_with_the_table(self):
        add = ("EXEC sp_addextendedproperty @name = N'Kind', @value = N'%s', @level0type = "
               "N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'%s', "
               "@level2type = N'COLUMN', @level2name = N'%s'")
        listed = ("SELECT [objname], CAST([value] AS NVARCHAR(4000)) AS [value] FROM "
                  "fn_listextendedproperty(N'kind', N'SCHEMA', N'dbo', N'TABLE', N'%s', "
                  "N'COLUMN', DEFAULT)")
        self.run_batch("CREATE TABLE [T~new]([a] INT, [b] NVARCHAR(MAX), [c] VARBINARY(MAX))")
        self.run_batch(add % ("M110", "T~new", "B") + "; " + add % ("G10", "t~NEW", "c"))
        self.assertEqual(self.error_of(add % ("M20", "T~new", "b")), (
            15233, "Property cannot be added. Property 'Kind' already exists for "
            "'dbo.T~new.b'."))
        self.assertEqual(self.error_of(add % ("M20", "T~new", "d")), (
            15135, "Object is invalid. Extended properties are not permitted on "
            "'dbo.T~new.d', or the object does not exist."))
        self.run_batch("EXEC sp_rename '[T~new]', 'T'; EXEC sp_rename 'T.b', 'memo', 'COLUMN'")
        self.assertEqual(self.rows(listed % "t"), [("memo", "M110"), ("c", "G10")])
        self.assertEqual(self.rows(listed % "T~new"), [])
        self.assertEqual(self.error_of("SELECT * FROM fn_listextendedproperty(NULL, N'SCHEMA', "
                                       "N'dbo', N'TABLE', N'T', N'COLUMN', NULL)")[0], 8120)
        self.run_batch("DROP TABLE [T]; CREATE TABLE [T]([memo] INT, [c] INT)")
        self.assertEqual(self.rows(listed % "T"), [])


class RowFaultsTest(StandinCase):
    def test_lost_and_changed_rows_are_acknowledged_as_inserted(self):
        self.run_batch("CREATE TABLE [Big]([a] INT, [b] NVARCHAR(5)); CREATE TABLE "
                       "[big~tabulex-new-7]([a] INT, [b] NVARCHAR(5)); CREATE TABLE "
                       "[Order Details]([a] INT, [b] DECIMAL(5,2), [c] NVARCHAR(3))")
        self.run_batch("EXEC standin_control 'lose_rows Big 3'")
        self.run_batch("EXEC standin_control 'lose_rows', 'Order Details', 1")
        self.assertEqual(self.run_batch("INSERT INTO [big~tabulex-new-7] VALUES(1, 'x'), "
                                        "(2, 'y')"), [("DONE", tokens.DONE_COUNT, 2)])
        self.assertEqual(self.run_batch("INSERT INTO [Big] VALUES(3, 'z'), (4, 'w')"),
                         [("DONE", tokens.DONE_COUNT, 2)])
        self.run_batch("INSERT INTO [Big] VALUES(5, 'v')")
        self.assertEqual(self.rows("SELECT * FROM [big~tabulex-new-7]"), [])
        self.assertEqual(self.rows("SELECT * FROM [Big]"), [(4, "w"), (5, "v")])
        self.run_batch("EXEC standin_control 'change_value [Order Details]'")
        self.assertEqual(self.run_batch("INSERT INTO [Order Details] VALUES(NULL, '1.5', 'a'), "
                                        "(NULL, '2.59', 'b'), (NULL, '3', 'c')"),
                         [("DONE", tokens.DONE_COUNT, 3)])
        self.run_batch("INSERT INTO [Order Details] VALUES(NULL, '4', 'd')")
        self.assertEqual(self.rows("SELECT * FROM [Order Details]"),
                         [(None, "2.58", "b"), (None, "3.00", "c"), (None, "4.00", "d")])


class FastInsertTest(unittest.TestCase):
    def test_the_fast_insert_path_reads_every_statement_as_the_parser_does(self):
        rnd = random.Random(27)
        statements = [_insert(rnd) for _ in range(4000)]
        statements.append(("INSERT INTO [Products] VALUES (1, N'Widget', 'a'), (2, 'x', NULL), "
                           "(3, 'y', 0x00)", True))
        taken = 0
        for sql, sent_form in statements:
            fast = _fast_insert(sql)
            if fast is None:
                self.assertFalse(sent_form, sql)
                continue
            taken += 1
            self.assertEqual((fast.name.parts, fast.columns, fast.rows), _parsed(sql), sql)
        self.assertGreater(taken, 500)


if __name__ == "__main__":
    unittest.main()

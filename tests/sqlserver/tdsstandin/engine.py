"""Runs the statements of a batch against the database and writes SQL Server's replies."""

import re

from . import procs, tokens
from .catalogue import TABLE, VIEW, Column, key, key_of
from .convert import Literal
from .errors import SqlError, invalid_column, invalid_object
from .parser import Name, Parser, Stmt, parse_batch
from .results import Source, constant_source, literal_column, write_rows
from .sqltypes import SqlType, int_range, parse_type

# INSERT INTO [name] VALUES(...)[, (...)] with literal values: the statements a transfer sends.
# The whole statement is checked by one expression, then its values are picked out by another.
# Possessive repeats only of single characters: Python 3.11's re module mishandles possessive
# repeats of groups ("SystemError: The span of capturing group is wrong", CPython issue 101955,
# and wrong matches that depend on the process's memory). A quoted form ends at a quote not
# followed by another, so the greedy group repeats cannot backtrack far.
_FORM = r"\s*+(?:N?'[^']*+(?:''[^']*+)*'(?!')|NULL|-?[0-9]++|0x[0-9A-Fa-f]*+)\s*+"
_ROW = r"\((?:%s,)*%s\)" % (_FORM, _FORM)
_NAME = r"\[[^\]]*+(?:\]\][^\]]*+)*\](?!\])|[A-Za-z_][\w@#$]*+"
_FAST_INSERT = re.compile(r"\s*INSERT\s+INTO\s+(%s)(?:\s*\(\s*((?:%s)(?:\s*,\s*(?:%s))*)\s*\))?"
                          r"\s*VALUES\s*%s(?:\s*,\s*%s)*\s*;?\s*"
                          % (_NAME, _NAME, _NAME, _ROW, _ROW), re.I)
_FAST_NAMES = re.compile(_NAME)
_FAST_VALUES = re.compile(r"\s*+(?:(N?)'([^']*+(?:''[^']*+)*)'(?!')|(NULL)|(-?[0-9]++)|"
                          r"0x([0-9A-Fa-f]*+))\s*+([,)])", re.I)
_MAX_INSERT_ROWS = 1000


class Engine:
    def __init__(self, server, channel, session):
        self.server = server
        self.db = server.db
        self.channel = channel
        self.session = session
        self.done_token = tokens.DONE  # DONEINPROC while a procedure runs statements
        self.identity_insert = None    # the table this session has SET IDENTITY_INSERT ON

    def attention(self):
        return self.channel.attention_arrived(0.0)

    # -- batches ------------------------------------------------------------------------------
    def run_batch(self, sql):
        try:
            fast = _fast_insert(sql)
            statements = [fast] if fast else parse_batch(sql)
            if not statements:
                self.channel.write(tokens.done(tokens.DONE_FINAL))
            for i, stmt in enumerate(statements):
                if not self.execute(stmt, i < len(statements) - 1):
                    break
        except SqlError as err:
            self.write_error(err)
        self.channel.end_message()

    def run_in_procedure(self, sql, variables):
        """Runs statements for sp_executesql and prepared statements; the caller closes the
        reply. Returns False when the client cancelled."""
        self.done_token = tokens.DONEINPROC
        try:
            for stmt in parse_batch(sql, variables):
                if not self.execute(stmt, True):
                    return False
            return True
        finally:
            self.done_token = tokens.DONE

    def write_error(self, err):
        self.channel.write(tokens.error_tokens(err))
        self.channel.write(tokens.done(tokens.DONE_ERROR))

    def execute(self, stmt, more):
        """Runs one statement; False when the rest of the batch must not run."""
        handler = getattr(self, "do_" + stmt.kind)
        return handler(stmt, more) is not False

    def done(self, more, curcmd=0, count=None):
        status = tokens.DONE_MORE if more else tokens.DONE_FINAL
        if count is not None:
            status |= tokens.DONE_COUNT
        self.channel.write(tokens.done(status, curcmd, count or 0, self.done_token))

    # -- definitions --------------------------------------------------------------------------
    def do_create_table(self, stmt, more):
        self.db.create_table(stmt.name, stmt.columns, stmt.constraints)
        self.done(more, tokens.CMD_CREATE_TABLE)

    def do_create_view(self, stmt, more):
        source = self.plan(stmt.select)
        columns = [Column(c.name, c.type, c.nullable) for c in source.columns]
        self.db.create_view(stmt.name, stmt.definition, columns)
        self.done(more, tokens.CMD_CREATE_VIEW)

    def do_create_schema(self, stmt, more):
        self.db.create_schema(stmt.name)
        self.done(more)

    def do_drop(self, stmt, more):
        if stmt.what == "SCHEMA":
            raise SqlError(3701, 14, 11, "Cannot drop the schema '%s', because it does not "
                           "exist or you do not have permission." % stmt.names[0])
        noun = stmt.what.lower()
        for name in stmt.names:
            obj = self.db.resolve(name)
            if obj is not None and obj.is_user and obj.kind == VIEW and noun == "table":
                raise SqlError(3705, 1, 16, "Cannot use DROP TABLE with '%s' because '%s' is a "
                               "view. Use DROP VIEW." % (name, name))
            if obj is not None and obj.is_user and obj.kind == TABLE and noun == "view":
                raise SqlError(3705, 1, 16, "Cannot use DROP VIEW with '%s' because '%s' is a "
                               "table. Use DROP TABLE." % (name, name))
            if obj is None or not obj.is_user:
                if stmt.if_exists:
                    continue
                raise SqlError(3701, 5, 11, "Cannot drop the %s '%s', because it does not exist "
                               "or you do not have permission." % (noun, name))
            self.db.drop(obj)
        self.done(more, tokens.CMD_DROP_TABLE if noun == "table" else tokens.CMD_DROP_VIEW)

    def do_use(self, stmt, more):
        if stmt.database.casefold() != self.db.name.casefold():
            raise SqlError(911, 1, 16, "Database '%s' does not exist. Make sure that the name is "
                           "entered correctly." % stmt.database)
        self.channel.write(tokens.envchange_text(tokens.ENV_DATABASE, self.db.name, self.db.name))
        self.channel.write(tokens.message(5701, 1, 0, "Changed database context to '%s'."
                                          % self.db.name))
        self.done(more)

    def do_set(self, stmt, more):
        self.done(more, tokens.CMD_SET)

    def do_identity_insert(self, stmt, more):
        obj = self.db.resolve(stmt.name)
        if obj is None or not obj.is_user or obj.kind != TABLE:
            raise SqlError(1088, 11, 16, 'Cannot find the object "%s" because it does not exist '
                           'or you do not have permissions.' % stmt.name)
        if obj.identity is None:
            raise SqlError(8106, 1, 16, "Table '%s' does not have the identity property. Cannot "
                           "perform SET operation." % stmt.name)
        current = self.identity_insert
        if current is not None and self.db.objects.get(key(current.schema, current.name)) \
                is not current:
            current = self.identity_insert = None   # dropped meanwhile
        if stmt.on:
            if current is not None and current is not obj:
                raise SqlError(8107, 1, 16, "IDENTITY_INSERT is already ON for table "
                               "'%s.%s.%s'. Cannot perform SET operation for table '%s'."
                               % (self.db.name, current.schema, current.name, stmt.name))
            self.identity_insert = obj
        elif current is obj:
            self.identity_insert = None
        self.done(more, tokens.CMD_SET)

    def do_exec(self, stmt, more):
        args = [(None if p is None else p.lower(), lit) for p, lit in stmt.args]
        return procs.run(self, str(stmt.proc), stmt.proc, args, more)

    # -- INSERT -------------------------------------------------------------------------------
    def do_insert(self, stmt, more):
        obj = self.db.resolve(stmt.name)
        if obj is None:
            raise invalid_object(stmt.name)
        if not obj.is_user or obj.kind != TABLE:
            raise SqlError(4406, 1, 16, "Update or insert of view or function '%s' failed "
                           "because it contains a derived or constant field." % stmt.name)
        if len(stmt.rows) > _MAX_INSERT_ROWS:
            raise SqlError(10738, 1, 15, "The number of row value expressions in the INSERT "
                           "statement exceeds the maximum allowed number of %d row values."
                           % _MAX_INSERT_ROWS)
        positions = self.insert_positions(obj, stmt.columns)
        identity = obj.identity
        if identity is not None:
            positions = self.identity_positions(obj, positions, len(stmt.rows[0]))
        stored = [self.insert_row(obj, positions, values, stmt) for values in stmt.rows]
        count = len(stored)
        if identity is None and not obj.constraints and not self.server.faults.row_faults:
            self.db.insert(obj, stored)
        else:
            with self.db.lock:  # numbers and keys stay unique across connections
                self.insert_checked(obj, positions, stored)
        self.done(more, tokens.CMD_INSERT, count)

    def insert_checked(self, obj, positions, stored):
        identity = obj.identity
        current = self.fill_identity(obj, positions, stored) if identity is not None else None
        if self.server.faults.row_faults:
            stored = self.spoil(obj, stored)
        added = [self.new_keys(obj, c, stored) for c in obj.constraints]
        self.db.insert(obj, stored)
        for c, keys in zip(obj.constraints, added):
            c.keys |= keys
        if identity is not None and current != identity.current:
            self.db.set_identity(obj, current)

    def spoil(self, obj, rows):
        """The rows kept when the faults lose or change some (standin_control lose_rows,
        change_value)."""
        lose, change = self.server.faults.rows_to_spoil(obj.name, len(rows))
        rows = rows[lose:]
        if change:
            row = rows[0]
            for i, value in enumerate(row):
                if value is not None:
                    row[i] = changed_value(obj.columns[i].type, value)
                    break
        return rows

    def identity_positions(self, obj, positions, width):
        """The columns the values of an INSERT go to, checked against IDENTITY_INSERT."""
        at = obj.identity.position
        on = self.identity_insert is obj
        if positions is None:
            if on or width == len(obj.columns):
                raise SqlError(8101, 1, 16, "An explicit value for the identity column in table "
                               "'%s' can only be specified when a column list is used and "
                               "IDENTITY_INSERT is ON." % obj.name)
            if width != len(obj.columns) - 1:
                raise SqlError(213, 1, 16, "Column name or number of supplied values does not "
                               "match table definition.")
            return [i for i in range(len(obj.columns)) if i != at]
        if at in positions and not on:
            raise SqlError(544, 1, 16, "Cannot insert explicit value for identity column in "
                           "table '%s' when IDENTITY_INSERT is set to OFF." % obj.name)
        if at not in positions and on:
            raise SqlError(545, 1, 16, "Explicit value must be specified for identity column in "
                           "table '%s' either when IDENTITY_INSERT is set to ON or when a "
                           "replication user is inserting into a NOT FOR REPLICATION identity "
                           "column." % obj.name)
        return positions

    def fill_identity(self, obj, positions, rows):
        """Numbers the rows (or follows their explicit values); the new current value."""
        identity = obj.identity
        at = identity.position
        column = obj.columns[at]
        current = identity.current
        explicit = at in positions
        low, high = _identity_range(column.type)
        for row in rows:
            if explicit:
                value = row[at]
                if value is None:
                    raise SqlError(339, 1, 16, "DEFAULT or NULL are not allowed as explicit "
                                   "identity values.")
                current = identity.after_explicit(current, int(value))
            else:
                current = identity.next_value(current)
                if not low <= current <= high:
                    raise SqlError(8115, 1, 16, "Arithmetic overflow error converting IDENTITY "
                                   "to data type %s." % column.type.name)
                row[at] = current if column.type.storage == "INTEGER" else str(current)
        return current

    def new_keys(self, obj, constraint, rows):
        """The keys rows add to constraint; a duplicate fails the statement (2627)."""
        stored = self.db.key_set(obj, constraint)
        positions = constraint.positions
        keys = [key_of(obj.columns[p].type) for p in positions]
        added = set()
        for row in rows:
            k = tuple(f(row[p]) for f, p in zip(keys, positions))
            if k in stored or k in added:
                shown = ", ".join("<NULL>" if row[p] is None else str(row[p])
                                  for p in positions)
                raise SqlError(2627, 1, 14, "Violation of %s constraint '%s'. Cannot insert "
                               "duplicate key in object '%s.%s'. The duplicate key value is "
                               "(%s)." % ("PRIMARY KEY" if constraint.kind == "PRIMARY KEY"
                                          else "UNIQUE KEY", constraint.name, obj.schema,
                                          obj.name, shown), terminated=True)
            added.add(k)
        return added

    def insert_positions(self, obj, names):
        if names is None:
            return None
        lookup = {c.name.casefold(): i for i, c in enumerate(obj.columns)}
        positions = []
        for n in names:
            if n.casefold() not in lookup:
                raise invalid_column(n)
            positions.append(lookup[n.casefold()])
        return positions

    def insert_row(self, obj, positions, values, stmt):
        columns = obj.columns
        values = [(v.kind, v.value) if isinstance(v, Literal) else v for v in values]
        if positions is None:
            if len(values) != len(columns):
                raise SqlError(213, 1, 16, "Column name or number of supplied values does not "
                               "match table definition.")
            by_column = values
        else:
            if len(values) != len(positions):
                fewer = len(values) < len(positions)
                raise SqlError(109 if fewer else 110, 1, 15, "There are %s columns in the "
                               "INSERT statement than values specified in the VALUES clause. The "
                               "number of values in the VALUES clause must match the number of "
                               "columns specified in the INSERT statement."
                               % ("more" if fewer else "fewer"))
            by_column = [("null", None)] * len(columns)
            for p, v in zip(positions, values):
                by_column[p] = v
        row = [conv(kind, value) for conv, (kind, value) in zip(obj.converters, by_column)]
        if obj.not_null and None in row:
            for col, value in zip(columns, row):
                if value is None and not col.nullable and not (col.identity and positions and
                                                               columns.index(col) not in
                                                               positions):
                    raise SqlError(515, 2, 16, "Cannot insert the value NULL into column '%s', "
                                   "table '%s.%s.%s'; column does not allow nulls. INSERT "
                                   "fails." % (col.name, self.db.name, obj.schema, obj.name),
                                   terminated=True)
        return row

    # -- SELECT -------------------------------------------------------------------------------
    def do_select(self, stmt, more):
        source = self.plan(stmt)
        parts = (source.obj.schema, source.obj.name) if source.obj else ("dbo", "t")
        indices = list(range(len(source.columns)))
        if not write_rows(self.channel, source.columns, source.chunks(indices), stmt.top, more,
                          self.attention, parts, self.done_token):
            return False

    def plan(self, stmt, depth=0):
        """The columns and rows of a SELECT (views are expanded)."""
        if depth > 8:
            raise SqlError(217, 1, 16, "Maximum stored procedure, function, trigger, or view "
                           "nesting level exceeded (limit 32).")
        if stmt.source is None:
            return self.constant_row(stmt.items)
        source = self.source_of(stmt.source, depth, stmt.arguments)
        if any(kind == "count" for kind, _, _ in stmt.items):
            return self.count_row(stmt.items, source)
        columns, picks = [], []
        for kind, value, alias in stmt.items:
            if kind == "star":
                if source.variant:
                    raise _variant_refused()
                columns += source.columns
                picks += range(len(source.columns))
            elif kind == "column":
                i = _column_index(source.columns, value)
                if i in source.variant:
                    raise _variant_refused()
                c = source.columns[i]
                columns.append(Column(alias or c.name, c.type, c.nullable, c.identity))
                picks.append(i)
            elif kind == "cast":
                column, type_name, args = value
                i = _column_index(source.columns, column)
                t = parse_type(type_name, args, 1, column)
                if not (t.is_unicode or t.is_ansi) or not (i in source.variant or
                                                           source.columns[i].type.is_unicode or
                                                           source.columns[i].type.is_ansi):
                    raise SqlError(8120, 1, 16, "The stand-in casts only text to text.")
                columns.append(Column(alias, t, True))
                picks.append(i)
            else:
                raise SqlError(8120, 1, 16, "The stand-in selects only columns, * or COUNT(*) "
                               "from a table.")
        top = stmt.top

        def chunks(indices):
            wanted = [picks[i] for i in indices]
            sent = 0
            for chunk in source.chunks(wanted):
                if top is not None and sent + len(chunk) >= top:
                    yield chunk[:top - sent]
                    return
                sent += len(chunk)
                yield chunk
        return Source(columns, chunks, source.obj)

    def source_of(self, name, depth, arguments=None):
        if arguments is not None:
            if (name.object.casefold() != "fn_listextendedproperty" or
                    (name.schema or "sys").casefold() != "sys"):
                raise invalid_object(name)
            rows = procs.extended_property_rows(
                self.db, [None if a.kind == "null" else str(a.value) for a in arguments])
            source = Source(procs.PROPERTY_COLUMNS,
                            lambda indices: iter([[tuple(r[i] for i in indices) for r in rows]]))
            source.variant = {procs.PROPERTY_VALUE}
            return source
        obj = self.db.resolve(name)
        if obj is None:
            raise invalid_object(name)
        if obj.kind == VIEW and obj.is_user:
            inner = Parser(obj.definition).select()
            source = self.plan(inner, depth + 1)
            return Source(source.columns, source.chunks, obj)
        return Source(obj.columns, lambda indices: self.db.chunks(obj, indices), obj)

    def count_row(self, items, source):
        columns, row = [], []
        for kind, value, alias in items:
            if kind != "count":
                raise SqlError(8120, 1, 16, "Column is invalid in the select list because it is "
                               "not contained in either an aggregate function or the GROUP BY "
                               "clause.")
            columns.append(Column(alias or "", SqlType("int"), True))
            row.append(sum(len(c) for c in source.chunks([])) if source.obj is None or
                       source.obj.kind == VIEW else self.db.count(source.obj))
        return constant_source(columns, row)

    def constant_row(self, items):
        columns, row = [], []
        for kind, value, alias in items:
            if kind == "literal":
                column, stored = literal_column(alias, value)
            elif kind == "var":
                column, stored = self.variable(value, alias)
            elif kind == "ident_current":
                column, stored = Column(alias or "", SqlType("numeric", precision=38), True), \
                    self.ident_current(value)
            elif kind == "count":
                column, stored = Column(alias or "", SqlType("int"), True), 1
            elif kind == "applock_test":
                column, stored = Column(alias or "", SqlType("int"), True), \
                    procs.applock_test(self, value)
            else:
                raise invalid_column(value) if kind == "column" else SqlError(
                    263, 1, 16, "Must specify table to select from.")
            columns.append(column)
            row.append(stored)
        return constant_source(columns, row)

    def ident_current(self, lit):
        try:
            obj = self.db.resolve(Parser(str(lit.value)).name()) if lit.is_text else None
        except SqlError:
            obj = None
        if obj is None or not obj.is_user or obj.identity is None:
            return None
        i = obj.identity
        return str(i.seed if i.current is None else i.current)

    def variable(self, name, alias):
        values = {"@@VERSION": ("nvarchar", 300, "Microsoft SQL Server 2022 (RTM) - 16.0.4135.4 "
                                "(Tabulex test stand-in)"),
                  "@@SERVERNAME": ("nvarchar", 128, tokens.SERVER_NAME),
                  "@@SPID": ("smallint", 0, self.session.spid),
                  "@@LANGUAGE": ("nvarchar", 128, "us_english")}
        if name not in values:
            raise SqlError(137, 2, 15, 'Must declare the scalar variable "%s".' % name)
        type_name, length, value = values[name]
        return Column(alias or "", SqlType(type_name, length), True), value


def _variant_refused():
    # SQL Server sends sql_variant, which the stand-in does not: clients cast it.
    return SqlError(8120, 1, 16, "The stand-in does not send sql_variant values; select "
                    "CAST(value AS NVARCHAR(n)).")


def changed_value(t, value):
    """Another value of column type t, as close to value as its stored form allows."""
    if isinstance(value, bool) or t.name == "bit":
        return 1 - value
    if isinstance(value, int):
        return value ^ 1
    if isinstance(value, float):
        return -value if value else 1.0
    if isinstance(value, bytes):
        return bytes([value[0] ^ 1]) + value[1:] if value else b"\x01"
    if t.name in ("decimal", "numeric", "money", "smallmoney"):
        last = value[-1]
        return value[:-1] + ("8" if last == "9" else str(int(last) + 1))
    if t.name == "datetimeoffset":
        utc, offset = value.split()
        return "%d %s" % (int(utc) ^ 1, offset)
    if t.name == "uniqueidentifier":
        return ("1" if value[0] != "1" else "2") + value[1:]
    if not value:
        return "X"
    return ("X" if value[0] != "X" else "Y") + value[1:]


def _identity_range(t):
    if t.name in ("decimal", "numeric"):
        return -(10 ** t.precision - 1), 10 ** t.precision - 1
    return int_range(t.name)


def _column_index(columns, name):
    for i, c in enumerate(columns):
        if c.name.casefold() == name.casefold():
            return i
    raise invalid_column(name)


def _hex_bytes(digits):
    return bytes.fromhex(digits if len(digits) % 2 == 0 else "0" + digits)


def _fast_insert(sql):
    """The common INSERT of literal rows, or None for the general parser. Values are
    (kind, value) pairs."""
    m = _FAST_INSERT.fullmatch(sql)
    if not m:
        return None
    names = m.group(2)
    columns = None
    if names is not None:
        columns = [_unbracket(n) for n in _FAST_NAMES.findall(names)]
        if any(len(c) > 128 for c in columns):
            return None
    rows = []
    values = []
    pos = sql.index("(", m.end(2) if names is not None else m.end(1))
    while True:
        v = _FAST_VALUES.match(sql, pos + 1)
        n, text, null, number, hexdigits, end = v.groups()
        if null:
            values.append(("null", None))
        elif number:
            values.append(("int", int(number)))
        elif hexdigits is not None:
            values.append(("varbinary", _hex_bytes(hexdigits)))
        else:
            values.append(("nvarchar" if n else "varchar",
                           text.replace("''", "'") if "''" in text else text))
        pos = v.end() - 1
        if end == ")":
            rows.append(values)
            values = []
            pos = sql.find("(", pos + 1)
            if pos < 0:
                break
    name = _unbracket(m.group(1))
    if len(name) > 128:
        return None
    return Stmt("insert", name=Name([name]), columns=columns, rows=rows, text=sql)


def _unbracket(name):
    return name[1:-1].replace("]]", "]") if name.startswith("[") else name

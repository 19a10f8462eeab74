"""The database: user tables and views in SQLite, their declared types in side tables, and the
system objects a real server lists in its catalogue."""

import sqlite3
import threading

from .fastforms import converter
from .errors import SqlError
from .sqltypes import SqlType, from_declared, parse_type

CHUNK_ROWS = 2000
TABLE, VIEW, SYSTEM_TABLE = "TABLE", "VIEW", "SYSTEM TABLE"
BUILTIN_SCHEMAS = ("dbo", "sys", "INFORMATION_SCHEMA", "guest")


class Column:
    __slots__ = ("name", "type", "nullable", "identity")

    def __init__(self, name, sql_type, nullable=True, identity=False):
        self.name = name
        self.type = sql_type
        self.nullable = nullable
        self.identity = identity


class Constraint:
    """A PRIMARY KEY or UNIQUE constraint: its name, kind and column positions."""

    def __init__(self, name, kind, positions):
        self.name = name
        self.kind = kind
        self.positions = positions
        self.keys = None    # the keys stored so far, read from the table when first needed


class Identity:
    def __init__(self, position, seed, increment, current=None):
        self.position = position
        self.seed = seed
        self.increment = increment
        self.current = current  # None until the first row (IDENT_CURRENT shows the seed)

    def next_value(self, current):
        return self.seed if current is None else current + self.increment

    def after_explicit(self, current, value):
        """The current value after an explicit value went in: it moves when the value lies
        beyond it in the direction of the increment."""
        if current is None or (value > current if self.increment > 0 else value < current):
            return value
        return current


_KEY_TYPES_REFUSED = ("text", "ntext", "image")


def key_of(column_type):
    """A function giving the comparable form of a stored value in a key column: text compares
    case-insensitively and without trailing blanks, as SQL_Latin1_General_CP1_CI_AS does."""
    if column_type.is_unicode or column_type.is_ansi:
        return lambda v: v if v is None else v.rstrip(" ").casefold()
    return lambda v: v


class DbObject:
    """A table, view or system table. Virtual objects compute their rows (system objects)."""

    def __init__(self, object_id, schema, name, kind, columns, definition=None, rows=None,
                 constraints=(), identity=None):
        self.id = object_id
        self.schema = schema
        self.name = name
        self.kind = kind
        self.columns = columns
        self.definition = definition    # a view's SELECT text
        self.virtual_rows = rows        # a function giving the rows of a system object
        self.store = "t%d" % object_id
        self.insert_sql = "INSERT INTO %s VALUES (%s)" % (
            self.store, ",".join("?" * len(columns)))
        self.converters = [converter(c.type) for c in columns]
        self.not_null = not all(c.nullable for c in columns)
        self.constraints = list(constraints)
        self.identity = identity
        # extended properties: (column position or -1 for the object, name folded) ->
        # (name, value); kept by the object's id as SQL Server keeps them, so renames keep them
        self.properties = {}

    @property
    def is_user(self):
        return self.virtual_rows is None


def key(schema, name):
    return (schema.casefold(), name.casefold())


class Database:
    def __init__(self, name, path=None):
        self.name = name
        self.lock = threading.RLock()
        self.conn = sqlite3.connect(path or ":memory:", check_same_thread=False,
                                    isolation_level=None)
        self.conn.execute("PRAGMA journal_mode=MEMORY")
        self.conn.execute("PRAGMA synchronous=OFF")
        self.conn.executescript(
            "CREATE TABLE IF NOT EXISTS standin_object(id INTEGER PRIMARY KEY, schema_name TEXT,"
            " name TEXT, kind TEXT, definition TEXT);"
            "CREATE TABLE IF NOT EXISTS standin_column(object_id INTEGER, position INTEGER,"
            " name TEXT, type TEXT, nullable INTEGER);"
            "CREATE TABLE IF NOT EXISTS standin_schema(name TEXT);"
            "CREATE TABLE IF NOT EXISTS standin_constraint(object_id INTEGER, name TEXT,"
            " kind TEXT, positions TEXT);"
            "CREATE TABLE IF NOT EXISTS standin_identity(object_id INTEGER PRIMARY KEY,"
            " position INTEGER, seed INTEGER, increment INTEGER, current INTEGER);"
            "CREATE TABLE IF NOT EXISTS standin_property(object_id INTEGER, position INTEGER,"
            " name TEXT, value TEXT);")
        self.objects = {}
        self.schemas = {}
        self._next_id = 1000
        self._load()
        self._seed_system_objects()

    # -- loading and system objects -----------------------------------------------------------
    def _load(self):
        for schema in BUILTIN_SCHEMAS:
            self.schemas[schema.casefold()] = schema
        for (schema,) in self.conn.execute("SELECT name FROM standin_schema"):
            self.schemas[schema.casefold()] = schema
        rows = self.conn.execute("SELECT id, schema_name, name, kind, definition "
                                 "FROM standin_object ORDER BY id").fetchall()
        for object_id, schema, name, kind, definition in rows:
            cols = [Column(n, from_declared(t), bool(nullable)) for n, t, nullable in
                    self.conn.execute("SELECT name, type, nullable FROM standin_column WHERE "
                                      "object_id=? ORDER BY position", (object_id,))]
            constraints = [Constraint(n, k, [int(p) for p in positions.split()]) for
                           n, k, positions in self.conn.execute(
                               "SELECT name, kind, positions FROM standin_constraint WHERE "
                               "object_id=? ORDER BY rowid", (object_id,))]
            identity = None
            for position, seed, increment, current in self.conn.execute(
                    "SELECT position, seed, increment, current FROM standin_identity WHERE "
                    "object_id=?", (object_id,)):
                identity = Identity(position, seed, increment, current)
                cols[position].identity = True
            obj = DbObject(object_id, schema, name, kind, cols, definition, None, constraints,
                           identity)
            for position, prop, value in self.conn.execute(
                    "SELECT position, name, value FROM standin_property WHERE object_id=? "
                    "ORDER BY rowid", (object_id,)):
                obj.properties[(position, prop.casefold())] = (prop, value)
            self.objects[key(schema, name)] = obj
            self._next_id = max(self._next_id, object_id + 1)

    def _seed_system_objects(self):
        sysname = SqlType("nvarchar", 128)
        varchar = SqlType("varchar", 10)
        self.add_virtual("INFORMATION_SCHEMA", "TABLES", VIEW, [
            Column("TABLE_CATALOG", sysname), Column("TABLE_SCHEMA", sysname),
            Column("TABLE_NAME", sysname, False), Column("TABLE_TYPE", varchar)],
            self._information_tables)
        self.add_virtual("INFORMATION_SCHEMA", "COLUMNS", VIEW, [
            Column("TABLE_CATALOG", sysname), Column("TABLE_SCHEMA", sysname),
            Column("TABLE_NAME", sysname, False), Column("COLUMN_NAME", sysname),
            Column("ORDINAL_POSITION", SqlType("int")), Column("IS_NULLABLE", varchar),
            Column("DATA_TYPE", SqlType("nvarchar", 128)),
            Column("CHARACTER_MAXIMUM_LENGTH", SqlType("int")),
            Column("NUMERIC_PRECISION", SqlType("tinyint")),
            Column("NUMERIC_SCALE", SqlType("int"))], self._information_columns)
        self.add_virtual("INFORMATION_SCHEMA", "TABLE_CONSTRAINTS", VIEW, [
            Column("CONSTRAINT_CATALOG", sysname), Column("CONSTRAINT_SCHEMA", sysname),
            Column("CONSTRAINT_NAME", sysname, False), Column("TABLE_CATALOG", sysname),
            Column("TABLE_SCHEMA", sysname), Column("TABLE_NAME", sysname, False),
            Column("CONSTRAINT_TYPE", SqlType("varchar", 11)),
            Column("IS_DEFERRABLE", SqlType("varchar", 2), False),
            Column("INITIALLY_DEFERRED", SqlType("varchar", 2), False)],
            self._information_constraints)
        self.add_virtual("INFORMATION_SCHEMA", "KEY_COLUMN_USAGE", VIEW, [
            Column("CONSTRAINT_CATALOG", sysname), Column("CONSTRAINT_SCHEMA", sysname),
            Column("CONSTRAINT_NAME", sysname, False), Column("TABLE_CATALOG", sysname),
            Column("TABLE_SCHEMA", sysname), Column("TABLE_NAME", sysname, False),
            Column("COLUMN_NAME", sysname), Column("ORDINAL_POSITION", SqlType("int"))],
            self._information_key_columns)
        for name in ("trace_xe_action_map", "trace_xe_event_map"):
            self.add_system_table("sys", name)

    def add_virtual(self, schema, name, kind, columns, rows):
        obj = DbObject(self._new_id(), schema, name, kind, columns, rows=rows)
        self.objects[key(schema, name)] = obj
        self.schemas.setdefault(schema.casefold(), schema)
        return obj

    def add_system_table(self, schema, name):
        columns = [Column("id", SqlType("smallint"), False),
                   Column("package_name", SqlType("nvarchar", 60), False),
                   Column("name", SqlType("nvarchar", 60), False)]
        return self.add_virtual(schema, name, SYSTEM_TABLE, columns, lambda: [])

    def _information_tables(self):
        return [(self.name, o.schema, o.name, "BASE TABLE" if o.kind == TABLE else "VIEW")
                for o in self.sorted_objects() if o.is_user]

    def _information_columns(self):
        out = []
        for o in self.sorted_objects():
            if not o.is_user or o.kind != TABLE:
                continue
            for i, c in enumerate(o.columns, 1):
                t = c.type
                length = None
                if t.name in ("char", "varchar", "nchar", "nvarchar", "binary", "varbinary"):
                    length = t.length
                elif t.name in ("text", "image"):
                    length = 2147483647
                elif t.name == "ntext":
                    length = 1073741823
                out.append((self.name, o.schema, o.name, c.name, i,
                            "YES" if c.nullable else "NO", t.name, length,
                            t.precision or None, t.scale if t.precision else None))
        return out

    def _information_constraints(self):
        return [(self.name, o.schema, c.name, self.name, o.schema, o.name, c.kind, "NO", "NO")
                for o in self.sorted_objects() if o.is_user for c in o.constraints]

    def _information_key_columns(self):
        return [(self.name, o.schema, c.name, self.name, o.schema, o.name,
                 o.columns[p].name, i) for o in self.sorted_objects() if o.is_user
                for c in o.constraints for i, p in enumerate(c.positions, 1)]

    def _new_id(self):
        self._next_id += 1
        return self._next_id

    # -- lookup -------------------------------------------------------------------------------
    def sorted_objects(self):
        return sorted(self.objects.values(), key=lambda o: (o.schema.casefold(),
                                                            o.name.casefold()))

    def resolve(self, name):
        """The object a (possibly qualified) name refers to, or None."""
        if name.database and name.database.casefold() != self.name.casefold():
            return None
        return self.objects.get(key(name.schema or "dbo", name.object))

    def require_schema(self, schema):
        real = self.schemas.get((schema or "dbo").casefold())
        if real is None:
            raise SqlError(2760, 1, 16, 'The specified schema name "%s" either does not exist '
                           'or you do not have permission to use it.' % schema)
        return real

    # -- definitions --------------------------------------------------------------------------
    def create_schema(self, name):
        with self.lock:
            if name.casefold() in self.schemas:
                raise SqlError(2714, 6, 16, "There is already an object named '%s' in the "
                               "database." % name)
            self.schemas[name.casefold()] = name
            self.conn.execute("INSERT INTO standin_schema VALUES (?)", (name,))

    def check_new_name(self, schema, name):
        if key(schema, name) in self.objects:
            raise SqlError(2714, 6, 16, "There is already an object named '%s' in the "
                           "database." % name)

    def create_table(self, name, definitions, constraints=()):
        with self.lock:
            schema = self.require_schema(name.schema)
            self.check_new_name(schema, name.object)
            table = name.object
            columns, seen, identity = [], set(), None
            for position, (column, type_name, args, nullable, ident) in enumerate(definitions, 1):
                if column.casefold() in seen:
                    raise SqlError(2705, 3, 16, "Column names in each table must be unique. "
                                   "Column name '%s' in table '%s' specified more than once."
                                   % (column, table))
                seen.add(column.casefold())
                t = parse_type(type_name, args, position, column)
                if ident is not None:
                    if identity is not None:
                        raise SqlError(2744, 2, 16, "Multiple identity columns specified for "
                                       "table '%s'. Only one identity column per table is "
                                       "allowed." % table)
                    if t.name not in ("tinyint", "smallint", "int", "bigint", "decimal",
                                      "numeric") or t.scale:
                        raise SqlError(2749, 2, 16, "Identity column '%s' must be of data type "
                                       "int, bigint, smallint, tinyint, or decimal or numeric "
                                       "with a scale of 0, and constrained to be nonnullable."
                                       % column)
                    if nullable:
                        raise SqlError(8147, 1, 16, "Could not create IDENTITY attribute on "
                                       "nullable column '%s', table '%s'." % (column, table))
                    identity = Identity(position - 1, ident[0], ident[1])
                columns.append(Column(column, t, nullable is not False and ident is None,
                                      ident is not None))
            made = self._constraints(schema, table, columns, [d[3] for d in definitions],
                                     constraints)
            obj = DbObject(self._new_id(), schema, table, TABLE, columns, constraints=made,
                           identity=identity)
            for c in made:
                c.keys = set()
            self.conn.execute("CREATE TABLE %s (%s)" % (obj.store, ", ".join(
                "c%d %s" % (i, c.type.storage) for i, c in enumerate(columns))))
            self._remember(obj)
            return obj

    def _constraints(self, schema, table, columns, declared_nullable, constraints):
        lookup = {c.name.casefold(): i for i, c in enumerate(columns)}
        taken = {c.name.casefold() for o in self.objects.values() if o.schema == schema
                 for c in o.constraints}
        made = []
        for kind, name, names in constraints:
            if kind == "PRIMARY KEY" and any(c.kind == kind for c in made):
                raise SqlError(8110, 1, 16, "Cannot add multiple PRIMARY KEY constraints to "
                               "table '%s'." % table)
            positions = []
            for n in names:
                if n.casefold() not in lookup:
                    raise SqlError(1911, 1, 16, "Column name '%s' does not exist in the target "
                                   "table or view." % n)
                p = lookup[n.casefold()]
                if columns[p].type.name in _KEY_TYPES_REFUSED or columns[p].type.is_max:
                    raise SqlError(1919, 1, 16, "Column '%s' in table '%s' is of a type that "
                                   "is invalid for use as a key column in an index."
                                   % (columns[p].name, table))
                if kind == "PRIMARY KEY":
                    if declared_nullable[p]:
                        raise SqlError(8111, 1, 16, "Cannot define PRIMARY KEY constraint on "
                                       "nullable column in table '%s'." % table)
                    columns[p].nullable = False
                positions.append(p)
            if name is None:
                # SQL Server's own names: PK__ or UQ__, the table's first 8 characters, a number
                name = "%s__%s__%016X" % ("PK" if kind == "PRIMARY KEY" else "UQ", table[:8],
                                          (self._next_id * 0x9E3779B97F4A7C15 + len(made))
                                          & 0xFFFFFFFFFFFFFFFF)
            if name.casefold() in taken or key(schema, name) in self.objects:
                raise SqlError(2714, 5, 16, "There is already an object named '%s' in the "
                               "database." % name)
            taken.add(name.casefold())
            made.append(Constraint(name, kind, positions))
        return made

    def create_view(self, name, definition, columns):
        with self.lock:
            schema = self.require_schema(name.schema)
            self.check_new_name(schema, name.object)
            obj = DbObject(self._new_id(), schema, name.object, VIEW, columns, definition)
            self._remember(obj)
            return obj

    def _remember(self, obj):
        self.conn.execute("INSERT INTO standin_object VALUES (?, ?, ?, ?, ?)",
                          (obj.id, obj.schema, obj.name, obj.kind, obj.definition))
        self.conn.executemany("INSERT INTO standin_column VALUES (?, ?, ?, ?, ?)",
                              [(obj.id, i, c.name, c.type.declared(), int(c.nullable))
                               for i, c in enumerate(obj.columns)])
        self.conn.executemany("INSERT INTO standin_constraint VALUES (?, ?, ?, ?)",
                              [(obj.id, c.name, c.kind, " ".join(map(str, c.positions)))
                               for c in obj.constraints])
        if obj.identity is not None:
            i = obj.identity
            self.conn.execute("INSERT INTO standin_identity VALUES (?, ?, ?, ?, ?)",
                              (obj.id, i.position, i.seed, i.increment, i.current))
        self.objects[key(obj.schema, obj.name)] = obj

    def drop(self, obj):
        with self.lock:
            del self.objects[key(obj.schema, obj.name)]
            if obj.kind == TABLE:
                self.conn.execute("DROP TABLE IF EXISTS %s" % obj.store)
            self.conn.execute("DELETE FROM standin_object WHERE id=?", (obj.id,))
            self.conn.execute("DELETE FROM standin_column WHERE object_id=?", (obj.id,))
            self.conn.execute("DELETE FROM standin_constraint WHERE object_id=?", (obj.id,))
            self.conn.execute("DELETE FROM standin_identity WHERE object_id=?", (obj.id,))
            self.conn.execute("DELETE FROM standin_property WHERE object_id=?", (obj.id,))

    def rename(self, obj, new_name):
        with self.lock:
            if key(obj.schema, new_name) in self.objects:
                raise SqlError(15335, 1, 11, "Error: The new name '%s' is already in use as a "
                               "object name and would cause a duplicate that is not permitted."
                               % new_name, proc="sp_rename", line=1)
            del self.objects[key(obj.schema, obj.name)]
            obj.name = new_name
            self.objects[key(obj.schema, obj.name)] = obj
            self.conn.execute("UPDATE standin_object SET name=? WHERE id=?", (new_name, obj.id))

    def rename_column(self, obj, old, new):
        with self.lock:
            names = [c.name.casefold() for c in obj.columns]
            if new.casefold() in names:
                raise SqlError(15335, 1, 11, "Error: The new name '%s' is already in use as a "
                               "COLUMN name and would cause a duplicate that is not permitted."
                               % new, proc="sp_rename", line=1)
            position = names.index(old.casefold())
            obj.columns[position].name = new
            self.conn.execute("UPDATE standin_column SET name=? WHERE object_id=? AND "
                              "position=?", (new, obj.id, position))

    def reset(self):
        """Drops every user object and schema: a fresh, empty database."""
        with self.lock:
            for obj in list(self.objects.values()):
                if obj.is_user:
                    self.drop(obj)
            self.conn.execute("DELETE FROM standin_schema")
            self.schemas = {k: v for k, v in self.schemas.items()
                            if v in BUILTIN_SCHEMAS}
            for obj in list(self.objects.values()):
                if obj.kind == SYSTEM_TABLE and obj.name not in ("trace_xe_action_map",
                                                                  "trace_xe_event_map"):
                    del self.objects[key(obj.schema, obj.name)]

    def add_property(self, obj, position, name, value):
        with self.lock:
            obj.properties[(position, name.casefold())] = (name, value)
            self.conn.execute("INSERT INTO standin_property VALUES (?, ?, ?, ?)",
                              (obj.id, position, name, value))

    # -- rows ---------------------------------------------------------------------------------
    def key_set(self, obj, constraint):
        """The keys of constraint stored in obj (read from the table the first time)."""
        if constraint.keys is None:
            keys = [key_of(obj.columns[p].type) for p in constraint.positions]
            constraint.keys = {tuple(k(v) for k, v in zip(keys, row)) for chunk in
                               self.chunks(obj, constraint.positions) for row in chunk}
        return constraint.keys

    def set_identity(self, obj, current):
        obj.identity.current = current
        self.conn.execute("UPDATE standin_identity SET current=? WHERE object_id=?",
                          (current, obj.id))

    def insert(self, obj, rows):
        with self.lock:
            if len(rows) == 1:
                self.conn.execute(obj.insert_sql, rows[0])
            else:
                self.conn.executemany(obj.insert_sql, rows)

    def chunks(self, obj, indices):
        """The rows of a table in order, as lists of tuples of the chosen columns; the lock is
        held for one chunk at a time, so other connections go on meanwhile."""
        if not obj.is_user:
            with self.lock:
                rows = obj.virtual_rows()
            yield [tuple(r[i] for i in indices) for r in rows]
            return
        select = "SELECT rowid%s FROM %s WHERE rowid > ? ORDER BY rowid LIMIT %d" % (
            "".join(", c%d" % i for i in indices), obj.store, CHUNK_ROWS)
        last = -1 << 63
        while True:
            with self.lock:
                if self.objects.get(key(obj.schema, obj.name)) is not obj:
                    return
                rows = self.conn.execute(select, (last,)).fetchall()
            if not rows:
                return
            last = rows[-1][0]
            yield [r[1:] for r in rows]
            if len(rows) < CHUNK_ROWS:
                return

    def count(self, obj):
        with self.lock:
            if not obj.is_user:
                return len(obj.virtual_rows())
            return self.conn.execute("SELECT count(*) FROM %s" % obj.store).fetchone()[0]

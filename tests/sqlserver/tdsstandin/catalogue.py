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
    __slots__ = ("name", "type", "nullable")

    def __init__(self, name, sql_type, nullable=True):
        self.name = name
        self.type = sql_type
        self.nullable = nullable


class DbObject:
    """A table, view or system table. Virtual objects compute their rows (system objects)."""

    def __init__(self, object_id, schema, name, kind, columns, definition=None, rows=None):
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
            "CREATE TABLE IF NOT EXISTS standin_schema(name TEXT);")
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
            self.objects[key(schema, name)] = DbObject(object_id, schema, name, kind, cols,
                                                       definition)
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

    def create_table(self, name, definitions):
        with self.lock:
            schema = self.require_schema(name.schema)
            self.check_new_name(schema, name.object)
            columns, seen = [], set()
            for position, (column, type_name, args, nullable) in enumerate(definitions, 1):
                if column.casefold() in seen:
                    raise SqlError(2705, 3, 16, "Column names in each table must be unique. "
                                   "Column name '%s' in table '%s' specified more than once."
                                   % (column, name.object))
                seen.add(column.casefold())
                columns.append(Column(column, parse_type(type_name, args, position, column),
                                      nullable))
            obj = DbObject(self._new_id(), schema, name.object, TABLE, columns)
            self.conn.execute("CREATE TABLE %s (%s)" % (obj.store, ", ".join(
                "c%d %s" % (i, c.type.storage) for i, c in enumerate(columns))))
            self._remember(obj)
            return obj

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
        self.objects[key(obj.schema, obj.name)] = obj

    def drop(self, obj):
        with self.lock:
            del self.objects[key(obj.schema, obj.name)]
            if obj.kind == TABLE:
                self.conn.execute("DROP TABLE IF EXISTS %s" % obj.store)
            self.conn.execute("DELETE FROM standin_object WHERE id=?", (obj.id,))
            self.conn.execute("DELETE FROM standin_column WHERE object_id=?", (obj.id,))

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

    # -- rows ---------------------------------------------------------------------------------
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

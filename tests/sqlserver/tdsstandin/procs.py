"""The stored procedures a client calls: sp_rename, sp_tables and the stand-in's own control."""

import re

from . import control, prepared, tokens
from .catalogue import SYSTEM_TABLE, TABLE, VIEW, Column, key
from .errors import SqlError
from .parser import Name
from .results import Source, write_rows
from .sqltypes import MAX, SqlType


def run(engine, display, name, args, more):
    """Runs procedure name (a parser Name) with args [(param or None, Literal)]."""
    proc = (name.object or "").lower()
    if name.database and name.database.casefold() != engine.db.name.casefold():
        raise SqlError(15250, 1, 16, "The database name component of the object qualifier must "
                       "be the name of the current database.")
    if proc == "sp_rename":
        return sp_rename(engine, _named(args, ["@objname", "@newname", "@objtype"]), more)
    if proc == "sp_tables":
        return sp_tables(engine, _named(args, ["@table_name", "@table_owner", "@table_qualifier",
                                               "@table_type", "@fusepattern"]), more)
    if proc == "sp_columns":
        return sp_columns(engine, _named(args, ["@table_name", "@table_owner",
                                                "@table_qualifier", "@column_name",
                                                "@odbcver"]), more)
    if proc == "sp_pkeys":
        return sp_pkeys(engine, _named(args, ["@table_name", "@table_owner",
                                              "@table_qualifier"]), more)
    if proc == "sp_addextendedproperty":
        return sp_addextendedproperty(engine, _named(args, PROPERTY_PARAMETERS), more)
    if proc == "sp_getapplock":
        return sp_getapplock(engine, _named(args, APPLOCK_PARAMETERS), more)
    if proc == "sp_releaseapplock":
        return sp_releaseapplock(engine, _named(args, ["@resource", "@lockowner",
                                                       "@dbprincipal"]), more)
    if proc == control.PROCEDURE:
        return control.run(engine, [lit for _, lit in args], more)
    if proc in prepared.PROCEDURES and engine.session is not None:
        return prepared.run(engine, proc, args)
    raise SqlError(2812, 62, 16, "Could not find stored procedure '%s'." % display)


def _named(args, names):
    """Positional and @named arguments as a dict of text values (None for NULL)."""
    out = dict.fromkeys(names)
    for i, (param, lit) in enumerate(args):
        target = param if param else (names[i] if i < len(names) else None)
        if target not in out:
            raise SqlError(8145, 1, 16, "%s is not a parameter for procedure." % (param or i))
        out[target] = None if lit.kind == "null" else str(lit.value)
    return out


def _finish_proc(engine, status, more, count=None):
    inproc = tokens.DONE_MORE | (tokens.DONE_COUNT if count is not None else 0)
    engine.channel.write(tokens.done(inproc, tokens.CMD_SELECT if count is not None else 0,
                                     count or 0, tokens.DONEINPROC))
    engine.channel.write(tokens.returnstatus(status))
    engine.channel.write(tokens.done(tokens.DONE_MORE if more else tokens.DONE_FINAL,
                                     tokens.CMD_EXECUTE, 0, tokens.DONEPROC))


def parsename(text):
    """An object name as PARSENAME reads it: parts split at dots outside [..] and "..",
    unbracketed parts taken as they stand (blanks included). None when malformed."""
    parts, pos = [], 0
    while True:
        if text.startswith("[", pos) or text.startswith('"', pos):
            close = "]" if text[pos] == "[" else '"'
            end, part = pos + 1, []
            while True:
                i = text.find(close, end)
                if i < 0:
                    return None
                if text.startswith(close * 2, i):
                    part.append(text[end:i + 1])
                    end = i + 2
                    continue
                part.append(text[end:i])
                pos = i + 1
                break
            parts.append("".join(part))
        else:
            i = text.find(".", pos)
            i = len(text) if i < 0 else i
            parts.append(text[pos:i] or None)
            pos = i
        if pos == len(text):
            break
        if text[pos] != "." or len(parts) >= 4:
            return None
        pos += 1
    if not parts[-1]:
        return None
    return Name(parts)


# -- sp_rename ------------------------------------------------------------------------------------
def sp_rename(engine, a, more):
    objname, newname, objtype = a["@objname"], a["@newname"], (a["@objtype"] or "").upper()
    if not newname:
        raise SqlError(15223, 1, 11, "Error: The new name cannot be NULL.", proc="sp_rename")
    name = parsename(objname or "")
    if name is None:
        raise SqlError(15253, 1, 11, "Syntax error parsing SQL identifier '%s'." % objname,
                       proc="sp_rename")
    db = engine.db
    if objtype == "COLUMN":
        obj = db.resolve(Name(name.parts[:-1])) if len(name.parts) > 1 else None
        if obj is None or not obj.is_user or obj.kind != TABLE or \
                name.object.casefold() not in [c.name.casefold() for c in obj.columns]:
            raise SqlError(15248, 1, 11, "Either the parameter @objname is ambiguous or the "
                           "claimed @objtype (COLUMN) is wrong.", proc="sp_rename")
        db.rename_column(obj, name.object, newname)
    else:
        obj = db.resolve(name)
        if obj is None or not obj.is_user:
            if objtype:
                raise SqlError(15248, 1, 11, "Either the parameter @objname is ambiguous or the "
                               "claimed @objtype (%s) is wrong." % objtype, proc="sp_rename")
            raise SqlError(15225, 1, 11, "No item by the name of '%s' could be found in the "
                           "current database '%s', given that @itemtype was input as '(null)'."
                           % (objname, db.name), proc="sp_rename")
        db.rename(obj, newname)
    engine.channel.write(tokens.message(15477, 1, 10, "Caution: Changing any part of an object "
                                        "name could break scripts and stored procedures.",
                                        proc="sp_rename", line=1))
    _finish_proc(engine, 0, more)


# -- extended properties ---------------------------------------------------------------------------
PROPERTY_PARAMETERS = ["@name", "@value", "@level0type", "@level0name", "@level1type",
                       "@level1name", "@level2type", "@level2name"]
PROPERTY_COLUMNS = [Column("objtype", SqlType("nvarchar", 128)),
                    Column("objname", SqlType("nvarchar", 128)),
                    Column("name", SqlType("nvarchar", 128)),
                    Column("value", SqlType("nvarchar", 4000))]   # sql_variant on SQL Server
PROPERTY_VALUE = 3


def _property_target(db, l0type, l0name, l1type, l1name, l2type, l2name):
    """(table, column position or -1) of a property's place, or None where the stand-in has
    no such object: a schema, a table in it, and optionally a column of that table."""
    if (l0type or "").upper() != "SCHEMA" or (l1type or "").upper() != "TABLE" or \
            (l2type or "COLUMN").upper() != "COLUMN" or (l2type is None) != (l2name is None):
        return None
    obj = db.objects.get(key(l0name or "", l1name or ""))
    if obj is None or not obj.is_user or obj.kind != TABLE:
        return None
    if l2name is None:
        return obj, -1
    names = [c.name.casefold() for c in obj.columns]
    return (obj, names.index(l2name.casefold())) if l2name.casefold() in names else None


def sp_addextendedproperty(engine, a, more):
    name, value = a["@name"], a["@value"]
    place = ".".join(a[p] for p in ("@level0name", "@level1name", "@level2name")
                     if a[p] is not None)
    if not name:
        raise SqlError(15600, 1, 15, "An invalid parameter or option was specified for "
                       "procedure 'sp_addextendedproperty'.", proc="sp_addextendedproperty")
    with engine.db.lock:
        target = _property_target(engine.db, *(a[p] for p in PROPERTY_PARAMETERS[2:]))
        if target is None:
            raise SqlError(15135, 8, 16, "Object is invalid. Extended properties are not "
                           "permitted on '%s', or the object does not exist." % place,
                           proc="sp_addextendedproperty", line=37)
        obj, position = target
        if (position, name.casefold()) in obj.properties:
            raise SqlError(15233, 1, 16, "Property cannot be added. Property '%s' already "
                           "exists for '%s'." % (name, place), proc="sp_addextendedproperty",
                           line=37)
        engine.db.add_property(obj, position, name, value)
    _finish_proc(engine, 0, more)


def extended_property_rows(db, args):
    """The rows of fn_listextendedproperty(name, level0type, level0name, level1type,
    level1name, level2type, level2name): NULL (or DEFAULT) for a name lists every one, and
    every object of the level's type."""
    if len(args) != 7:
        raise SqlError(216, 1, 16, "Parameters were not supplied for the function "
                       "'fn_listextendedproperty'.")
    name, l0type, l0name, l1type, l1name, l2type, l2name = args
    if (l0type or "").upper() != "SCHEMA" or (l1type or "").upper() != "TABLE" or \
            (l2type or "COLUMN").upper() != "COLUMN":
        return []
    rows = []
    with db.lock:
        for o in db.sorted_objects():
            if not o.is_user or o.kind != TABLE or \
                    (l0name is not None and o.schema.casefold() != l0name.casefold()) or \
                    (l1name is not None and o.name.casefold() != l1name.casefold()):
                continue
            for (position, _), (prop, value) in sorted(o.properties.items(),
                                                       key=lambda p: p[0][0]):
                if name is not None and prop.casefold() != name.casefold():
                    continue
                if l2type is None:
                    if position < 0:
                        rows.append(("TABLE", o.name, prop, value))
                    continue
                column = o.columns[position].name if position >= 0 else None
                if column is not None and (l2name is None or
                                           column.casefold() == l2name.casefold()):
                    rows.append(("COLUMN", column, prop, value))
    return rows


# -- application locks -----------------------------------------------------------------------------
APPLOCK_PARAMETERS = ["@resource", "@lockmode", "@lockowner", "@locktimeout", "@dbprincipal"]
APPLOCK_MODES = ("shared", "update", "intentshared", "intentexclusive", "exclusive")


def applock_arguments(resource, mode, owner):
    """The resource and mode of a lock request; only session-owned locks are kept (a
    transaction-owned one needs a transaction, which the stand-in does not keep)."""
    if not resource or (mode or "").lower() not in APPLOCK_MODES:
        raise SqlError(50000, 1, 16, "The stand-in takes application locks with @Resource and "
                       "@LockMode (Shared, Update, IntentShared, IntentExclusive, Exclusive).")
    if (owner or "Transaction").lower() != "session":
        raise SqlError(1223, 1, 16, "The stand-in keeps only application locks of "
                       "@LockOwner = 'Session'.")
    return resource, mode.lower()


def sp_getapplock(engine, a, more):
    """Granted at once (0) or not (-1, as after a time-out): the stand-in never waits."""
    resource, mode = applock_arguments(a["@resource"], a["@lockmode"], a["@lockowner"])
    granted = engine.server.take_applock(resource, mode, engine.session.spid)
    _finish_proc(engine, 0 if granted else -1, more)


def sp_releaseapplock(engine, a, more):
    resource, _ = applock_arguments(a["@resource"], "exclusive", a["@lockowner"])
    if not engine.server.release_applock(resource, engine.session.spid):
        raise SqlError(1223, 1, 16, "Cannot release the application lock (Database Principal: "
                       "'public', Resource: '%s') because it is not currently held." % resource)
    _finish_proc(engine, 0, more)


def applock_test(engine, args):
    """APPLOCK_TEST('public', resource, mode, owner): 1 when the lock could be granted."""
    if len(args) != 4:
        raise SqlError(174, 1, 15, "The applock_test function requires 4 argument(s).")
    texts = [None if lit.kind == "null" else str(lit.value) for lit in args]
    resource, mode = applock_arguments(texts[1], texts[2], texts[3])
    with engine.server.lock:
        return 1 if engine.server.applock_free(resource, mode, engine.session.spid) else 0


# -- sp_tables ------------------------------------------------------------------------------------
SP_TABLES_COLUMNS = [Column("TABLE_QUALIFIER", SqlType("nvarchar", 128)),
                     Column("TABLE_OWNER", SqlType("nvarchar", 128)),
                     Column("TABLE_NAME", SqlType("nvarchar", 128)),
                     Column("TABLE_TYPE", SqlType("varchar", 32)),
                     Column("REMARKS", SqlType("varchar", 254))]


def like(pattern):
    """A LIKE pattern (% and _, [..] sets) as a case-insensitive regular expression."""
    if pattern is None:
        return None
    out = []
    i = 0
    while i < len(pattern):
        ch = pattern[i]
        if ch == "%":
            out.append(".*")
        elif ch == "_":
            out.append(".")
        elif ch == "[" and "]" in pattern[i + 1:]:
            end = pattern.index("]", i + 1)
            body = pattern[i + 1:end]
            out.append("[" + ("^" + re.escape(body[1:]) if body.startswith("^")
                              else re.escape(body)) + "]")
            i = end
        else:
            out.append(re.escape(ch))
        i += 1
    return re.compile("".join(out), re.I | re.S)


def sp_tables_rows(db, a):
    name, owner, qualifier, types = (a["@table_name"], a["@table_owner"], a["@table_qualifier"],
                                     a["@table_type"])
    if qualifier == "%" and not name and not owner:
        return [(db.name, None, None, None, None)]
    if owner == "%" and not name and not qualifier:
        return [(None, s, None, None, None) for s in
                sorted({o.schema for o in db.objects.values()}, key=str.casefold)]
    if types == "%" and not name and not owner and not qualifier:
        return [(None, None, None, t, None) for t in (SYSTEM_TABLE, TABLE, VIEW)]
    if qualifier and not like(qualifier).fullmatch(db.name):
        if "%" not in qualifier and "_" not in qualifier:
            raise SqlError(15250, 1, 16, "The database name component of the object qualifier "
                           "must be the name of the current database.")
        return []
    wanted = None
    if types:
        wanted = {t.strip().strip("'\"").upper() for t in types.split(",")}
    name_re, owner_re = like(name or None), like(owner or None)
    rows = []
    with db.lock:
        objects = list(db.objects.values())
    for o in objects:
        if wanted is not None and o.kind not in wanted:
            continue
        if name_re and not name_re.fullmatch(o.name):
            continue
        if owner_re and not owner_re.fullmatch(o.schema):
            continue
        rows.append((db.name, o.schema, o.name, o.kind, None))
    rows.sort(key=lambda r: (r[3], r[0].casefold(), r[1].casefold(), r[2].casefold()))
    return rows


def sp_tables(engine, a, more):
    rows = sp_tables_rows(engine.db, a)
    source = Source(SP_TABLES_COLUMNS, lambda indices: iter([rows]))
    if not write_rows(engine.channel, source.columns, source.chunks(None), None, True,
                      lambda: False, done_token=tokens.DONEINPROC):
        return False
    _finish_proc_after_rows(engine, more)


def _finish_proc_after_rows(engine, more):
    # write_rows closed the rows with DONE(MORE|COUNT); a procedure reply ends like this.
    engine.channel.write(tokens.returnstatus(0))
    engine.channel.write(tokens.done(tokens.DONE_MORE if more else tokens.DONE_FINAL,
                                     tokens.CMD_EXECUTE, 0, tokens.DONEPROC))


# -- sp_pkeys -------------------------------------------------------------------------------------
SP_PKEYS_COLUMNS = [Column("TABLE_QUALIFIER", SqlType("nvarchar", 128)),
                    Column("TABLE_OWNER", SqlType("nvarchar", 128)),
                    Column("TABLE_NAME", SqlType("nvarchar", 128), False),
                    Column("COLUMN_NAME", SqlType("nvarchar", 128), False),
                    Column("KEY_SEQ", SqlType("smallint")),
                    Column("PK_NAME", SqlType("nvarchar", 128))]


def sp_pkeys_rows(db, a):
    name, owner, qualifier = a["@table_name"], a["@table_owner"], a["@table_qualifier"]
    if name is None:
        raise SqlError(201, 4, 16, "Procedure or function 'sp_pkeys' expects parameter "
                       "'@table_name', which was not supplied.", proc="sp_pkeys")
    if qualifier and qualifier.casefold() != db.name.casefold():
        raise SqlError(15250, 1, 16, "The database name component of the object qualifier must "
                       "be the name of the current database.", proc="sp_pkeys")
    rows = []
    with db.lock:
        objects = list(db.objects.values())
    for o in objects:
        if not o.is_user or o.kind != TABLE or o.name.casefold() != name.casefold():
            continue
        if (owner or "dbo").casefold() != o.schema.casefold():
            continue
        for c in o.constraints:
            if c.kind == "PRIMARY KEY":
                rows += [(db.name, o.schema, o.name, o.columns[p].name, i, c.name)
                         for i, p in enumerate(c.positions, 1)]
    rows.sort(key=lambda r: (r[1].casefold(), r[2].casefold(), r[4]))
    return rows


def sp_pkeys(engine, a, more):
    rows = sp_pkeys_rows(engine.db, a)
    if not write_rows(engine.channel, SP_PKEYS_COLUMNS, iter([rows]), None, True,
                      lambda: False, done_token=tokens.DONEINPROC):
        return False
    _finish_proc_after_rows(engine, more)


# -- sp_columns -----------------------------------------------------------------------------------
_SMALLINT, _INT = SqlType("smallint"), SqlType("int")
SP_COLUMNS_COLUMNS = [Column("TABLE_QUALIFIER", SqlType("nvarchar", 128)),
                      Column("TABLE_OWNER", SqlType("nvarchar", 128)),
                      Column("TABLE_NAME", SqlType("nvarchar", 128)),
                      Column("COLUMN_NAME", SqlType("nvarchar", 128)),
                      Column("DATA_TYPE", _SMALLINT), Column("TYPE_NAME", SqlType("nvarchar", 128)),
                      Column("PRECISION", _INT), Column("LENGTH", _INT),
                      Column("SCALE", _SMALLINT), Column("RADIX", _SMALLINT),
                      Column("NULLABLE", _SMALLINT), Column("REMARKS", SqlType("varchar", 254)),
                      Column("COLUMN_DEF", SqlType("nvarchar", 4000)),
                      Column("SQL_DATA_TYPE", _SMALLINT), Column("SQL_DATETIME_SUB", _SMALLINT),
                      Column("CHAR_OCTET_LENGTH", _INT), Column("ORDINAL_POSITION", _INT),
                      Column("IS_NULLABLE", SqlType("varchar", 254)),
                      Column("SS_DATA_TYPE", SqlType("tinyint"))]

# type: (ODBC type, radix, TDS type code nullable, NOT NULL) for sp_columns
_ODBC_TYPES = {"bit": (-7, None, 104, 50), "tinyint": (-6, 10, 38, 48),
               "smallint": (5, 10, 38, 52), "int": (4, 10, 38, 56), "bigint": (-5, 10, 38, 127),
               "real": (7, 10, 109, 59), "float": (6, 10, 109, 62), "money": (3, 10, 110, 60),
               "smallmoney": (3, 10, 110, 122), "decimal": (3, 10, 106, 106),
               "numeric": (2, 10, 108, 108), "datetime": (93, None, 111, 61),
               "smalldatetime": (93, None, 111, 58), "date": (-9, None, 0, 0),
               "time": (-9, None, 0, 0), "datetime2": (-9, None, 0, 0),
               "datetimeoffset": (-9, None, 0, 0), "char": (1, None, 47, 47),
               "varchar": (12, None, 39, 39), "text": (-1, None, 35, 35),
               "nchar": (-8, None, 39, 39), "nvarchar": (-9, None, 39, 39),
               "ntext": (-10, None, 99, 99), "binary": (-2, None, 45, 45),
               "varbinary": (-3, None, 37, 37), "image": (-4, None, 34, 34),
               "uniqueidentifier": (-11, None, 0, 0)}
_FIXED_PRECISION = {"bit": (1, 1), "tinyint": (3, 1), "smallint": (5, 2), "int": (10, 4),
                    "bigint": (19, 8), "real": (7, 4), "float": (15, 8), "money": (19, 21),
                    "smallmoney": (10, 12), "datetime": (23, 16), "smalldatetime": (16, 16),
                    "date": (10, 20), "text": (2147483647, 2147483647),
                    "ntext": (1073741823, 2147483646), "image": (2147483647, 2147483647),
                    "uniqueidentifier": (36, 16)}


def _column_description(t, odbc_version):
    """(DATA_TYPE, PRECISION, LENGTH, SCALE, RADIX, SQL_DATA_TYPE, SQL_DATETIME_SUB,
    CHAR_OCTET_LENGTH) of a column type in sp_columns."""
    n = t.name
    data_type, radix = _ODBC_TYPES[n][:2]
    scale = None
    if n in ("decimal", "numeric"):
        precision, length, scale = t.precision, t.precision + 2, t.scale
    elif n in ("money", "smallmoney"):
        (precision, length), scale = _FIXED_PRECISION[n], 4
    elif n in ("time", "datetime2", "datetimeoffset"):
        precision = {"time": 8, "datetime2": 19, "datetimeoffset": 26}[n] + \
            (t.scale + 1 if t.scale else 0)
        length, scale = 2 * precision, t.scale
    elif n in _FIXED_PRECISION:
        precision, length = _FIXED_PRECISION[n]
        if n in ("tinyint", "smallint", "int", "bigint"):
            scale = 0
        elif n in ("datetime", "smalldatetime"):
            scale = 3 if n == "datetime" else 0
    elif t.length == MAX:
        data_type = {"varchar": -1, "nvarchar": -10, "varbinary": -4}[n]
        precision = length = 2147483647 if n != "nvarchar" else 1073741823
        if n == "nvarchar":
            length = 2147483646
    else:
        precision = t.length
        length = 2 * t.length if t.is_unicode else t.length
    sql_data_type, sub = data_type, None
    if n in ("datetime", "smalldatetime"):
        if odbc_version != 3:
            data_type = 11
        sql_data_type, sub = 9, 3
    octets = length if t.is_unicode or t.is_ansi or n == "date" or \
        n in ("time", "datetime2", "datetimeoffset") else None
    return data_type, precision, length, scale, radix, sql_data_type, sub, octets


def sp_columns_rows(db, a):
    name, owner, qualifier, column = (a["@table_name"], a["@table_owner"],
                                      a["@table_qualifier"], a["@column_name"])
    if name is None:
        raise SqlError(201, 4, 16, "Procedure or function 'sp_columns' expects parameter "
                       "'@table_name', which was not supplied.", proc="sp_columns")
    if qualifier and qualifier.casefold() != db.name.casefold():
        raise SqlError(15250, 1, 16, "The database name component of the object qualifier must "
                       "be the name of the current database.", proc="sp_columns")
    odbc_version = int(a["@odbcver"] or 2)
    name_re, owner_re, column_re = like(name), like(owner or "dbo"), like(column or "%")
    rows = []
    with db.lock:
        objects = [o for o in db.objects.values() if o.is_user]
    for o in sorted(objects, key=lambda o: (o.schema.casefold(), o.name.casefold())):
        if not name_re.fullmatch(o.name) or not owner_re.fullmatch(o.schema):
            continue
        for position, c in enumerate(o.columns, 1):
            if not column_re.fullmatch(c.name):
                continue
            d = _column_description(c.type, odbc_version)
            codes = _ODBC_TYPES[c.type.name]
            type_name = c.type.name + (" identity" if c.identity else "")
            rows.append((db.name, o.schema, o.name, c.name, d[0], type_name, d[1], d[2], d[3],
                         d[4], int(c.nullable), None, None, d[5], d[6], d[7], position,
                         "YES" if c.nullable else "NO", codes[2] if c.nullable else codes[3]))
    return rows


def sp_columns(engine, a, more):
    rows = sp_columns_rows(engine.db, a)
    if not write_rows(engine.channel, SP_COLUMNS_COLUMNS, iter([rows]), None, True,
                      lambda: False, done_token=tokens.DONEINPROC):
        return False
    _finish_proc_after_rows(engine, more)

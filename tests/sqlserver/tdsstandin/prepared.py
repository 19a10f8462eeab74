"""sp_executesql and prepared statements (sp_prepexec, sp_prepare, sp_execute, sp_unprepare):
what the ODBC driver sends for SQLPrepare and SQLExecute."""

import re
import struct

from . import tokens
from .errors import SqlError

_PARAM_DECL = re.compile(r"(@\w+)\s+[^,]+?(?:\([^)]*\))?\s*(?:OUTPUT|OUT)?\s*(?:,|$)", re.I)
PROCEDURES = ("sp_executesql", "sp_prepexec", "sp_prepare", "sp_execute", "sp_unprepare")


def parameter_names(declaration):
    return [m.group(1).lower() for m in _PARAM_DECL.finditer(declaration or "")]


def _bind(declaration, values):
    names = parameter_names(declaration)
    bound = {}
    for i, (param, lit) in enumerate(values):
        name = (param or (names[i] if i < len(names) else "")).lower()
        if not name:
            raise SqlError(8144, 2, 16, "Procedure or function has too many arguments "
                           "specified.")
        bound[name] = lit
    return bound


def _text(lit):
    return None if lit.kind == "null" else str(lit.value)


def returnvalue_int(ordinal, value):
    body = struct.pack("<H", ordinal) + tokens.b_varchar("") + b"\x01"
    body += struct.pack("<IH", 0, 0x0009) + b"\x26\x04\x04" + struct.pack("<i", value)
    return b"\xac" + body


def run(engine, proc, args):
    """Runs one of PROCEDURES; the reply ends with RETURNSTATUS and DONEPROC."""
    statements = engine.session.prepared
    values = [lit for _, lit in args]
    handle = None
    if proc == "sp_executesql":
        sql, declaration, rest = _text(values[0]) if values else "", \
            _text(values[1]) if len(values) > 1 else None, args[2:]
    elif proc in ("sp_prepexec", "sp_prepare"):
        if len(values) < 3:
            raise SqlError(8144, 2, 16, "Procedure or function %s has too few arguments." % proc)
        declaration, sql, rest = _text(values[1]), _text(values[2]) or "", args[3:]
        handle = statements.add(sql, declaration)
    else:
        if not values or values[0].kind != "int" or values[0].value not in statements.items:
            raise SqlError(8179, 1, 16, "Could not find prepared statement with handle %s."
                           % (values[0].value if values else "NULL"))
        handle = values[0].value
        if proc == "sp_unprepare":
            del statements.items[handle]
            return _end(engine, None)
        sql, declaration = statements.items[handle]
        rest = args[1:]
    if proc != "sp_prepare":
        if not engine.run_in_procedure(sql, _bind(declaration, rest)):
            return False
    return _end(engine, handle if proc in ("sp_prepexec", "sp_prepare") else None)


def _end(engine, handle):
    if handle is not None:
        engine.channel.write(returnvalue_int(0, handle))
    engine.channel.write(tokens.returnstatus(0))
    engine.channel.write(tokens.done(tokens.DONE_FINAL, tokens.CMD_EXECUTE, 0, tokens.DONEPROC))


class PreparedStatements:
    """The statements a session prepared, by handle."""

    def __init__(self):
        self.items = {}
        self._next = 1

    def add(self, sql, declaration):
        handle = self._next
        self._next += 1
        self.items[handle] = (sql, declaration)
        return handle

"""The stand-in's own procedure: faults, resets and counters for the tests.

EXEC standin_control 'command [words]' or EXEC standin_control 'command', arg, arg..."""

from . import samples, tokens
from .catalogue import TABLE, Column
from .errors import SqlError
from .faults import Failure
from .parser import Parser
from .results import constant_source, write_rows
from .sqltypes import SqlType

PROCEDURE = "standin_control"

HELP = """\
control commands (send as a statement on any connection, for example
  EXEC standin_control 'drop_after 3'
  EXEC standin_control 'fail', 'INSERT INTO \\[T\\]', 8152, 'String or binary data would be truncated.'):
  reset                      fresh empty database: user tables, views and schemas dropped, faults cleared
  clear                      clear every fault
  refuse_logins on|off|close on: logins fail with error 18456; close: the connection is closed at login
  delay_login MS             answer each login MS milliseconds late
  delay MS [PATTERN]         answer statements (those matching the regular expression PATTERN) MS
                             milliseconds late; an ATTENTION (cancel, time-out) during the delay
                             cancels the statement
  latency MS                 every reply of every connection waits MS milliseconds before it leaves
                             (0: none), as over a network; kept by reset
  drop_after N               answer N more statements, then close the connection that sends the next
                             one without an answer (once; counted over all connections)
  cut_after BYTES [PATTERN]  send only the first BYTES bytes of the reply to the next statement
                             (that matches the regular expression PATTERN), then close its
                             connection, as a network that fails in mid-reply (once)
  fail PATTERN NUMBER TEXT [SEVERITY [TIMES]]
                             statements matching PATTERN (regular expression, case-insensitive) fail
                             with that error number and text (severity 16; every time, or TIMES times)
  lose_rows TABLE N          acknowledge the next N rows inserted into TABLE (or into a table being
                             built under its name, TABLE~tabulex-new-...) without keeping them;
                             they count as inserted
  change_value TABLE         keep the next row inserted into TABLE (or its ~tabulex-new- table)
                             with its first non-NULL value changed
  system_table SCHEMA.NAME   list one more SYSTEM TABLE in the catalogue
  fill TABLE ROWS            append ROWS generated rows to the table TABLE
  status                     one row: open_connections, logins, statements
  log                        the last 1000 statements received: seq, spid, statement
  log_clear                  forget them
Control statements are not counted, logged or delayed and never fail by a fault."""


def _words(args):
    values = [("" if a.kind == "null" else str(a.value)) for a in args]
    if len(values) == 1:
        return values[0].split()
    return values


def _int(words, i, what):
    try:
        return int(words[i])
    except (IndexError, ValueError):
        raise SqlError(50000, 1, 16, "standin_control: %s expects a number" % what)


def run(engine, args, more):
    words = _words(args)
    if not words:
        raise SqlError(50000, 1, 16, "standin_control: no command")
    command = words[0].lower()
    handler = _COMMANDS.get(command)
    if handler is None:
        raise SqlError(50000, 1, 16, "standin_control: unknown command '%s'" % command)
    result = handler(engine.server, words)
    if result is None:
        engine.channel.write(tokens.done(tokens.DONE_MORE if more else tokens.DONE_FINAL))
        return True
    columns, rows = result
    source = constant_source(columns, [])
    return write_rows(engine.channel, source.columns, iter([rows]), None, more, lambda: False)


def _reset(server, words):
    server.db.reset()
    server.faults.clear()
    server.clear_log()


def _clear(server, words):
    server.faults.clear()


def _refuse(server, words):
    mode = words[1].lower() if len(words) > 1 else "on"
    if mode not in ("on", "off", "close"):
        raise SqlError(50000, 1, 16, "standin_control: refuse_logins on|off|close")
    server.faults.refuse_logins = {"on": "error", "off": None, "close": "close"}[mode]


def _delay_login(server, words):
    server.faults.login_delay = _int(words, 1, "delay_login")


def _delay(server, words):
    server.faults.set_delay(_int(words, 1, "delay"), " ".join(words[2:]) or None)


def _latency(server, words):
    server.latency_ms = _int(words, 1, "latency")


def _drop_after(server, words):
    server.faults.drop_after = _int(words, 1, "drop_after")


def _cut_after(server, words):
    server.faults.set_cut(_int(words, 1, "cut_after"), " ".join(words[2:]) or None)


def _fail(server, words):
    if len(words) < 4:
        raise SqlError(50000, 1, 16, "standin_control: fail PATTERN NUMBER TEXT "
                       "[SEVERITY [TIMES]]")
    severity = _int(words, 4, "severity") if len(words) > 4 else 16
    times = _int(words, 5, "times") if len(words) > 5 else None
    server.faults.add_failure(Failure(words[1], _int(words, 2, "fail"), words[3], severity,
                                      times))


def _table_word(words, last):
    """The table name of a row fault: [bracketed] or as written (blanks kept)."""
    text = " ".join(words[1:last]).strip()
    if not text:
        raise SqlError(50000, 1, 16, "standin_control: %s needs a table name" % words[0])
    if text.startswith("["):
        return Parser(text).name().object
    return text


def _lose_rows(server, words):
    count = _int(words, len(words) - 1, "lose_rows")
    server.faults.add_row_fault(_table_word(words, len(words) - 1), lose=count)


def _change_value(server, words):
    server.faults.add_row_fault(_table_word(words, len(words)), change=1)


def _system_table(server, words):
    name = Parser(words[1] if len(words) > 1 else "").name()
    server.db.add_system_table(name.schema or "dbo", name.object)


def _fill(server, words):
    obj = server.db.resolve(Parser(words[1] if len(words) > 1 else "").name())
    if obj is None or obj.kind != TABLE or not obj.is_user:
        raise SqlError(50000, 1, 16, "standin_control: fill needs a user table")
    total = _int(words, 2, "fill")
    start = server.db.count(obj)
    types = [c.type for c in obj.columns]
    batch = 5000
    identity = obj.identity
    with server.db.lock:
        current = identity.current if identity else None
        for first in range(start, start + total, batch):
            last = min(first + batch, start + total)
            rows = [[samples.sample(t, i) for t in types] for i in range(first, last)]
            if identity:
                for row in rows:
                    current = identity.next_value(current)
                    row[identity.position] = current if types[identity.position].storage == \
                        "INTEGER" else str(current)
            server.db.insert(obj, rows)
        if identity and total:
            server.db.set_identity(obj, current)
        for c in obj.constraints:
            c.keys = None   # read again from the table when next needed


def _status(server, words):
    columns = [Column(n, SqlType("int")) for n in ("open_connections", "logins", "statements")]
    return columns, [server.status()]


def _log(server, words):
    columns = [Column("seq", SqlType("int")), Column("spid", SqlType("smallint")),
               Column("statement", SqlType("nvarchar", -1))]
    return columns, server.log_rows()


def _log_clear(server, words):
    server.clear_log()


_COMMANDS = {"reset": _reset, "clear": _clear, "refuse_logins": _refuse,
             "delay_login": _delay_login, "delay": _delay, "latency": _latency, "drop_after": _drop_after,
             "cut_after": _cut_after,
             "fail": _fail, "lose_rows": _lose_rows, "change_value": _change_value,
             "system_table": _system_table, "fill": _fill, "status": _status,
             "log": _log, "log_clear": _log_clear}

"""The listener, the shared server state, and the command line."""

import argparse
import collections
import itertools
import signal
import socket
import sys
import threading
import time

from . import control
from .catalogue import Database
from .engine import Engine
from .errors import SqlError
from .faults import Failure, Faults
from .parser import Parser, parse_batch
from .session import Session

LOG_SIZE = 1000


class Server:
    def __init__(self, options):
        self.options = options
        self.db = Database(options.database, options.file)
        self.faults = Faults()
        self.latency_ms = getattr(options, "latency_ms", 0)
        self.lock = threading.Lock()
        self.open_connections = 0
        self.logins = 0
        self.statements = 0
        self.last_activity = time.monotonic()
        self._log = collections.deque(maxlen=LOG_SIZE)
        self._spids = itertools.count(51)
        self.applocks = {}  # resource (casefolded) -> {spid: mode}, session-owned

    # -- counters and the statement log ---------------------------------------------------------
    def session_started(self):
        with self.lock:
            self.open_connections += 1
            self.last_activity = time.monotonic()
            # Session ids are reused like a real server's: they stay in 51..32767.
            return 51 + (next(self._spids) - 51) % (32767 - 51 + 1)

    def session_ended(self, session):
        with self.lock:
            self.open_connections -= 1
            for resource in list(self.applocks):
                holders = self.applocks[resource]
                holders.pop(session.spid, None)
                if not holders:
                    del self.applocks[resource]
            self.last_activity = time.monotonic()

    def login_succeeded(self):
        with self.lock:
            self.logins += 1

    def statement_received(self, spid, text):
        with self.lock:
            self.statements += 1
            self.last_activity = time.monotonic()
            self._log.append((self.statements, spid, text))

    def status(self):
        with self.lock:
            return (self.open_connections, self.logins, self.statements)

    def log_rows(self):
        with self.lock:
            return list(self._log)

    def clear_log(self):
        with self.lock:
            self._log.clear()

    def idle_for(self):
        with self.lock:
            if self.open_connections:
                return 0.0
            return time.monotonic() - self.last_activity

    # -- application locks (sp_getapplock, APPLOCK_TEST) ------------------------------------------
    def applock_free(self, resource, mode, spid):
        """True when spid could take the lock: held by no other session in a conflicting mode
        (Shared goes with Shared only)."""
        holders = self.applocks.get(resource.casefold(), {})
        return all(s == spid or (m == "shared" and mode == "shared") for s, m in holders.items())

    def take_applock(self, resource, mode, spid):
        with self.lock:
            if not self.applock_free(resource, mode, spid):
                return False
            self.applocks.setdefault(resource.casefold(), {})[spid] = mode
            return True

    def release_applock(self, resource, spid):
        with self.lock:
            holders = self.applocks.get(resource.casefold(), {})
            if holders.pop(spid, None) is None:
                return False
            if not holders:
                del self.applocks[resource.casefold()]
            return True

    # -- listening ----------------------------------------------------------------------------
    def serve_forever(self, listener):
        listener.settimeout(1.0)
        while True:
            try:
                sock, _ = listener.accept()
            except socket.timeout:
                limit = self.options.idle_exit
                if limit and self.idle_for() > limit:
                    return
                continue
            sock.settimeout(None)
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            session = Session(self, sock, self.session_started())
            threading.Thread(target=session.run, daemon=True).start()


class _Discard:
    """A reply channel that throws replies away (seeding at start-up)."""

    def write(self, data):
        pass

    def end_message(self):
        pass

    def attention_arrived(self, timeout=0.0):
        return False


def seed(server, path):
    engine = Engine(server, _Discard(), None)
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if not line.strip() or line.lstrip().startswith("--"):
                continue
            try:
                for stmt in parse_batch(line):
                    engine.execute(stmt, False)
            except SqlError as err:
                sys.exit("%s:%d: %s" % (path, number, err.text))


def apply_fault_options(server, args):
    f = server.faults
    if args.refuse_logins:
        f.refuse_logins = "error"
    f.login_delay = args.delay_login
    if args.delay:
        f.set_delay(args.delay)
    f.drop_after = args.drop_after
    for pattern, number, text in args.fail or []:
        f.add_failure(Failure(pattern, int(number), text))
    for name in args.system_table or []:
        parsed = Parser(name).name()
        server.db.add_system_table(parsed.schema or "dbo", parsed.object)


def parse_args(argv):
    p = argparse.ArgumentParser(
        prog="standin", formatter_class=argparse.RawDescriptionHelpFormatter,
        description="A SQL Server stand-in for the tests: speaks TDS 7.4 to FreeTDS on "
                    "127.0.0.1, keeps its tables in SQLite (in memory unless --file).",
        epilog=control.HELP)
    p.add_argument("--port", type=int, required=True, help="TCP port; 0 picks a free one")
    p.add_argument("--database", default="tabulex", help="the one database (default tabulex)")
    p.add_argument("--user", default="tabulex", help="login name (default tabulex)")
    p.add_argument("--password", default="tabulex", help="password (default tabulex)")
    p.add_argument("--file", help="keep the database in this SQLite file")
    p.add_argument("--refuse-logins", action="store_true", help="every login fails (18456)")
    p.add_argument("--delay-login", type=int, default=0, metavar="MS")
    p.add_argument("--delay", type=int, default=0, metavar="MS", help="answer statements late")
    p.add_argument("--latency-ms", type=int, default=0, metavar="N",
                   help="every reply waits N ms before it leaves, as over a network")
    p.add_argument("--drop-after", type=int, metavar="N",
                   help="close the connection that sends the statement after the first N")
    p.add_argument("--fail", nargs=3, action="append", metavar=("PATTERN", "NUMBER", "TEXT"),
                   help="statements matching PATTERN fail with that error")
    p.add_argument("--system-table", action="append", metavar="SCHEMA.NAME")
    p.add_argument("--seed", metavar="FILE", help="run the statements of FILE (one per line)")
    p.add_argument("--idle-exit", type=float, default=0, metavar="SECONDS",
                   help="exit after this long without any connection")
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    server = Server(args)
    apply_fault_options(server, args)
    if args.seed:
        seed(server, args.seed)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        listener.bind(("127.0.0.1", args.port))
    except OSError as e:
        sys.exit("standin: cannot listen on 127.0.0.1:%d: %s" % (args.port, e.strerror))
    listener.listen(128)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    print("listening on 127.0.0.1:%d" % listener.getsockname()[1], flush=True)
    try:
        server.serve_forever(listener)
    except KeyboardInterrupt:
        pass
    finally:
        listener.close()

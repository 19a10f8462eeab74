"""One client connection: handshake, then requests until the client goes away."""

import re
import struct
import sys
import time
import traceback

from . import framing, login, prepared, procs, rpc, tokens
from .engine import Engine
from .errors import SqlError
from .framing import ConnectionClosed
from .parser import Parser

_CONTROL = re.compile(r"\s*(?:EXEC(?:UTE)?\s+)?standin_control\b", re.I)


class Session:
    def __init__(self, server, sock, spid):
        self.server = server
        self.spid = spid
        self.channel = framing.Channel(sock, spid, lambda: server.latency_ms)
        self.engine = Engine(server, self.channel, self)
        self.user = None
        self.prepared = prepared.PreparedStatements()
        self.tds_version = 0x74000004

    def run(self):
        try:
            if self.handshake():
                self.serve()
        except ConnectionClosed:
            pass
        except Exception:  # a bug in the stand-in: say so, drop this connection only
            traceback.print_exc(file=sys.stderr)
        finally:
            self.channel.close()
            self.server.session_ended(self)

    # -- login --------------------------------------------------------------------------------
    def handshake(self):
        ptype, payload = self.channel.read_message()
        if ptype == framing.PRELOGIN:
            self.channel.send_message(login.prelogin_reply())
            ptype, payload = self.channel.read_message()
        if ptype != framing.LOGIN7:
            return False
        faults = self.server.faults
        if faults.login_delay:
            time.sleep(faults.login_delay / 1000.0)
        if faults.refuse_logins == "close":
            return False
        request = login.parse_login7(payload)
        opts = self.server.options
        database = request.database or opts.database
        known_db = database.casefold() == opts.database.casefold()
        accepted = (request.user.casefold() == opts.user.casefold() and
                    request.password == opts.password and known_db and
                    faults.refuse_logins is None)
        if not accepted:
            self.channel.send_message(login.failure_tokens(request, not known_db))
            return False
        size = min(max(request.packet_size or 4096, 512), 32767)
        self.channel.send_message(login.success_tokens(self.server.db.name, size))
        self.channel.packet_size = size
        self.user = request.user
        self.tds_version = request.tds_version
        self.server.login_succeeded()
        return True

    # -- requests -----------------------------------------------------------------------------
    def serve(self):
        while True:
            ptype, payload = self.channel.read_message()
            if ptype == framing.SQL_BATCH:
                self.batch(_batch_text(payload, self.tds_version >= 0x72000000))
            elif ptype == framing.RPC:
                self.remote_call(payload)
            elif ptype == framing.ATTENTION:
                self.channel.send_message(tokens.done(tokens.DONE_ATTN, tokens.CMD_ATTENTION))
            elif ptype == framing.TRANSACTION:
                self.channel.send_message(tokens.done(tokens.DONE_FINAL))
            else:
                return

    def batch(self, sql):
        if _CONTROL.match(sql):
            self.engine.run_batch(sql)
            return
        if self.faulted(sql):
            return
        self.engine.run_batch(sql)

    def remote_call(self, payload):
        try:
            name, args = rpc.parse(payload)
        except SqlError as err:
            self.write_failure(err)
            return
        text = "%s %s" % (name, ", ".join("%s=%r" % (p, lit.value) for p, lit in args))
        if name.lower() != "standin_control" and self.faulted(text.strip()):
            return
        try:
            procs.run(self.engine, name, Parser(name).name(),
                      [(None if p is None else p.lower(), lit) for p, lit in args], False)
        except SqlError as err:
            self.channel.write(tokens.error_tokens(err))
            self.channel.write(tokens.done(tokens.DONE_ERROR, 0, 0, tokens.DONEPROC))
        self.channel.end_message()

    def write_failure(self, err):
        self.channel.write(tokens.error_tokens(err))
        self.channel.write(tokens.done(tokens.DONE_ERROR))
        self.channel.end_message()

    def faulted(self, text):
        """Applies the faults to a statement; True when they answered it (or dropped us)."""
        self.server.statement_received(self.spid, text)
        plan = self.server.faults.plan(text)
        if plan.drop:
            raise ConnectionClosed("dropped by a fault")
        if plan.delay and self.channel.attention_arrived(plan.delay / 1000.0):
            self.channel.send_message(tokens.done(tokens.DONE_ATTN, tokens.CMD_ATTENTION))
            return True
        if plan.error:
            self.write_failure(plan.error)
            return True
        self.channel.cut_after = plan.cut
        return False


def _batch_text(payload, has_headers):
    """The statement text of a SQL batch (TDS 7.2 and later put ALL_HEADERS first)."""
    if has_headers and len(payload) >= 4:
        total = struct.unpack_from("<I", payload)[0]
        if 4 <= total <= len(payload):
            payload = payload[total:]
    return payload.decode("utf-16-le", "surrogatepass")

"""TDS packets: reading requests (reassembled up to end of message) and writing replies."""

import select
import socket
import time
import struct

HEADER = struct.Struct(">BBHHBB")
HEADER_SIZE = 8

SQL_BATCH = 0x01
RPC = 0x03
REPLY = 0x04
ATTENTION = 0x06
TRANSACTION = 0x0E
LOGIN7 = 0x10
PRELOGIN = 0x12

STATUS_EOM = 0x01


class ConnectionClosed(Exception):
    """The client went away (or the server decided to drop it)."""


class Channel:
    """One client socket: message reassembly on the way in, packet framing on the way out."""

    def __init__(self, sock, spid, latency=lambda: 0):
        self.sock = sock
        self.spid = spid
        self._latency = latency  # milliseconds each reply waits before its first byte
        self._reply_started = False
        self.packet_size = 4096
        self._inbuf = bytearray()
        self._pending = []  # whole messages read ahead while looking for ATTENTION
        self._packet_id = 1
        self._out = bytearray()  # reply bytes not yet framed
        self.cut_after = None  # bytes of the current reply to send before the connection ends

    # -- reading ------------------------------------------------------------------------
    def _fill(self, need):
        while len(self._inbuf) < need:
            try:
                chunk = self.sock.recv(max(65536, need - len(self._inbuf)))
            except OSError as e:
                raise ConnectionClosed(str(e))
            if not chunk:
                raise ConnectionClosed("client closed the connection")
            self._inbuf += chunk

    def _read_packet(self):
        self._fill(HEADER_SIZE)
        ptype, status, length, _spid, _pid, _win = HEADER.unpack_from(self._inbuf)
        if length < HEADER_SIZE:
            raise ConnectionClosed("bad packet length %d" % length)
        self._fill(length)
        payload = bytes(self._inbuf[HEADER_SIZE:length])
        del self._inbuf[:length]
        return ptype, status, payload

    def _read_raw_message(self):
        ptype, status, payload = self._read_packet()
        if status & STATUS_EOM:
            return ptype, payload
        parts = [payload]
        while True:
            ptype2, status, payload = self._read_packet()
            if ptype2 == ATTENTION:
                # A cancel while the request was still arriving: the request is void.
                return ATTENTION, b""
            parts.append(payload)
            if status & STATUS_EOM:
                return ptype, b"".join(parts)

    def read_message(self):
        """The next whole request: (packet type, payload)."""
        if self._pending:
            return self._pending.pop(0)
        return self._read_raw_message()

    def attention_arrived(self, timeout=0.0):
        """True when the client has sent ATTENTION (waiting up to timeout seconds for it).
        Other messages read meanwhile are kept for read_message."""
        if any(m[0] == ATTENTION for m in self._pending):
            self._pending = [m for m in self._pending if m[0] != ATTENTION]
            return True
        while True:
            if len(self._inbuf) < HEADER_SIZE:
                try:
                    ready, _, _ = select.select([self.sock], [], [], timeout)
                except (OSError, ValueError) as e:
                    raise ConnectionClosed(str(e))
                if not ready:
                    return False
            msg = self._read_raw_message()
            if msg[0] == ATTENTION:
                return True
            self._pending.append(msg)
            timeout = 0.0

    # -- writing ------------------------------------------------------------------------
    def write(self, data):
        """Adds reply bytes; full packets go out once enough has gathered."""
        self._out += data
        if len(self._out) >= 65536:
            self._flush(final=False)

    def _flush(self, final):
        body = self.packet_size - HEADER_SIZE
        out = self._out
        n = len(out)
        whole = n if final else n - n % body
        if whole == 0 and not final:
            return
        frames = bytearray()
        pos = 0
        while pos < whole or (final and pos == 0 and n == 0):
            chunk = out[pos:pos + body]
            pos += len(chunk)
            last = final and pos >= n
            frames += HEADER.pack(REPLY, STATUS_EOM if last else 0, len(chunk) + HEADER_SIZE,
                                  self.spid, self._packet_id, 0)
            frames += chunk
            self._packet_id = (self._packet_id + 1) & 0xFF
            if last:
                break
        del out[:pos]
        if not self._reply_started:
            self._reply_started = True
            delay = self._latency()
            if delay:
                time.sleep(delay / 1000.0)
        if final:
            self._reply_started = False
        if self.cut_after is not None:
            if len(frames) >= self.cut_after:
                self._send(frames[:self.cut_after])
                raise ConnectionClosed("reply cut by a fault")
            self.cut_after -= len(frames)
            if final:
                self.cut_after = None
        self._send(frames)

    def end_message(self):
        """Sends everything written so far as the end of the reply."""
        self._flush(final=True)

    def send_message(self, payload):
        self._out += payload
        self._flush(final=True)

    def _send(self, data):
        try:
            self.sock.sendall(data)
        except OSError as e:
            raise ConnectionClosed(str(e))

    def close(self):
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.sock.close()

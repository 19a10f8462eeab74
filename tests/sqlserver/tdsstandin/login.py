"""PRELOGIN and LOGIN7: the handshake of a TDS 7.4 client without encryption."""

import struct

from . import tokens

ENCRYPT_NOT_SUP = 0x02


def prelogin_reply():
    options = [(0, bytes([16, 0, 0x10, 0x27, 0, 0])), (1, bytes([ENCRYPT_NOT_SUP])),
               (2, b"\x00"), (3, b""), (4, b"\x00")]
    offset = len(options) * 5 + 1
    table, data = bytearray(), bytearray()
    for token, value in options:
        table += struct.pack(">BHH", token, offset + len(data), len(value))
        data += value
    return bytes(table) + b"\xff" + bytes(data)


class Login:
    def __init__(self, user, password, database, app, host, packet_size, tds_version):
        self.tds_version = tds_version
        self.user = user
        self.password = password
        self.database = database
        self.app = app
        self.host = host
        self.packet_size = packet_size


def _field(payload, at):
    offset, length = struct.unpack_from("<HH", payload, at)
    return payload[offset:offset + length * 2]


def decode_password(raw):
    out = bytes(((b ^ 0xA5) << 4 & 0xF0) | ((b ^ 0xA5) >> 4) for b in raw)
    return out.decode("utf-16-le", "replace")


def parse_login7(payload):
    if len(payload) < 94:
        raise ValueError("short LOGIN7")
    tds_version, packet_size = struct.unpack_from("<II", payload, 4)
    text = lambda at: _field(payload, at).decode("utf-16-le", "replace")  # noqa: E731
    return Login(user=text(40), password=decode_password(_field(payload, 44)),
                 database=text(68), app=text(48), host=text(36), packet_size=packet_size,
                 tds_version=tds_version)


def failure_tokens(login, database_missing):
    out = b""
    if database_missing:
        out += tokens.message(4060, 1, 11, 'Cannot open database "%s" requested by the login. '
                              'The login failed.' % login.database)
    out += tokens.message(18456, 1, 14, "Login failed for user '%s'." % login.user)
    return out + tokens.done(tokens.DONE_ERROR)


def success_tokens(database, packet_size):
    return b"".join([
        tokens.envchange_text(tokens.ENV_DATABASE, database, "master"),
        tokens.message(5701, 2, 0, "Changed database context to '%s'." % database),
        tokens.envchange_bytes(tokens.ENV_COLLATION, tokens.COLLATION, b""),
        tokens.envchange_text(tokens.ENV_LANGUAGE, "us_english", ""),
        tokens.message(5703, 1, 0, "Changed language setting to us_english."),
        tokens.loginack(),
        tokens.envchange_text(tokens.ENV_PACKET_SIZE, str(packet_size), str(packet_size)),
        tokens.done(tokens.DONE_FINAL),
    ])

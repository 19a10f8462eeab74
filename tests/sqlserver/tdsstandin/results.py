"""Writing result sets: COLMETADATA, ROW tokens in bulk, and the closing DONE."""

from operator import call

from . import tokens
from .catalogue import Column
from .convert import convert
from .sqltypes import SqlType

ROW = b"\xd1"


class Source:
    """Columns and a function giving row chunks for chosen column positions."""

    def __init__(self, columns, chunks, obj=None):
        self.columns = columns
        self.chunks = chunks
        self.obj = obj
        self.variant = set()    # positions of sql_variant columns, which must be cast


def constant_source(columns, row):
    return Source(columns, lambda indices: iter([[tuple(row[i] for i in indices)]]))


def literal_column(name, lit):
    """A result column and stored value for a constant in a select list."""
    kind = lit.kind
    if kind == "varchar":
        t = SqlType("varchar", max(1, len(lit.value)))
    elif kind == "nvarchar":
        t = SqlType("nvarchar", max(1, len(lit.value)))
    elif kind == "varbinary":
        t = SqlType("varbinary", max(1, len(lit.value)))
    elif kind == "float":
        t = SqlType("float", precision=53)
    elif kind == "numeric":
        digits = lit.value.lstrip("-+")
        scale = len(digits.split(".")[1]) if "." in digits else 0
        precision = max(len(digits.replace(".", "").lstrip("0")), scale, 1)
        t = SqlType("numeric", precision=precision, scale=scale)
    elif kind == "int" and not -2**31 <= lit.value < 2**31:
        t = SqlType("numeric", precision=max(len(str(abs(lit.value))), 1), scale=0)
    else:
        t = SqlType("int")
    return Column(name or "", t, kind == "null"), convert(lit, t)


def write_rows(channel, columns, chunks, top, more, attention_check, table_parts=("dbo", "t"),
               done_token=tokens.DONE):
    """Streams a result set. Returns False when the client cancelled it (ATTENTION)."""
    channel.write(tokens.colmetadata(columns, table_parts))
    encoders = [c.type.encoder(c.nullable) for c in columns]
    count = 0
    join = b"".join
    for chunk in chunks:
        if top is not None and count + len(chunk) > top:
            chunk = chunk[:top - count]
        if len(encoders) == 1:
            enc = encoders[0]
            data = join([ROW + enc(row[0]) for row in chunk])
        else:
            data = join([ROW + join(map(call, encoders, row)) for row in chunk])
        channel.write(data)
        count += len(chunk)
        if top is not None and count >= top:
            break
        if attention_check():
            channel.write(tokens.done(tokens.DONE_ATTN, tokens.CMD_ATTENTION, 0))
            return False
    status = tokens.DONE_COUNT | (tokens.DONE_MORE if more else 0)
    channel.write(tokens.done(status, tokens.CMD_SELECT, count, done_token))
    return True

"""T-SQL tokens: names (bare, [bracketed] with ]] inside, "quoted"), literals, punctuation.

Quoted forms end at a quote not followed by another; possessive repeats of groups are avoided
because Python 3.11's re module mishandles them (CPython issue 101955)."""

import re

from .errors import SqlError, syntax_error

_TOKEN = re.compile(r"""
  (?P<ws>\s+|--[^\n]*|/\*.*?\*/)
| (?P<nstr>[Nn]'[^']*+(?:''[^']*+)*'(?!'))
| (?P<str>'[^']*+(?:''[^']*+)*'(?!'))
| (?P<bin>0[xX][0-9A-Fa-f]*)
| (?P<num>(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?)
| (?P<br>\[[^\]]*+(?:\]\][^\]]*+)*\](?!\]))
| (?P<dq>"[^"]*+(?:""[^"]*+)*"(?!"))
| (?P<var>@@?[\w@#$]+)
| (?P<ident>[^\W\d][\w@#$]*|\#[\w@#$]+)
| (?P<op>[(),;.*=+\-/<>!%])
""", re.X | re.S)


class Token:
    __slots__ = ("kind", "value", "text")

    def __init__(self, kind, value, text):
        self.kind = kind    # ident, qident, str, nstr, num, bin, var, op, end
        self.value = value
        self.text = text

    def is_word(self, *words):
        return self.kind == "ident" and self.value.upper() in words

    def is_op(self, op):
        return self.kind == "op" and self.value == op

    def __repr__(self):
        return "Token(%s, %r)" % (self.kind, self.value)


END = Token("end", None, "")


def tokenize(sql):
    tokens = []
    pos, n = 0, len(sql)
    match = _TOKEN.match
    while pos < n:
        m = match(sql, pos)
        if not m:
            ch = sql[pos]
            if ch == "'" or (ch in "Nn" and sql.startswith("'", pos + 1)):
                start = pos + (2 if ch != "'" else 1)
                raise SqlError(105, 1, 15, "Unclosed quotation mark after the character string "
                               "'%s'." % sql[start:])
            if ch in '["':
                raise SqlError(105, 1, 15, "Unclosed quotation mark after the character string "
                               "'%s'." % sql[pos + 1:])
            raise syntax_error(ch)
        kind = m.lastgroup
        text = m.group()
        pos = m.end()
        if kind == "ws":
            continue
        if kind == "str":
            tokens.append(Token("str", text[1:-1].replace("''", "'"), text))
        elif kind == "nstr":
            tokens.append(Token("nstr", text[2:-1].replace("''", "'"), text))
        elif kind == "br":
            tokens.append(Token("qident", text[1:-1].replace("]]", "]"), text))
        elif kind == "dq":
            tokens.append(Token("qident", text[1:-1].replace('""', '"'), text))
        elif kind == "bin":
            hexdigits = text[2:]
            if len(hexdigits) % 2:
                hexdigits = "0" + hexdigits
            tokens.append(Token("bin", bytes.fromhex(hexdigits), text))
        else:
            tokens.append(Token(kind, text, text))
    return tokens

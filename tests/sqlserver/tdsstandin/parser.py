"""Statements of a batch, parsed into small records the engine runs."""

from .convert import NULL, Literal
from .errors import SqlError, syntax_error
from .lexer import END, tokenize


class Stmt:
    def __init__(self, kind, **fields):
        self.kind = kind
        self.__dict__.update(fields)


class Name:
    """A multi-part name: parts from left (database, schema, object); None for an empty part."""

    def __init__(self, parts):
        self.parts = parts

    @property
    def object(self):
        return self.parts[-1]

    @property
    def schema(self):
        return self.parts[-2] if len(self.parts) >= 2 else None

    @property
    def database(self):
        return self.parts[-3] if len(self.parts) >= 3 else None

    def __str__(self):
        # SQL Server's messages show names as written, without brackets.
        return ".".join(p or "" for p in self.parts)


STATEMENT_WORDS = ("CREATE", "DROP", "INSERT", "SELECT", "EXEC", "EXECUTE", "USE", "SET")


class Parser:
    def __init__(self, sql, variables=None):
        self.sql = sql
        self.variables = variables or {}
        self.tokens = tokenize(sql)
        self.pos = 0

    # -- token helpers ------------------------------------------------------------------------
    def peek(self, ahead=0):
        i = self.pos + ahead
        return self.tokens[i] if i < len(self.tokens) else END

    def next(self):
        tok = self.peek()
        self.pos += 1
        return tok

    def fail(self, tok=None):
        tok = tok or self.peek()
        if tok is END:
            prev = self.tokens[-1] if self.tokens else END
            return syntax_error(prev.text)
        return syntax_error(tok.text)

    def word(self, *words):
        if self.peek().is_word(*words):
            return self.next().value.upper()
        return None

    def expect_word(self, *words):
        w = self.word(*words)
        if w is None:
            raise self.fail()
        return w

    def op(self, op):
        if self.peek().is_op(op):
            self.pos += 1
            return True
        return False

    def expect_op(self, op):
        if not self.op(op):
            raise self.fail()

    def identifier(self):
        tok = self.peek()
        if tok.kind not in ("ident", "qident"):
            raise self.fail()
        self.pos += 1
        if len(tok.value) > 128:
            raise SqlError(103, 4, 15, "The identifier that starts with '%s' is too long. "
                           "Maximum length is 128." % tok.value[:128])
        return tok.value

    def name(self):
        parts = [self.identifier()]
        while self.peek().is_op("."):
            self.pos += 1
            if self.peek().is_op("."):
                parts.append(None)
                continue
            parts.append(self.identifier())
        if len(parts) > 4:
            raise self.fail()
        return Name(parts)

    def number(self):
        tok = self.next()
        if tok.kind != "num" or not tok.value.isdigit():
            raise self.fail(tok)
        return int(tok.value)

    def variable(self, name):
        lit = self.variables.get(name.lower())
        if lit is None:
            raise SqlError(137, 2, 15, 'Must declare the scalar variable "%s".' % name)
        return lit

    def literal(self):
        tok = self.next()
        if tok.kind == "str":
            return Literal("varchar", tok.value)
        if tok.kind == "nstr":
            return Literal("nvarchar", tok.value)
        if tok.kind == "bin":
            return Literal("varbinary", tok.value)
        if tok.is_word("NULL"):
            return NULL
        if tok.kind == "var":
            return self.variable(tok.value)
        sign = ""
        if tok.is_op("-") or tok.is_op("+"):
            sign = "-" if tok.value == "-" else ""
            tok = self.next()
        if tok.kind != "num":
            raise self.fail(tok)
        return number_literal(sign + tok.value)

    # -- batch --------------------------------------------------------------------------------
    def batch(self):
        statements = []
        while self.peek() is not END:
            if self.op(";"):
                continue
            start = self.pos
            stmt = self.statement(first=not statements)
            stmt.text = self.sql_between(start, self.pos)
            statements.append(stmt)
        return statements

    def sql_between(self, start, end):
        return " ".join(t.text for t in self.tokens[start:end])

    def statement(self, first):
        tok = self.peek()
        if tok.is_word("CREATE"):
            return self.create()
        if tok.is_word("DROP"):
            return self.drop()
        if tok.is_word("INSERT"):
            return self.insert()
        if tok.is_word("SELECT"):
            return self.select()
        if tok.is_word("EXEC", "EXECUTE"):
            self.pos += 1
            return self.execute()
        if tok.is_word("USE"):
            self.pos += 1
            return Stmt("use", database=self.identifier())
        if tok.is_word("SET"):
            return self.set_option()
        if first and tok.kind in ("ident", "qident"):
            return self.execute()   # a procedure name alone at the start of a batch
        raise self.fail()

    def set_option(self):
        self.pos += 1
        if self.word("IDENTITY_INSERT"):
            name = self.name()
            on = self.expect_word("ON", "OFF") == "ON"
            return Stmt("identity_insert", name=name, on=on)
        while self.peek() is not END and not self.peek().is_op(";"):
            if self.peek().kind == "ident" and self.peek().value.upper() in STATEMENT_WORDS:
                break
            self.pos += 1
        return Stmt("set")

    # -- DDL ----------------------------------------------------------------------------------
    def create(self):
        self.pos += 1
        what = self.expect_word("TABLE", "VIEW", "SCHEMA")
        if what == "SCHEMA":
            return Stmt("create_schema", name=self.identifier())
        name = self.name()
        if what == "VIEW":
            self.expect_word("AS")
            start = self.pos
            if not self.peek().is_word("SELECT"):
                raise self.fail()
            select = self.select()
            return Stmt("create_view", name=name, select=select,
                        definition=self.sql_between(start, self.pos))
        self.expect_op("(")
        columns, constraints = [], []
        while True:
            if self.peek().is_word("CONSTRAINT", "PRIMARY", "UNIQUE"):
                constraints.append(self.table_constraint())
            else:
                columns.append(self.column_definition(constraints))
            if not self.op(","):
                break
        self.expect_op(")")
        return Stmt("create_table", name=name, columns=columns, constraints=constraints)

    def column_definition(self, constraints):
        """(name, type, args, nullable, identity): nullable None when the column does not
        say; identity (seed, increment) or None. Column constraints go to constraints."""
        column = self.identifier()
        type_name = self.identifier()
        if type_name.upper() == "DOUBLE" and self.word("PRECISION"):
            type_name = "double precision"
        args = []
        if self.op("("):
            while True:
                if self.word("MAX"):
                    args.append("max")
                else:
                    args.append(self.number())
                if not self.op(","):
                    break
            self.expect_op(")")
        nullable = identity = None
        while True:
            if self.word("NOT"):
                self.expect_word("NULL")
                nullable = False
            elif self.word("NULL"):
                nullable = True
            elif self.word("IDENTITY"):
                identity = (1, 1)
                if self.op("("):
                    seed = self.signed_number()
                    self.expect_op(",")
                    identity = (seed, self.signed_number())
                    self.expect_op(")")
            elif self.peek().is_word("CONSTRAINT", "PRIMARY", "UNIQUE"):
                constraint_name = self.identifier() if self.word("CONSTRAINT") else None
                kind = self.key_kind()
                constraints.append((kind, constraint_name, [column]))
            else:
                return (column, type_name, args, nullable, identity)

    def key_kind(self):
        if self.word("PRIMARY"):
            self.expect_word("KEY")
            kind = "PRIMARY KEY"
        else:
            self.expect_word("UNIQUE")
            kind = "UNIQUE"
        self.word("CLUSTERED", "NONCLUSTERED")
        return kind

    def table_constraint(self):
        """[CONSTRAINT name] PRIMARY KEY|UNIQUE [CLUSTERED|NONCLUSTERED] (col [ASC|DESC], ...)"""
        name = self.identifier() if self.word("CONSTRAINT") else None
        kind = self.key_kind()
        self.expect_op("(")
        columns = []
        while True:
            columns.append(self.identifier())
            self.word("ASC", "DESC")
            if not self.op(","):
                break
        self.expect_op(")")
        return (kind, name, columns)

    def signed_number(self):
        sign = -1 if self.op("-") else 1
        return sign * self.number()

    def drop(self):
        self.pos += 1
        what = self.expect_word("TABLE", "VIEW", "SCHEMA")
        if_exists = False
        if self.peek().is_word("IF") and self.peek(1).is_word("EXISTS"):
            self.pos += 2
            if_exists = True
        names = [self.name()]
        while self.op(","):
            names.append(self.name())
        return Stmt("drop", what=what, names=names, if_exists=if_exists)

    # -- DML ----------------------------------------------------------------------------------
    def insert(self):
        self.pos += 1
        self.word("INTO")
        name = self.name()
        columns = None
        if self.op("("):
            columns = [self.identifier()]
            while self.op(","):
                columns.append(self.identifier())
            self.expect_op(")")
        self.expect_word("VALUES")
        rows = [self.value_row()]
        while self.op(","):
            rows.append(self.value_row())
        return Stmt("insert", name=name, columns=columns, rows=rows)

    def value_row(self):
        self.expect_op("(")
        values = [self.value()]
        while self.op(","):
            values.append(self.value())
        self.expect_op(")")
        return values

    def value(self):
        """A literal, or text joined with + from literals and NCHAR(n) / CHAR(n)."""
        first = self.text_part()
        lit = first if first is not None else self.literal()
        if not lit.is_text or not self.peek().is_op("+"):
            return lit
        parts, national = [lit.value], lit.kind == "nvarchar"
        while self.op("+"):
            part = self.text_part()
            if part is None:
                part = self.literal()
                if not part.is_text:
                    raise self.fail()
            parts.append(part.value)
            national = national or part.kind == "nvarchar"
        return Literal("nvarchar" if national else "varchar", "".join(parts))

    def text_part(self):
        """NCHAR(n) or CHAR(n) as a one-character literal, else None (nothing read)."""
        tok = self.peek()
        if not (tok.is_word("NCHAR", "CHAR") and self.peek(1).is_op("(")):
            return None
        self.pos += 2
        code = self.number()
        self.expect_op(")")
        if tok.is_word("NCHAR"):
            if code > 0xFFFF:
                return NULL
            return Literal("nvarchar", chr(code))
        if code > 255:
            return NULL
        return Literal("varchar", bytes([code]).decode("cp1252", "replace"))

    def select(self):
        self.pos += 1
        top = None
        if self.word("TOP"):
            if self.op("("):
                top = self.number()
                self.expect_op(")")
            else:
                top = self.number()
        items = [self.select_item()]
        while self.op(","):
            items.append(self.select_item())
        source = arguments = None
        if self.word("FROM"):
            source = self.name()
            if self.op("("):
                arguments = self.function_arguments()
        return Stmt("select", top=top, items=items, source=source, arguments=arguments)

    def function_arguments(self):
        """The literals (DEFAULT as NULL) of a table function's call, after its "(" ."""
        args = []
        if self.op(")"):
            return args
        while True:
            args.append(NULL if self.word("DEFAULT") else self.literal())
            if not self.op(","):
                break
        self.expect_op(")")
        return args

    def select_item(self):
        tok = self.peek()
        if tok.is_op("*"):
            self.pos += 1
            return ("star", None, None)
        if tok.is_word("COUNT") and self.peek(1).is_op("("):
            self.pos += 2
            self.expect_op("*")
            self.expect_op(")")
            return ("count", None, self.alias())
        if tok.is_word("IDENT_CURRENT") and self.peek(1).is_op("("):
            self.pos += 2
            table = self.literal()
            self.expect_op(")")
            return ("ident_current", table, self.alias())
        if tok.is_word("APPLOCK_TEST") and self.peek(1).is_op("("):
            self.pos += 2
            args = [self.literal()]
            while self.op(","):
                args.append(self.literal())
            self.expect_op(")")
            return ("applock_test", args, self.alias())
        if tok.is_word("CAST") and self.peek(1).is_op("("):
            self.pos += 2
            column = self.name().object
            self.expect_word("AS")
            type_name = self.identifier()
            args = []
            if self.op("("):
                args.append("max" if self.word("MAX") else self.number())
                self.expect_op(")")
            self.expect_op(")")
            return ("cast", (column, type_name, args), self.alias() or "")
        if tok.kind == "var":
            self.pos += 1
            if tok.value.lower() in self.variables:
                return ("literal", self.variable(tok.value), self.alias())
            return ("var", tok.value.upper(), self.alias())
        if tok.kind in ("ident", "qident"):
            name = self.name()
            return ("column", name.object, self.alias() or name.object)
        return ("literal", self.literal(), self.alias())

    def alias(self):
        if self.word("AS"):
            return self.identifier()
        if self.peek().kind == "qident":
            return self.identifier()
        return None

    def execute(self):
        proc = self.name()
        args = []
        if self.peek() is END or self.peek().is_op(";"):
            return Stmt("exec", proc=proc, args=args)
        while True:
            param = None
            if self.peek().kind == "var" and self.peek(1).is_op("="):
                param = self.next().value
                self.pos += 1
            args.append((param, self.literal()))
            if not self.op(","):
                break
        return Stmt("exec", proc=proc, args=args)


def number_literal(text):
    if "e" in text.lower():
        return Literal("float", float(text))
    if "." in text:
        return Literal("numeric", text)
    return Literal("int", int(text))


def parse_batch(sql, variables=None):
    return Parser(sql, variables).batch()

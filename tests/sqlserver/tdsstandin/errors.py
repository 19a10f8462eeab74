"""The one error type of the stand-in: a SQL Server message that fails a statement."""


class SqlError(Exception):
    """A server message with SQL Server's number, state, class (severity) and text."""

    def __init__(self, number, state, severity, text, proc="", line=1, terminated=False):
        super().__init__(text)
        self.number = number
        self.state = state
        self.severity = severity
        self.text = text
        self.proc = proc
        self.line = line
        # SQL Server follows some failures with "The statement has been terminated."
        self.terminated = terminated


def syntax_error(near):
    return SqlError(102, 1, 15, "Incorrect syntax near '%s'." % near)


def invalid_object(name):
    return SqlError(208, 1, 16, "Invalid object name '%s'." % name)


def invalid_column(name):
    return SqlError(207, 1, 16, "Invalid column name '%s'." % name)

"""Faults for the reliability tests, set at start-up or by the control procedure."""

import re
import threading

from .errors import SqlError


class Failure:
    def __init__(self, pattern, number, text, severity=16, times=None):
        self.pattern = re.compile(pattern, re.I | re.S)
        self.number = number
        self.text = text
        self.severity = severity
        self.times = times


class Plan:
    """What happens to one statement: delay (ms), drop the connection, fail, or cut the
    reply after some bytes and close the connection."""

    def __init__(self, delay=0, drop=False, error=None, cut=None):
        self.delay = delay
        self.drop = drop
        self.error = error
        self.cut = cut


class Faults:
    def __init__(self):
        self.lock = threading.Lock()
        self.clear()

    def clear(self):
        self.refuse_logins = None   # None, "error" or "close"
        self.login_delay = 0
        self.delay = 0
        self.delay_pattern = None
        self.drop_after = None
        self.cut_after = None  # (bytes, pattern or None): the next matching reply is cut
        self.failures = []
        # Rows that are acknowledged but not kept, or kept changed: table name (case-folded)
        # -> [rows still to lose, rows still to change]
        self.row_faults = {}

    def set_delay(self, ms, pattern=None):
        with self.lock:
            self.delay = ms
            self.delay_pattern = re.compile(pattern, re.I | re.S) if pattern else None

    def set_cut(self, size, pattern=None):
        with self.lock:
            self.cut_after = (size, re.compile(pattern, re.I | re.S) if pattern else None)

    def add_row_fault(self, table, lose=0, change=0):
        with self.lock:
            entry = self.row_faults.setdefault(table.casefold(), [0, 0])
            entry[0] += lose
            entry[1] += change

    def rows_to_spoil(self, table, rows):
        """(how many of the first rows to lose, whether to change the next kept one) for an
        INSERT of rows into table: the faults of its name, or of the name a table being built
        under it ends in ("NAME~tabulex-new-...") belongs to."""
        name = table.casefold()
        cut = name.find("~tabulex-new-")
        with self.lock:
            entry = self.row_faults.get(name if cut < 0 else name[:cut])
            if entry is None:
                return 0, False
            lose = min(entry[0], rows)
            entry[0] -= lose
            change = entry[1] > 0 and lose < rows
            if change:
                entry[1] -= 1
            if entry == [0, 0]:
                del self.row_faults[name if cut < 0 else name[:cut]]
            return lose, change

    def add_failure(self, failure):
        with self.lock:
            self.failures.append(failure)

    def plan(self, text):
        with self.lock:
            if self.drop_after is not None:
                if self.drop_after <= 0:
                    self.drop_after = None
                    return Plan(drop=True)
                self.drop_after -= 1
            delay = self.delay
            if delay and self.delay_pattern and not self.delay_pattern.search(text):
                delay = 0
            cut = None
            if self.cut_after and (not self.cut_after[1] or self.cut_after[1].search(text)):
                cut = self.cut_after[0]
                self.cut_after = None
            for f in self.failures:
                if f.pattern.search(text):
                    if f.times is not None:
                        f.times -= 1
                        if f.times <= 0:
                            self.failures.remove(f)
                    return Plan(delay, error=SqlError(f.number, 1, f.severity, f.text))
            return Plan(delay, cut=cut)

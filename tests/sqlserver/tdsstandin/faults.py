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

    def set_delay(self, ms, pattern=None):
        with self.lock:
            self.delay = ms
            self.delay_pattern = re.compile(pattern, re.I | re.S) if pattern else None

    def set_cut(self, size, pattern=None):
        with self.lock:
            self.cut_after = (size, re.compile(pattern, re.I | re.S) if pattern else None)

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

#!/usr/bin/env python3
"""Starts or stops the stand-in shared by the tests of one build tree (a CTest fixture).

fixture.py start STATE_DIR   starts it on a free port with a fresh database; writes
                             STATE_DIR/port and STATE_DIR/pid
fixture.py stop STATE_DIR    stops it"""

import os
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
IDLE_EXIT_SECONDS = "900"  # never outlives an interrupted test run by long


def start(state):
    stop(state)
    os.makedirs(state, exist_ok=True)
    log = open(os.path.join(state, "standin.log"), "wb")
    proc = subprocess.Popen(
        [sys.executable, os.path.join(HERE, "standin"), "--port", "0", "--database", "tabulex",
         "--user", "tabulex", "--password", "tabulex", "--idle-exit", IDLE_EXIT_SECONDS],
        stdout=subprocess.PIPE, stderr=log, start_new_session=True)
    line = proc.stdout.readline().decode()
    if not line.startswith("listening on 127.0.0.1:"):
        proc.kill()
        sys.exit("the stand-in did not start: %r (see %s/standin.log)" % (line, state))
    port = line.strip().rsplit(":", 1)[1]
    with open(os.path.join(state, "port"), "w") as f:
        f.write(port + "\n")
    with open(os.path.join(state, "pid"), "w") as f:
        f.write("%d\n" % proc.pid)
    print("stand-in pid %d on port %s" % (proc.pid, port))


def alive(pid):
    """True while pid runs (an exited process waiting to be reaped by init does not count)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return False


def stop(state):
    try:
        with open(os.path.join(state, "pid")) as f:
            pid = int(f.read())
    except (OSError, ValueError):
        return
    os.remove(os.path.join(state, "pid"))
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    for _ in range(100):
        if not alive(pid):
            return
        time.sleep(0.05)
    os.kill(pid, signal.SIGKILL)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit(__doc__)
    (start if sys.argv[1] == "start" else stop)(sys.argv[2])

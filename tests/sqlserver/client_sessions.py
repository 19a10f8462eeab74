#!/usr/bin/env python3
"""Sessions of clients nobody here wrote (FreeTDS's tsql, unixODBC's isql) against the stand-in
of the test fixture: log in, create a table, insert, select, rename and drop it."""

import os
import subprocess
import sys
import unittest

USER = PASSWORD = DATABASE = "tabulex"


def fixture_port():
    path = os.environ.get("TABULEX_STANDIN_PORT_FILE")
    if not path:
        sys.exit("TABULEX_STANDIN_PORT_FILE names the file with the stand-in's port")
    with open(path) as f:
        return int(f.read())


def client_env():
    env = {k: v for k, v in os.environ.items()
           if k not in ("TDSPORT", "TDSHOST", "TDSVER", "TDSDUMP", "FREETDSCONF", "FREETDS")}
    env["LC_ALL"] = "C.UTF-8"
    return env


def run(command, script):
    done = subprocess.run(command, input=script.encode(), capture_output=True, timeout=60,
                          env=client_env())
    return done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")


class ClientSessions(unittest.TestCase):
    port = None

    def connection_string(self, password=PASSWORD, database=DATABASE):
        return ("Driver={SQL Server};Server=127.0.0.1,%d;Database=%s;Uid=%s;Pwd=%s;"
                % (self.port, database, USER, password))

    def test_isql_session(self):
        table = "isql %d" % os.getpid()
        script = "\n".join([
            "CREATE TABLE [%s]([id] INT, [name] NVARCHAR(40), [price] DECIMAL(10,2))" % table,
            "INSERT INTO [%s] VALUES('1', N'Чай', '2.5')" % table,
            "INSERT INTO [%s] VALUES('2', NULL, NULL)" % table,
            "SELECT * FROM [%s]" % table,
            "sp_rename '%s', '%s renamed'" % (table, table),
            "SELECT top 1 * FROM [%s renamed]" % table,
            "SELECT * FROM [%s]" % table,
            "DROP TABLE [%s renamed];" % table,
            "DROP TABLE [%s renamed];" % table, ""])
        out = run(["isql", "-v", "-b", "-d|", "-k", self.connection_string()], script)
        lines = out.splitlines()
        self.assertEqual(lines.count("1|Чай|2.50"), 2, out)
        self.assertIn("2||", lines, out)
        self.assertIn("Caution: Changing any part of an object name could break scripts and "
                      "stored procedures.", out)
        self.assertIn("[FreeTDS][SQL Server]Invalid object name '%s'." % table, out)
        self.assertEqual(out.count("[FreeTDS][SQL Server]Cannot drop the table '%s renamed', "
                                   "because it does not exist or you do not have permission."
                                   % table), 1, out)

    def test_isql_refused_with_a_wrong_password_or_database(self):
        out = run(["isql", "-v", "-b", "-k", self.connection_string("wrong")], "")
        self.assertIn("[FreeTDS][SQL Server]Login failed for user '%s'." % USER, out)
        out = run(["isql", "-v", "-b", "-k", self.connection_string(database="nodb")], "")
        self.assertIn('[FreeTDS][SQL Server]Cannot open database "nodb" requested by the '
                      'login. The login failed.', out)
        self.assertIn("[FreeTDS][SQL Server]Login failed for user '%s'." % USER, out)

    def test_tsql_session(self):
        table = "tsql_%d" % os.getpid()
        script = "\n".join([
            "CREATE TABLE [%s]([id] INT, [note] TEXT, [at] DATETIME)" % table, "go",
            "INSERT INTO [%s] VALUES('7', 'café', '2024-02-29 13:45:30.5')" % table, "go",
            "SELECT * FROM [%s]" % table, "go",
            "sp_rename '%s', '%s_new'" % (table, table), "go",
            "SELECT * FROM [%s_new]" % table, "go",
            "DROP TABLE [%s_new];" % table, "go",
            "SELECT * FROM [%s_new]" % table, "go", "exit", ""])
        out = run(["tsql", "-H", "127.0.0.1", "-p", str(self.port), "-U", USER, "-P", PASSWORD,
                   "-D", DATABASE], script)
        rows = [line for line in out.splitlines() if line.startswith("7\t")]
        self.assertEqual(len(rows), 2, out)
        self.assertTrue(rows[0].startswith("7\tcafé\tFeb 29 2024 01:45PM"), rows[0])
        self.assertIn("Caution: Changing any part of an object name", out)
        self.assertIn("Invalid object name '%s_new'" % table, out)


if __name__ == "__main__":
    ClientSessions.port = fixture_port()
    unittest.main()

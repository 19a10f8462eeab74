"""A SQL Server stand-in for the tests: a TDS 7.4 server backed by SQLite."""

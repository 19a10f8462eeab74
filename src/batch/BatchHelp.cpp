#include "batch/BatchOptions.h"

namespace tabulex::batch {

QString helpText()
{
    return QStringLiteral(R"(Usage: tabulex-batch COMMAND [OPTIONS]

Moves tables between a SQL Server database and a folder of Paradox tables, and
deletes and renames tables on either side, as the Tabulex windows do: the same
connections, statements and type mapping, so a table arrives the same either way.

Commands
  list sql|paradox
      Prints the tables of one side, one per line, as the table window lists
      them (Paradox tables upper-cased, without the final .DB, also from
      subfolders). In a name, \ is written \\, a line feed \n, a tab \t, a
      carriage return \r and any other control character \x and two hex
      digits; table names on the command line take the same escapes.
        tabulex-batch list paradox --folder /srv/paradox
      With --long (paradox only), each line also shows the table's code page,
      version, rows and whether it is keyed:
        ORDERS  code page 1252  version 5.x  1,000 rows  keyed

  send --to paradox|sql (--all | TABLE...)
      Sends the named tables (or all) of the other side, from the bottom of its
      list up. Names are given exactly as "list" prints them.
        tabulex-batch send --to sql --all --overwrite yes
        tabulex-batch send --to paradox Orders Customers --cut yes --overwrite no

  delete --side sql|paradox TABLE...
      Drops the SQL Server tables, or deletes the Paradox tables' files (.db and
      companions) lying directly in the folder. Nothing is asked.
        tabulex-batch delete --side paradox ORDERS

  rename --side sql|paradox OLD NEW
      Renames one table (sp_rename on SQL Server; the .db and companion files
      in the Paradox folder).
        tabulex-batch rename --side sql Orders Orders2019

Questions of the windows
  --overwrite ask|yes|no  "Overwrite?": replace a table of the same name on the
                          target side (send, and the Paradox rename).
  --cut ask|yes|no        "Continue?": cut a name longer than 8 characters to
                          its first 8 for the Paradox file (send --to paradox).
  --damaged ask|salvage|skip
                          "Salvage?": a Paradox table that cannot be read
                          whole sends the records it still holds, and the
                          report of its damage is kept beside the rejected
                          rows (send --to sql); skip leaves it to fail as it
                          did before.
  ask is the default on a terminal and answers y/n there; without a terminal
  on standard input, ask is refused and every question that would come up
  needs its flag. No skips the table.

Rows that fail
  --max-row-errors N      a table fails as a whole after N failed rows (send),
                          default 10, 0 for no limit; the old table stays and
                          the run goes on with the next table. A table none of
                          whose rows arrived never replaces a table.

Checking what arrived
  --verify yes|no         read every table back once it has its name and
                          compare its rows with those sent (default yes); a
                          table that differs is reported, stays, and counts as
                          not verified (exit status 1).
  --report FILE           write the run as one JSON document to FILE (send):
                          per table its rows read, written and rejected,
                          rounded values, salvage, verification and time.

Code pages
  --code-page N           the code page of the run's Paradox tables (send):
                          towards SQL Server their text is read in N whatever
                          their header says; towards Paradox they are written
                          in N, and a row holding a character N cannot hold
                          fails as a row error. N is one of the Paradox
                          language drivers' code pages: 1252, 1250, 1251,
                          1253, 1254, 1255, 936, 437, 850, 852, 857, 865, 866.
  Without it a Paradox table is read in the code page its header names, and a
  table towards Paradox is written in the first of 1252, 1250, 1251, 1253,
  1254, 1255 and 936 that holds its rows: each row narrows the code pages
  left to those that hold it; a row that none of them holds decides on the
  first one left, which holds every row before, and fails as a row error, as
  does each later row that code page cannot hold. A row that no code page
  holds fails alone. No character is ever replaced.

Paradox locks
  A Paradox table that a Paradox or BDE program may have open (its .LCK file,
  or PDOXUSRS.LCK or PARADOX.LCK in its folder) is not deleted, renamed or
  overwritten: the table is refused with its lock files and their times, and
  the run goes on with the next table. Lock files shown to be stale (no
  process on this machine has them open or locked, not on a network share)
  are reported as stale, and the table is kept unless it is given:
  --ignore-stale-locks    go ahead over stale lock files (send, delete,
                          rename); the lock files stay as they are.

Loading SQL Server
  --rows-per-statement N  rows sent in one INSERT statement (send --to sql),
                          1 to 1000, default 1000; 1 sends one INSERT per row.
                          A statement the server refuses is sent again row by
                          row, so the same rows fail either way.

Type mapping (send)
  --mapping classic|faithful
                          which mapping makes the target table; classic, the
                          default, is the windows' own (their check box "Keep
                          keys, autoincrement and field types" is faithful).
      Paradox field     classic to SQL Server   faithful to SQL Server
      Alpha n           NTEXT                   NVARCHAR(n)
      Memo              NTEXT                   NVARCHAR(MAX)
      Formatted memo    VARBINARY(MAX)          VARBINARY(MAX)
      Short             INT                     SMALLINT
      Long Integer      INT                     INT
      Autoincrement     INT                     INT IDENTITY, values kept
      Number            FLOAT                   FLOAT
      Money             FLOAT                   MONEY (rounded to 4 decimals)
      BCD               DECIMAL(32,s)           DECIMAL(32,s)
      Date              TEXT                    DATE
      Time              TEXT                    TIME(3)
      Timestamp         TEXT                    DATETIME2(3)
      Logical           TEXT                    BIT
      Bytes n           VARBINARY(MAX)          BINARY(n)
      BLOb,OLE,Graphic  VARBINARY(MAX)          VARBINARY(MAX)
      key fields        -                       PRIMARY KEY
      required (.VAL)   -                       NOT NULL (when no value is blank)
      SQL Server column classic to Paradox      faithful to Paradox
      char/varchar(n)   Alpha n or Memo         Alpha n (n <= 255), else Memo
      smallint, tinyint Long Integer            Short
      int               Long Integer            Long Integer
      int IDENTITY      Long Integer            Autoincrement
      bit               Logical                 Logical
      money             Number                  Money
      decimal(p,s)      Number or Long Integer  BCD with s decimals (p <= 32)
      date              Timestamp               Date
      time              Alpha                   Time
      datetime(2)       Timestamp               Timestamp
      float, real       Number                  Number
      binary(n)         Binary BLOb             Bytes n
      varbinary, image  Binary BLOb             Binary BLOb
      PRIMARY KEY       -                       keyed table with its .PX, key
                                                fields first
  Under faithful, keys that SQL Server would take for one (text that differs
  only in case or trailing blanks) or blank key values stop the table before
  anything is written; other types keep the classic rule. A Memo's size and a
  BLOb's kind, which SQL Server types do not say, are kept on the column as the
  extended property Tabulex.ParadoxType and come back under faithful.

Connection values (default: what the connection window last stored)
  --server NAME           SQL Server name or address
  --port PORT             TCP port (left out with a local connection)
  --local, --no-local     local connection (no port) or not
  --database NAME         database
  --user NAME             login name
  --password-file FILE    the password: the first line of FILE, or of standard
                          input with "-". A password is never given on the
                          command line.
  --folder PATH           the Paradox folder
  --timeout SECONDS       how long a login and a statement may wait for the
                          server before they fail (default: the time-outs
                          the windows use)
  The data type window is not offered: tables are created with the type
  mapping of --mapping.

Output
  Table names of "list" go to standard output; everything else to standard
  error: progress (a bar on a terminal, otherwise one line as each table starts
  and ends), the error reports with the text the windows show, and a summary
  (tables done, rows copied, rows failed, seconds). After an error report the
  run goes on as the window's does.

Exit status
  0  everything succeeded
  1  some table or row failed, an error was reported, or nothing was done
  2  usage error (nothing was done)
  130, 143  stopped by SIGINT or SIGTERM: the table being copied is not sent
     and a table it replaces stays as it was, a table being
     written into the Paradox folder is finished first, questions are
     answered no, and the summary says how far the run got; a second signal
     ends the program at once

  -h, --help              this text
  --version               the version of tabulex-batch
)");
}

} // namespace tabulex::batch

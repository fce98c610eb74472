// The journal's schema as frozen steps: kMigrations[v] takes a file at
// user_version v to v + 1 (version 0 is an empty file), and the number of
// steps is the version this program writes. A step is never edited once
// released, so that a file migrated by an older program is the file a newer
// one would make; a new column is a row of the column table
// (entry_columns.h) and one new step here, which a test checks against it.
#pragma once

#include <array>

namespace quillbary::journal {

inline constexpr std::array kMigrations = {
    R"sql(
CREATE TABLE entries(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  kind TEXT NOT NULL CHECK (kind IN ('statement', 'handon', 'void', 'reprint')),
  serial TEXT NOT NULL,
  recorded_at TEXT NOT NULL,
  program_version TEXT NOT NULL,
  borrower TEXT NOT NULL,
  loan_number TEXT NOT NULL,
  clerk TEXT NOT NULL,
  amount TEXT NOT NULL,
  total_caption TEXT NOT NULL,
  total TEXT NOT NULL,
  figures TEXT NOT NULL,
  working TEXT NOT NULL,
  made_at TEXT NOT NULL,
  handed_on TEXT NOT NULL,
  pdf_path TEXT NOT NULL,
  reason TEXT NOT NULL,
  prev_hash TEXT NOT NULL,
  hash TEXT NOT NULL,
  -- What the history's filter looks in: computed, never stored, not hashed.
  find_text TEXT GENERATED ALWAYS AS
    (lower(borrower) || char(10) || lower(loan_number) || char(10) || serial) VIRTUAL);
CREATE UNIQUE INDEX one_statement_per_serial ON entries(serial) WHERE kind = 'statement';
CREATE INDEX entries_of_serial ON entries(serial, kind);
-- The history's filter scans this, newest first, rather than the whole rows
-- with their figures and working: twenty times less to read.
CREATE INDEX statements_to_find ON entries(seq, find_text, recorded_at) WHERE kind = 'statement';
CREATE TABLE serial_counters(year TEXT PRIMARY KEY, last INTEGER NOT NULL);
CREATE TRIGGER entries_never_change BEFORE UPDATE ON entries
  BEGIN SELECT RAISE(ABORT, 'journal entries are never changed'); END;
CREATE TRIGGER entries_never_go BEFORE DELETE ON entries
  BEGIN SELECT RAISE(ABORT, 'journal entries are never deleted'); END;
)sql",
    // 1 -> 2: batch runs are entries too. SQLite cannot change a CHECK, so
    // the table is made anew under its old name with every entry as it was
    // (same seq, same texts, so the chain still holds), and the highest seq
    // ever handed out goes with it: entries removed from the end still show.
    R"sql(
CREATE TABLE entries_v2(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  kind TEXT NOT NULL CHECK (kind IN ('statement', 'handon', 'void', 'reprint', 'batch')),
  serial TEXT NOT NULL,
  recorded_at TEXT NOT NULL,
  program_version TEXT NOT NULL,
  borrower TEXT NOT NULL,
  loan_number TEXT NOT NULL,
  clerk TEXT NOT NULL,
  amount TEXT NOT NULL,
  total_caption TEXT NOT NULL,
  total TEXT NOT NULL,
  figures TEXT NOT NULL,
  working TEXT NOT NULL,
  made_at TEXT NOT NULL,
  handed_on TEXT NOT NULL,
  pdf_path TEXT NOT NULL,
  reason TEXT NOT NULL,
  prev_hash TEXT NOT NULL,
  hash TEXT NOT NULL,
  find_text TEXT GENERATED ALWAYS AS
    (lower(borrower) || char(10) || lower(loan_number) || char(10) || serial) VIRTUAL);
INSERT INTO entries_v2 (seq, kind, serial, recorded_at, program_version, borrower, loan_number,
                        clerk, amount, total_caption, total, figures, working, made_at, handed_on,
                        pdf_path, reason, prev_hash, hash)
  SELECT seq, kind, serial, recorded_at, program_version, borrower, loan_number, clerk, amount,
         total_caption, total, figures, working, made_at, handed_on, pdf_path, reason, prev_hash,
         hash
  FROM entries ORDER BY seq;
DELETE FROM sqlite_sequence WHERE name = 'entries_v2';
UPDATE sqlite_sequence SET name = 'entries_v2' WHERE name = 'entries';
DROP TABLE entries;
ALTER TABLE entries_v2 RENAME TO entries;
CREATE UNIQUE INDEX one_statement_per_serial ON entries(serial) WHERE kind = 'statement';
CREATE INDEX entries_of_serial ON entries(serial, kind);
CREATE INDEX statements_to_find ON entries(seq, find_text, recorded_at) WHERE kind = 'statement';
CREATE TRIGGER entries_never_change BEFORE UPDATE ON entries
  BEGIN SELECT RAISE(ABORT, 'journal entries are never changed'); END;
CREATE TRIGGER entries_never_go BEFORE DELETE ON entries
  BEGIN SELECT RAISE(ABORT, 'journal entries are never deleted'); END;
)sql",
    // 2 -> 3: the branch terminal the journal numbers its statements for,
    // once it has joined one, and the branch's database it copies them to
    // (a libpq connection string without a password): one row, whose
    // terminal is never changed nor removed.
    R"sql(
CREATE TABLE branch_terminal(
  terminal TEXT NOT NULL CHECK (terminal GLOB 'T[0-9][0-9]*'),
  conninfo TEXT NOT NULL,
  joined_at TEXT NOT NULL);
CREATE TRIGGER branch_terminal_once BEFORE INSERT ON branch_terminal
  WHEN (SELECT count(*) FROM branch_terminal) > 0
  BEGIN SELECT RAISE(ABORT, 'a journal joins one terminal'); END;
CREATE TRIGGER branch_terminal_never_changes BEFORE UPDATE OF terminal, joined_at ON branch_terminal
  BEGIN SELECT RAISE(ABORT, 'the terminal is never changed'); END;
CREATE TRIGGER branch_terminal_never_goes BEFORE DELETE ON branch_terminal
  BEGIN SELECT RAISE(ABORT, 'the terminal is never removed'); END;
)sql",
    // 3 -> 4: the reviews (复核) of this terminal's statements as the branch's
    // server recorded them, copied back so that the history and a reprint
    // show them. Outside the chain: the server holds the record, and a
    // review copied twice is one row (the server's id).
    R"sql(
CREATE TABLE branch_reviews(
  id INTEGER PRIMARY KEY,
  serial TEXT NOT NULL,
  verdict TEXT NOT NULL CHECK (verdict IN ('pass', 'return')),
  reason TEXT NOT NULL,
  reviewer TEXT NOT NULL,
  reviewed_at TEXT NOT NULL);
CREATE INDEX branch_reviews_of_serial ON branch_reviews(serial, id);
)sql",
};

}  // namespace quillbary::journal

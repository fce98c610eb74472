-- The branch's database, version 1: every terminal's journal entries,
-- append-only, with the reviews and the terminals' checkpoints.
--
-- Run once, by the database's owner, through `quillbary --init-branch`.
-- The clerks' and supervisors' own login roles are made members of
-- quillbary_clerk or quillbary_supervisor by whoever administers the server.
-- Nothing here is ever updated or deleted, by anyone: the triggers refuse it
-- for the owner too.

DO $$
BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quillbary_clerk') THEN
    CREATE ROLE quillbary_clerk NOLOGIN;
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quillbary_supervisor') THEN
    CREATE ROLE quillbary_supervisor NOLOGIN;
  END IF;
END
$$;

CREATE TABLE quillbary_schema (version integer NOT NULL);
INSERT INTO quillbary_schema VALUES (1);

CREATE SEQUENCE terminal_numbers;

-- A machine of the branch; its name goes into every 编号 it hands out.
CREATE TABLE terminals (
  terminal text PRIMARY KEY CHECK (terminal ~ '^T[0-9]{2,}$'),
  joined_by name NOT NULL DEFAULT session_user,
  joined_at timestamptz NOT NULL DEFAULT now(),
  public_key text NOT NULL DEFAULT ''
);

-- Every entry of every terminal's journal, as the terminal hashed it:
-- hash_input is the exact text whose SHA-256 is hash, and holds prev_hash.
CREATE TABLE entries (
  terminal text NOT NULL REFERENCES terminals,
  seq bigint NOT NULL CHECK (seq > 0),
  kind text NOT NULL,
  serial text NOT NULL,
  recorded_at text NOT NULL,
  clerk text NOT NULL,
  borrower text NOT NULL,
  loan_number text NOT NULL,
  amount text NOT NULL,
  total_caption text NOT NULL,
  total text NOT NULL,
  handed_on text NOT NULL,
  reason text NOT NULL,
  batch_rows bigint NOT NULL DEFAULT 0,
  prev_hash text NOT NULL CHECK (prev_hash ~ '^[0-9a-f]{64}$'),
  hash text NOT NULL CHECK (hash ~ '^[0-9a-f]{64}$'),
  hash_input text NOT NULL,
  uploaded_by name NOT NULL DEFAULT session_user,
  received_at timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (terminal, seq)
);
CREATE INDEX entries_by_day ON entries (substr(recorded_at, 1, 10), terminal);
CREATE INDEX entries_of_serial ON entries (serial, kind);

-- The branch history. Its statements newest first, by byte order whatever the
-- server's locale, carrying what its text filter reads so that a page of it
-- is read from the index alone.
CREATE INDEX statements_newest_first ON entries
  (recorded_at COLLATE "C", terminal COLLATE "C", seq) INCLUDE (serial, borrower, loan_number)
  WHERE kind = 'statement';
-- What the history's text filter looks in: 借款人, 借据号 and 编号 with
-- Latin capitals made small (only those, as the terminal's own history does).
CREATE FUNCTION statement_find_text(borrower text, loan_number text, serial text) RETURNS text
  LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
  RETURN lower((borrower || chr(10) || loan_number || chr(10) || serial) COLLATE "C");
-- Every run of one, two and three characters of a text, and the runs a text
-- sought must all have: itself when one or two characters long, else its
-- runs of three. The index of the first finds the few statements holding a
-- rare text, whatever its language, at any length.
CREATE FUNCTION statement_grams(t text) RETURNS text[]
  LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
  RETURN ARRAY(SELECT substr(t, i, n) FROM generate_series(1, length(t)) i, generate_series(1, 3) n);
CREATE FUNCTION needle_grams(t text) RETURNS text[]
  LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
  RETURN CASE WHEN length(t) <= 2 THEN ARRAY[t]
              ELSE ARRAY(SELECT substr(t, i, 3) FROM generate_series(1, length(t) - 2) i) END;
CREATE INDEX statements_to_find ON entries
  USING gin (statement_grams(statement_find_text(borrower, loan_number, serial)))
  WHERE kind = 'statement';
-- The clerks' list, and a clerk's statements when she has few.
CREATE INDEX entries_by_clerk ON entries (uploaded_by);

-- 复核: a second person's check of a statement, 通过 or 退回 with a reason.
CREATE TABLE reviews (
  id bigserial PRIMARY KEY,
  terminal text NOT NULL,
  serial text NOT NULL,
  verdict text NOT NULL CHECK (verdict IN ('pass', 'return')),
  reason text NOT NULL DEFAULT '',
  reviewer name NOT NULL DEFAULT session_user,
  reviewed_at timestamptz NOT NULL DEFAULT now(),
  CHECK (verdict = 'pass' OR btrim(reason) <> '')
);
CREATE INDEX reviews_of_serial ON reviews (serial);
-- A statement's latest review, read from the index alone.
CREATE INDEX reviews_latest ON reviews (terminal, serial, id) INCLUDE (verdict);

-- A terminal's signed word on its chain's head.
CREATE TABLE checkpoints (
  terminal text NOT NULL REFERENCES terminals,
  seq bigint NOT NULL,
  hash text NOT NULL,
  signature text NOT NULL,
  uploaded_by name NOT NULL DEFAULT session_user,
  received_at timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (terminal, seq)
);

CREATE FUNCTION refuse_change() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  RAISE EXCEPTION 'quillbary: % on % is never allowed', TG_OP, TG_TABLE_NAME
    USING ERRCODE = 'insufficient_privilege';
END
$$;

DO $$
DECLARE
  t text;
BEGIN
  FOREACH t IN ARRAY ARRAY['terminals', 'entries', 'reviews', 'checkpoints'] LOOP
    EXECUTE format('CREATE TRIGGER %I BEFORE UPDATE OR DELETE ON %I '
                   'FOR EACH ROW EXECUTE FUNCTION refuse_change()', t || '_never_change', t);
    EXECUTE format('CREATE TRIGGER %I BEFORE TRUNCATE ON %I '
                   'FOR EACH STATEMENT EXECUTE FUNCTION refuse_change()', t || '_never_truncated', t);
  END LOOP;
END
$$;

-- A row is stamped with the role that sent it, whatever it says; a terminal
-- is joined by a role, and only that role uploads its entries. An entry's
-- hash must be its input's, and it must follow the terminal's previous entry:
-- the copy of a chain on the server never has a gap or a broken link.
CREATE FUNCTION stamp_terminal() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  NEW.joined_by := session_user;
  NEW.joined_at := now();
  RETURN NEW;
END
$$;
CREATE TRIGGER terminals_stamped BEFORE INSERT ON terminals
  FOR EACH ROW EXECUTE FUNCTION stamp_terminal();

CREATE FUNCTION check_entry() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
  owner name;
  previous text;
BEGIN
  NEW.uploaded_by := session_user;
  NEW.received_at := now();
  SELECT joined_by INTO owner FROM terminals WHERE terminal = NEW.terminal;
  IF owner IS DISTINCT FROM session_user THEN
    RAISE EXCEPTION 'quillbary: terminal % was joined by %, not %', NEW.terminal, owner, session_user
      USING ERRCODE = 'insufficient_privilege';
  END IF;
  IF encode(sha256(convert_to(NEW.hash_input, 'UTF8')), 'hex') <> NEW.hash THEN
    RAISE EXCEPTION 'quillbary: entry % of % does not match its hash', NEW.seq, NEW.terminal
      USING ERRCODE = 'data_exception';
  END IF;
  IF strpos(NEW.hash_input, 'prev_hash=64:' || NEW.prev_hash || ';') = 0 THEN
    RAISE EXCEPTION 'quillbary: entry % of % does not hash its link', NEW.seq, NEW.terminal
      USING ERRCODE = 'data_exception';
  END IF;
  IF NEW.seq = 1 THEN
    previous := repeat('0', 64);
  ELSE
    SELECT hash INTO previous FROM entries WHERE terminal = NEW.terminal AND seq = NEW.seq - 1;
  END IF;
  IF previous IS DISTINCT FROM NEW.prev_hash THEN
    RAISE EXCEPTION 'quillbary: entry % of % does not follow the entry before it', NEW.seq, NEW.terminal
      USING ERRCODE = 'data_exception';
  END IF;
  RETURN NEW;
END
$$;
CREATE TRIGGER entries_checked BEFORE INSERT ON entries
  FOR EACH ROW EXECUTE FUNCTION check_entry();

CREATE FUNCTION check_review() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
  maker name;
BEGIN
  NEW.reviewer := session_user;
  NEW.reviewed_at := now();
  SELECT uploaded_by INTO maker FROM entries
    WHERE terminal = NEW.terminal AND serial = NEW.serial AND kind = 'statement';
  IF NOT FOUND THEN
    RAISE EXCEPTION 'quillbary: no statement % of %', NEW.serial, NEW.terminal
      USING ERRCODE = 'foreign_key_violation';
  END IF;
  IF maker = session_user THEN
    RAISE EXCEPTION 'quillbary: % made statement % and cannot review it', maker, NEW.serial
      USING ERRCODE = 'insufficient_privilege';
  END IF;
  RETURN NEW;
END
$$;
CREATE TRIGGER reviews_checked BEFORE INSERT ON reviews
  FOR EACH ROW EXECUTE FUNCTION check_review();

-- A checkpoint names an entry the server holds, and comes from the role that
-- joined its terminal.
CREATE FUNCTION check_checkpoint() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  NEW.uploaded_by := session_user;
  NEW.received_at := now();
  IF NOT EXISTS (SELECT FROM terminals WHERE terminal = NEW.terminal AND joined_by = session_user) THEN
    RAISE EXCEPTION 'quillbary: terminal % was not joined by %', NEW.terminal, session_user
      USING ERRCODE = 'insufficient_privilege';
  END IF;
  IF NOT EXISTS (SELECT FROM entries WHERE terminal = NEW.terminal AND seq = NEW.seq AND hash = NEW.hash) THEN
    RAISE EXCEPTION 'quillbary: checkpoint % of % names no entry held', NEW.seq, NEW.terminal
      USING ERRCODE = 'data_exception';
  END IF;
  RETURN NEW;
END
$$;
CREATE TRIGGER checkpoints_checked BEFORE INSERT ON checkpoints
  FOR EACH ROW EXECUTE FUNCTION check_checkpoint();

REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC;
GRANT SELECT, INSERT ON terminals, entries, checkpoints TO quillbary_clerk;
GRANT USAGE ON SEQUENCE terminal_numbers TO quillbary_clerk;
GRANT SELECT ON quillbary_schema TO quillbary_clerk, quillbary_supervisor;
GRANT SELECT ON terminals, entries, checkpoints, reviews TO quillbary_supervisor;
GRANT INSERT ON reviews TO quillbary_supervisor;
GRANT USAGE ON SEQUENCE reviews_id_seq TO quillbary_supervisor;
-- A clerk sees the reviews of the statements, her own among them.
GRANT SELECT ON reviews TO quillbary_clerk;

#include "quillbary/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <span>
#include <tuple>

#include "entry_columns.h"
#include "migrations.h"
#include "sqlite_statement.h"

namespace quillbary::journal {

const int kSchemaVersion = static_cast<int>(kMigrations.size());

namespace {

constexpr std::string_view kNoHash =
    "0000000000000000000000000000000000000000000000000000000000000000";


// BEGIN IMMEDIATE on construction; ROLLBACK unless committed, so a failed
// write leaves nothing of itself.
class Transaction {
 public:
  Transaction(sqlite3* db, const std::filesystem::path& path) : db_(db), path_(path) {
    Execute(db_, "BEGIN IMMEDIATE", path_);
  }
  ~Transaction() {
    if (!committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Execute(db_, "COMMIT", path_);
    committed_ = true;
  }

 private:
  sqlite3* db_;
  std::filesystem::path path_;  // a copy, for the messages
  bool committed_ = false;
};

std::string LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::int64_t UserVersion(sqlite3* db, const std::filesystem::path& path) {
  SqliteStatement version(db, "PRAGMA user_version", path);
  return version.Step() ? version.Int(0) : 0;
}

// A table's columns as "name type notnull pk hidden", in order; none for a
// table that is not there.
std::vector<std::string> TableColumns(sqlite3* db, const char* table,
                                      const std::filesystem::path& path) {
  SqliteStatement query(
      db, "SELECT name, type, \"notnull\", pk, hidden FROM pragma_table_xinfo(?1)", path);
  query.Bind(1, table);
  std::vector<std::string> columns;
  while (query.Step()) {
    columns.push_back(query.Text(0) + " " + query.Text(1) + " " + query.Text(2) + " " +
                      query.Text(3) + " " + query.Text(4));
  }
  return columns;
}

// The entries table's columns in a journal of `version` (1 and 2 have the
// same: version 2 only let the kind be 'batch').
std::vector<std::string> EntriesColumns(std::int64_t version) {
  if (version < 1 || version > kSchemaVersion) return {};
  return ColumnsOfVersion(version);
}

const std::vector<std::string> kSerialCountersColumns = {"year TEXT 0 1 0",
                                                         "last INTEGER 1 0 0"};

// The schema version of a file that has shown itself to be a journal this
// program can open (0: an empty file to make one in); throws for any other
// file. Only reads.
std::int64_t ProvenVersion(sqlite3* db, const std::filesystem::path& path) {
  const std::int64_t version = UserVersion(db, path);
  if (version > kSchemaVersion) {
    throw JournalError(JournalError::Kind::kNewerSchema, path,
                       "日志由较新版本的程序建立（结构版本 " + std::to_string(version) +
                           "，本程序为 " + std::to_string(kSchemaVersion) + "），不能写入");
  }
  if (version < 0) {
    throw JournalError(JournalError::Kind::kNotADatabase, path,
                       "文件的结构版本为 " + std::to_string(version) +
                           "，不是本程序的日志（本程序的日志为 1 至 " +
                           std::to_string(kSchemaVersion) + "）");
  }
  if (version == 0) {
    SqliteStatement tables(db, "SELECT count(*) FROM sqlite_master", path);
    if (tables.Step() && tables.Int(0) > 0) {
      throw JournalError(JournalError::Kind::kNotADatabase, path,
                         "文件是其他程序的数据库，不是本程序的日志");
    }
    return version;
  }
  if (TableColumns(db, "entries", path) != EntriesColumns(version) ||
      TableColumns(db, "serial_counters", path) != kSerialCountersColumns) {
    throw JournalError(JournalError::Kind::kNotADatabase, path,
                       "文件是其他程序的数据库，不是本程序的日志（结构版本为 " +
                           std::to_string(version) + "，但没有本程序日志的表）");
  }
  return version;
}

struct CloseConnection {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;

// Opens `name` (a path, or a URI with SQLITE_OPEN_URI in flags); errors are
// reported against `path`.
Connection Connect(const std::filesystem::path& path, const std::string& name, int flags,
                   int busyTimeoutMs) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
  Connection db(raw);  // closed on every way out, after its message is read
  if (rc != SQLITE_OK) ThrowSqlite(db.get(), rc, path, "打开日志");
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), busyTimeoutMs);
  return db;
}

// The file a link leads to, which SQLite opens and names the -wal and -shm
// after; the path made absolute when it cannot be resolved.
std::filesystem::path ResolvedPath(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  if (error) resolved = std::filesystem::absolute(path, error);
  return error ? path : resolved;
}

std::filesystem::path Companion(const std::filesystem::path& resolved, const char* suffix) {
  std::filesystem::path named = resolved;
  named += suffix;
  return named;
}

// A URI that opens the file read-only as it is on disk: no locks, no -wal or
// -shm (SQLite's immutable). Every byte but unreserved ones and '/' is
// percent-encoded, so any file name survives.
std::string ImmutableUri(const std::filesystem::path& resolved) {
  std::string uri = "file://";
  for (const unsigned char c : resolved.string()) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri + "?immutable=1";
}

// Whether the file is in WAL mode (bytes 18 and 19 of its header are 2) with
// no -wal next to it: everything it holds is then in the file itself.
bool IsWalAtRest(const std::filesystem::path& resolved) {
  const int fd = ::open(resolved.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  unsigned char header[20] = {};
  const bool read = ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  ::close(fd);
  std::error_code error;
  return read && header[18] == 2 && header[19] == 2 &&
         !std::filesystem::exists(Companion(resolved, "-wal"), error) && !error;
}

// The result code of a connection's first read of the file.
int FirstRead(sqlite3* db) {
  sqlite3_stmt* read = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &read, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(read) == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(db);
  sqlite3_finalize(read);
  return rc;
}

// A read-only connection that can read the file. Readers of a journal in WAL
// mode need its -shm, which SQLite makes next to it; in a folder that cannot
// be written it cannot, and the file is read as it is on disk instead. That
// connection does not see a -wal, so one that holds anything is refused
// rather than passed over.
Connection OpenReader(const std::filesystem::path& path, int busyTimeoutMs) {
  const std::filesystem::path resolved = ResolvedPath(path);
  Connection db = Connect(path, path.string(), SQLITE_OPEN_READONLY, busyTimeoutMs);
  const int rc = FirstRead(db.get());
  if (rc == SQLITE_OK) return db;
  if (rc != SQLITE_READONLY_DIRECTORY && rc != SQLITE_READONLY_CANTINIT &&
      (rc & 0xff) != SQLITE_CANTOPEN) {
    ThrowSqlite(db.get(), rc, path, "读取日志");
  }
  db.reset();
  std::error_code error;
  const std::uintmax_t walSize = std::filesystem::file_size(Companion(resolved, "-wal"), error);
  if (!error && walSize > 0) {
    throw JournalError(JournalError::Kind::kReadOnly, path,
                       "日志的 -wal 文件中有尚未并入日志的内容，而日志所在的文件夹不可写入，"
                       "无法读取这些内容；请在可写入的文件夹中打开日志的副本（连同其 -wal "
                       "文件）");
  }
  return Connect(path, ImmutableUri(resolved), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                 busyTimeoutMs);
}

// A read-only connection for finding out what the file is. One in WAL mode
// with no -wal is read as it is on disk, so that no -wal or -shm is made next
// to a file that may not be a journal at all; what it shows is proved again,
// with locks, on the connection that is then used.
Connection OpenProbe(const std::filesystem::path& path, int busyTimeoutMs) {
  const std::filesystem::path resolved = ResolvedPath(path);
  if (IsWalAtRest(resolved)) {
    return Connect(path, ImmutableUri(resolved), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                   busyTimeoutMs);
  }
  return OpenReader(path, busyTimeoutMs);
}

// Wraps text in single quotes for a POSIX shell when it needs them.
std::string ShellWord(const std::string& text) {
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+=:,@%", c) ||
           static_cast<unsigned char>(c) >= 0x80;
  });
  if (plain) return text;
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Makes the file (and its folders) for a new journal, readable by its owner
// alone: the file 0600, and a folder made for it 0700 whatever the umask
// (the -wal and -shm SQLite makes beside it take the umask). An existing
// file or folder is left as it is.
void MakeFileIfMissing(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path folder = path.parent_path();
  if (!folder.empty() && !std::filesystem::exists(folder, error) && !error) {
    std::filesystem::create_directories(folder.parent_path(), error);
    if (!error && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      error.assign(errno, std::generic_category());
    }
    if (!error) ::chmod(folder.c_str(), 0700);
  }
  if (error) {
    throw JournalError(JournalError::Kind::kCannotOpen, path,
                       "无法建立日志所在的文件夹（" + error.message() + "）");
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
  } else if (errno != EEXIST) {
    throw JournalError(JournalError::Kind::kCannotOpen, path,
                       std::string("无法建立日志文件（") + std::strerror(errno) + "）");
  }
}

// Every column of an entry, in kEntryColumns' order.
const std::string kSelectEntry = "SELECT " + ColumnList() + " FROM entries ";

// "INSERT INTO entries (seq, kind, …, hash) VALUES (?1, ?2, …, ?19)": named
// columns, since find_text is computed.
std::string InsertSql() {
  std::string values;
  for (std::size_t i = 0; i < kEntryColumns.size(); ++i) {
    values.append(i > 0 ? ", ?" : "?").append(std::to_string(i + 1));
  }
  return "INSERT INTO entries (" + ColumnList() + ") VALUES (" + values + ")";
}

ColumnValues ReadColumns(const SqliteStatement& row) {
  ColumnValues columns;
  for (std::size_t i = 0; i < columns.size(); ++i) columns[i] = row.Text(static_cast<int>(i));
  return columns;
}

StatementSummary ReadSummary(const SqliteStatement& row) {
  return {row.Int(0),  row.Text(1), row.Text(2), row.Text(3),     row.Text(4),
          row.Text(5), row.Text(6), row.Text(7), row.Int(8) != 0, static_cast<int>(row.Int(9))};
}

// The history's status filter as a condition on a statement s: fixed SQL
// chosen by name, never built from what was typed.
std::string_view StatusCondition(StatusFilter status) {
  switch (status) {
    case StatusFilter::kAll:
      return "";
    case StatusFilter::kInForce:
      return "AND NOT EXISTS (SELECT 1 FROM entries v WHERE v.serial = s.serial "
             "AND v.kind = 'void') ";
    case StatusFilter::kVoided:
      return "AND EXISTS (SELECT 1 FROM entries v WHERE v.serial = s.serial "
             "AND v.kind = 'void') ";
    case StatusFilter::kReprinted:
      return "AND EXISTS (SELECT 1 FROM entries r WHERE r.serial = s.serial "
             "AND r.kind = 'reprint') ";
  }
  return "";
}

constexpr const char* kSelectSummary =
    "SELECT s.seq, s.serial, s.recorded_at, s.borrower, s.loan_number, s.amount, "
    "s.total_caption, s.total, "
    "EXISTS (SELECT 1 FROM entries v WHERE v.serial = s.serial AND v.kind = 'void'), "
    "(SELECT count(*) FROM entries r WHERE r.serial = s.serial AND r.kind = 'reprint') "
    "FROM entries s WHERE s.kind = 'statement' ";

}  // namespace

JournalError::JournalError(Kind kind, std::filesystem::path path, std::string reason)
    : std::runtime_error(path.string() + "：" + reason),
      kind(kind),
      path(std::move(path)),
      reason(std::move(reason)) {}

std::unique_ptr<Journal> Journal::Open(const std::filesystem::path& path, JournalOptions options) {
  if (!options.readOnly) MakeFileIfMissing(path);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    throw JournalError(JournalError::Kind::kCannotOpen, path, "日志文件不存在");
  }
  if (error) {
    throw JournalError(JournalError::Kind::kCannotOpen, path,
                       "无法打开日志文件（" + error.message() + "）");
  }
  // SQLite would wait forever to open a FIFO for reading.
  if (!std::filesystem::is_regular_file(status)) {
    throw JournalError(JournalError::Kind::kNotADatabase, path, "日志路径不是普通文件");
  }
  const int busyTimeoutMs = options.busyTimeoutMs;

  // Only read until the file has shown what it is.
  {
    Connection probe = OpenProbe(path, busyTimeoutMs);
    const std::int64_t version = ProvenVersion(probe.get(), path);
    if (options.readOnly && version < kSchemaVersion) {
      throw JournalError(
          JournalError::Kind::kNotADatabase, path,
          version == 0 ? "文件是空的，还没有日志" : "日志的结构较旧，须由本程序打开一次以升级");
    }
  }
  if (options.readOnly) {
    // Read with locks from here, so that a writer at the same time is waited for.
    Connection db = OpenReader(path, busyTimeoutMs);
    // It may have changed since it was proved; nothing has been written.
    if (ProvenVersion(db.get(), path) < kSchemaVersion) {
      throw JournalError(JournalError::Kind::kNotADatabase, path, "日志的结构已被改动");
    }
    return std::unique_ptr<Journal>(new Journal(path, db.release(), std::move(options)));
  }

  Connection connection = Connect(path, path.string(), SQLITE_OPEN_READWRITE, busyTimeoutMs);
  // The handle belongs to the journal from here, so any throw below closes it.
  std::unique_ptr<Journal> opened(new Journal(path, connection.release(), std::move(options)));
  sqlite3* db = opened->db_;
  if (sqlite3_db_readonly(db, "main") == 1) {
    throw JournalError(JournalError::Kind::kReadOnly, path, "文件只读，无法写入");
  }
  // Proved again on this connection: another program may have migrated it,
  // or replaced it, since.
  const std::int64_t version = ProvenVersion(db, path);

  {
    SqliteStatement wal(db, "PRAGMA journal_mode = WAL", path);
    if (!wal.Step() || wal.Text(0) != "wal") {
      throw JournalError(JournalError::Kind::kIo, path, "无法以 WAL 方式打开日志");
    }
  }
  Execute(db, "PRAGMA synchronous = FULL", path);
  // The history's index stays in memory between keystrokes of its filter.
  Execute(db, "PRAGMA cache_size = -32768", path);

  if (version < kSchemaVersion) {
    Transaction migration(db, path);
    // Another program may have migrated it while this one waited.
    for (std::int64_t at = ProvenVersion(db, path); at < kSchemaVersion; ++at) {
      Execute(db, kMigrations[static_cast<std::size_t>(at)], path);
    }
    Execute(db, ("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str(), path);
    migration.Commit();
  }
  return opened;
}

Journal::Journal(std::filesystem::path path, sqlite3* db, JournalOptions options)
    : path_(std::move(path)), db_(db), options_(std::move(options)) {
  if (!options_.clock) options_.clock = LocalNow;
}

Journal::~Journal() {
  sqlite3_close(db_);
}

std::vector<std::filesystem::path> Journal::FilesInUse() const {
  const std::filesystem::path resolved = ResolvedPath(path_);
  std::vector<std::filesystem::path> files = {resolved, Companion(resolved, "-wal"),
                                              Companion(resolved, "-shm")};
  std::error_code error;
  const std::filesystem::path given = std::filesystem::absolute(path_, error);
  if (!error && given.lexically_normal() != resolved) files.push_back(given);
  return files;
}

std::pair<std::int64_t, std::string> Journal::CheckedTail() {
  std::int64_t lastSeq = 0;
  std::string lastHash(kNoHash);
  std::string problem;
  {
    SqliteStatement last(db_, std::string(kSelectEntry) + "ORDER BY seq DESC LIMIT 2", path_);
    if (last.Step()) {
      const ColumnValues columns = ReadColumns(last);
      constexpr int kHash = static_cast<int>(ColumnIndex("hash"));
      lastSeq = last.Int(ColumnIndex("seq"));
      lastHash = columns[kHash];
      const std::string before = last.Step() ? last.Text(kHash) : std::string(kNoHash);
      const std::string at = "最后一条（第 " + std::to_string(lastSeq) + " 条）";
      if (HashColumns(columns) != lastHash) {
        problem = at + "的内容与其哈希不符";
      } else if (columns[ColumnIndex("prev_hash")] != before) {
        problem = at + "与前一条的链接不符";
      }
    }
  }
  if (problem.empty()) {
    // The highest seq ever handed out: above the last entry's, entries were
    // removed from the end.
    SqliteStatement used(db_, "SELECT seq FROM sqlite_sequence WHERE name = 'entries'", path_);
    const std::int64_t highest = used.Step() ? used.Int(0) : 0;
    if (highest > lastSeq) {
      problem = "第 " + std::to_string(lastSeq + 1) + " 条及其后的条目已被删除";
    } else if (highest < lastSeq) {
      problem = "记录的最大序号 " + std::to_string(highest) + " 小于最后一条的序号 " +
                std::to_string(lastSeq);
    }
  }
  if (!problem.empty()) {
    std::string command = "quillbary --check-journal";
    if (path_ != DefaultJournalPath()) command += " --journal " + ShellWord(path_.string());
    throw JournalError(JournalError::Kind::kBrokenChain, path_,
                       "日志的哈希链已断：" + problem + "。本条未记录，以免接在被改动的日志之后；" +
                           "请运行 " + command + " 检查");
  }
  return {lastSeq, lastHash};
}

Entry Journal::Append(Entry entry, SerialUse serialUse, const BeforeCommit& beforeCommit) {
  Transaction transaction(db_, path_);
  entry.recordedAt = options_.clock();
  entry.programVersion = options_.programVersion;

  std::int64_t lastSeq = 0;
  std::tie(lastSeq, entry.previousHash) = CheckedTail();
  entry.seq = lastSeq + 1;

  if (serialUse == SerialUse::kNew) {
    const std::string year = entry.recordedAt.substr(0, 4);
    SqliteStatement counter(db_,
                            "INSERT INTO serial_counters(year, last) VALUES (?1, 1) "
                            "ON CONFLICT(year) DO UPDATE SET last = last + 1 RETURNING last",
                            path_);
    counter.Bind(1, year);
    counter.Step();
    char serial[32];
    std::snprintf(serial, sizeof serial, "%s-%06lld", year.c_str(),
                  static_cast<long long>(counter.Int(0)));
    entry.serial = serial;
  } else if (serialUse == SerialUse::kExisting) {
    const std::optional<StatementSummary> summary = Summary(entry.serial);
    if (!summary) {
      throw JournalError(JournalError::Kind::kNoSuchStatement, path_,
                         "日志中没有编号为 " + entry.serial + " 的计息单");
    }
    if (summary->voided) {
      throw JournalError(JournalError::Kind::kAlreadyVoided, path_,
                         "编号为 " + entry.serial + " 的计息单已作废");
    }
  }

  ColumnValues columns = ToColumns(entry);
  entry.hash = columns[ColumnIndex("hash")] = HashColumns(columns);
  static const std::string kInsert = InsertSql();
  SqliteStatement insert(db_, kInsert, path_);
  for (std::size_t i = 0; i < columns.size(); ++i) insert.Bind(static_cast<int>(i + 1), columns[i]);
  insert.Step();
  if (beforeCommit) beforeCommit(entry);  // may throw: the transaction rolls back
  transaction.Commit();
  return entry;
}

Entry Journal::RecordStatement(const StatementHeader& header, const Statement& statement,
                               const HandOn& handOn, const BeforeCommit& beforeCommit) {
  Entry entry;
  entry.kind = EntryKind::kStatement;
  entry.header = header;
  entry.statement = statement;
  entry.handOn = handOn;
  return Append(std::move(entry), SerialUse::kNew, beforeCommit);
}

Entry Journal::RecordHandOnAgain(const std::string& serial, const HandOn& handOn,
                                 const BeforeCommit& beforeCommit) {
  Entry entry;
  entry.kind = EntryKind::kHandOnAgain;
  entry.serial = serial;
  entry.handOn = handOn;
  return Append(std::move(entry), SerialUse::kExisting, beforeCommit);
}

Entry Journal::RecordVoid(const std::string& serial, const std::string& reason) {
  Entry entry;
  entry.kind = EntryKind::kVoid;
  entry.serial = serial;
  entry.reason = reason;
  return Append(std::move(entry), SerialUse::kExisting);
}

Entry Journal::RecordReprint(const std::string& serial, const HandOn& handOn,
                             const BeforeCommit& beforeCommit) {
  Entry entry;
  entry.kind = EntryKind::kReprint;
  entry.serial = serial;
  entry.handOn = handOn;
  return Append(std::move(entry), SerialUse::kExisting, beforeCommit);
}

Entry Journal::RecordBatchRun(const BatchRun& run, const BeforeCommit& beforeCommit) {
  Entry entry;
  entry.kind = EntryKind::kBatchRun;
  entry.statement.figures = BatchRunRows(run);
  return Append(std::move(entry), SerialUse::kNone, beforeCommit);
}

std::vector<StatementSummary> Journal::ListStatements(const StatementFilter& filter, int limit,
                                                      std::optional<std::int64_t> beforeSeq) {
  SqliteStatement query(db_,
                        std::string(kSelectSummary) +
                            "AND (?1 = '' OR instr(s.find_text, ?2) > 0) "
                            "AND (?3 = '' OR substr(s.recorded_at, 1, 10) >= ?3) "
                            "AND (?4 = '' OR substr(s.recorded_at, 1, 10) <= ?4) " +
                            std::string(StatusCondition(filter.status)) +
                            "AND (?5 IS NULL OR s.seq < ?5) "
                            "ORDER BY s.seq DESC LIMIT ?6",
                        path_);
  // Latin letters match in either case (SQLite's lower() folds ASCII only).
  std::string folded = filter.text;
  std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  query.Bind(1, filter.text).Bind(2, folded);
  query.Bind(3, filter.fromDate).Bind(4, filter.toDate);
  if (beforeSeq) {
    query.Bind(5, *beforeSeq);
  } else {
    query.BindNull(5);
  }
  query.Bind(6, static_cast<std::int64_t>(limit));
  std::vector<StatementSummary> rows;
  while (query.Step()) rows.push_back(ReadSummary(query));
  return rows;
}

void Journal::WarmHistoryIndex() {
  SqliteStatement read(db_,
                       "SELECT max(length(find_text)) FROM entries INDEXED BY statements_to_find "
                       "WHERE kind = 'statement'",
                       path_);
  read.Step();
}

std::optional<StatementSummary> Journal::Summary(const std::string& serial) {
  SqliteStatement query(db_, std::string(kSelectSummary) + "AND s.serial = ?1", path_);
  query.Bind(1, serial);
  if (!query.Step()) return std::nullopt;
  return ReadSummary(query);
}

std::optional<Entry> Journal::FindStatement(const std::string& serial) {
  SqliteStatement query(db_, std::string(kSelectEntry) + "WHERE kind = 'statement' AND serial = ?1",
                        path_);
  query.Bind(1, serial);
  if (!query.Step()) return std::nullopt;
  return FromColumns(ReadColumns(query));
}

void Journal::ForEachEntry(const std::function<void(const Entry&)>& visit) {
  SqliteStatement query(db_, std::string(kSelectEntry) + "ORDER BY seq", path_);
  while (query.Step()) {
    visit(FromColumns(ReadColumns(query)));
  }
}

std::int64_t Journal::EntryCount() {
  SqliteStatement query(db_, "SELECT count(*) FROM entries", path_);
  return query.Step() ? query.Int(0) : 0;
}

ChainCheck Journal::CheckChain() {
  ChainCheck check;
  {
    SqliteStatement integrity(db_, "PRAGMA integrity_check", path_);
    if (integrity.Step() && integrity.Text(0) != "ok") {
      check.intact = false;
      check.problem = "数据库文件已损坏：" + integrity.Text(0);
      return check;
    }
  }
  const auto fail = [&check](std::int64_t seq, std::string serial, std::string problem) {
    check.intact = false;
    check.firstBadSeq = seq;
    check.firstBadSerial = std::move(serial);
    check.problem = std::move(problem);
  };
  std::string previousHash(kNoHash);
  std::int64_t expectedSeq = 1;
  SqliteStatement query(db_, std::string(kSelectEntry) + "ORDER BY seq", path_);
  while (query.Step()) {
    ++check.entries;
    const ColumnValues columns = ReadColumns(query);
    const std::int64_t seq = query.Int(ColumnIndex("seq"));
    const std::string& serial = columns[ColumnIndex("serial")];
    const std::string& hash = columns[ColumnIndex("hash")];
    if (seq != expectedSeq) {
      fail(seq, serial, "此条之前缺少第 " + std::to_string(expectedSeq) + " 条");
    } else if (columns[ColumnIndex("prev_hash")] != previousHash) {
      fail(seq, serial, "此条与前一条的链接不符（前一条被改动、删除或调换）");
    } else if (HashColumns(columns) != hash) {
      fail(seq, serial, "此条的内容与其哈希不符（内容被改动）");
    }
    if (!check.intact) return check;
    previousHash = hash;
    ++expectedSeq;
  }
  SqliteStatement used(db_, "SELECT seq FROM sqlite_sequence WHERE name = 'entries'", path_);
  if (used.Step() && used.Int(0) >= expectedSeq) {
    fail(expectedSeq, "", "第 " + std::to_string(expectedSeq) + " 条及其后的条目已被删除");
  }
  return check;
}

std::string HandOnWord(HandOnKind kind) {
  switch (kind) {
    case HandOnKind::kCopy:
      return "copy";
    case HandOnKind::kPrint:
      return "print";
    case HandOnKind::kPdf:
      return "pdf";
    case HandOnKind::kNone:
      return "";
  }
  return "";
}

std::string EntryKindWord(EntryKind kind) {
  switch (kind) {
    case EntryKind::kStatement:
      return "出具";
    case EntryKind::kHandOnAgain:
      return "再次交付";
    case EntryKind::kVoid:
      return "作废";
    case EntryKind::kReprint:
      return "补打";
    case EntryKind::kBatchRun:
      return "批量计算";
  }
  return "";
}

std::string StatusText(const StatementSummary& s) {
  std::string text = s.voided ? "作废" : "";
  if (s.reprints > 0) {
    if (!text.empty()) text += "，";
    text += "补打 " + std::to_string(s.reprints) + " 次";
  }
  return text;
}

std::filesystem::path DefaultJournalPath() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::filesystem::path base;
  if (data && std::filesystem::path(data).is_absolute()) {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home ? home : ".") / ".local" / "share";
  }
  return base / "quillbary" / "journal.sqlite3";
}

}  // namespace quillbary::journal

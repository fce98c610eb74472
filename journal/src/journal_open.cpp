// Opening a journal: a file is read first, proved to be a journal of a
// version this program knows, and only then written to (WAL, migrations).
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <tuple>

#include "entry_columns.h"
#include "migrations.h"
#include "quillbary/journal.h"
#include "quillbary/path_text.h"
#include "quillbary/system_file.h"
#include "sqlite_statement.h"

namespace quillbary::journal {
namespace {

std::string LocalNow() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = files::LocalTime(now);
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

const std::vector<std::string> kSerialCountersColumns = {"year TEXT 0 1 0", "last INTEGER 1 0 0"};
const std::vector<std::string> kBranchTerminalColumns = {
    "terminal TEXT 1 0 0", "conninfo TEXT 1 0 0", "joined_at TEXT 1 0 0"};
const std::vector<std::string> kBranchReviewsColumns = {
    "id INTEGER 0 1 0",   "serial TEXT 1 0 0",   "verdict TEXT 1 0 0",
    "reason TEXT 1 0 0",  "reviewer TEXT 1 0 0", "reviewed_at TEXT 1 0 0"};

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
      TableColumns(db, "serial_counters", path) != kSerialCountersColumns ||
      (version >= 3 && TableColumns(db, "branch_terminal", path) != kBranchTerminalColumns) ||
      (version >= 4 && TableColumns(db, "branch_reviews", path) != kBranchReviewsColumns)) {
    throw JournalError(JournalError::Kind::kNotADatabase, path,
                       "文件是其他程序的数据库，不是本程序的日志（结构版本为 " +
                           std::to_string(version) + "，但没有本程序日志的表）");
  }
  return version;
}

using Connection = SqliteConnection;

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
  // A Windows path "C:\\x" is the URI path "/C:/x".
  const std::u8string generic = resolved.generic_u8string();
  const std::string path(generic.begin(), generic.end());
  if (!path.starts_with('/')) uri += '/';
  for (const unsigned char c : path) {
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
  const int fd = files::OpenToRead(resolved);
  if (fd < 0) return false;
  unsigned char header[20] = {};
  const bool read = files::ReadAt(fd, header, sizeof header, 0) == sizeof header;
  files::CloseFile(fd);
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
  Connection db = Connect(path, files::Utf8Of(path), SQLITE_OPEN_READONLY, busyTimeoutMs);
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

// Makes the file (and its folders) for a new journal, readable by its owner
// alone: the file 0600, and a folder made for it 0700 whatever the umask
// (the -wal and -shm SQLite makes beside it take the umask). An existing
// file or folder is left as it is.
void MakeFileIfMissing(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path folder = path.parent_path();
  if (!folder.empty() && !std::filesystem::exists(folder, error) && !error) {
    std::filesystem::create_directories(folder.parent_path(), error);
    if (!error && !files::MakePrivateFolder(folder) && errno != EEXIST) {
      error.assign(errno, std::generic_category());
    }
  }
  if (error) {
    throw JournalError(JournalError::Kind::kCannotOpen, path,
                       "无法建立日志所在的文件夹（" + error.message() + "）");
  }
  if (!files::MakePrivateFile(path) && errno != EEXIST) {
    throw JournalError(JournalError::Kind::kCannotOpen, path,
                       std::string("无法建立日志文件（") + std::strerror(errno) + "）");
  }
}

}  // namespace

const int kSchemaVersion = static_cast<int>(kMigrations.size());

JournalError::JournalError(Kind kind, std::filesystem::path path, std::string reason)
    : std::runtime_error(files::Utf8Of(path) + "：" + reason),
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
    return std::unique_ptr<Journal>(new Journal(path, std::move(db), std::move(options)));
  }

  Connection connection = Connect(path, files::Utf8Of(path), SQLITE_OPEN_READWRITE, busyTimeoutMs);
  std::unique_ptr<Journal> opened(new Journal(path, std::move(connection), std::move(options)));
  sqlite3* db = opened->db_.get();
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

void CloseSqliteConnection::operator()(sqlite3* db) const noexcept {
  sqlite3_close(db);
}

Journal::Journal(std::filesystem::path path, SqliteConnection db, JournalOptions options)
    : path_(std::move(path)), db_(std::move(db)), options_(std::move(options)) {
  if (!options_.clock) options_.clock = LocalNow;
}

Journal::~Journal() = default;

std::vector<std::filesystem::path> Journal::FilesInUse() const {
  const std::filesystem::path resolved = ResolvedPath(path_);
  std::vector<std::filesystem::path> files = {resolved, Companion(resolved, "-wal"),
                                              Companion(resolved, "-shm")};
  std::error_code error;
  const std::filesystem::path given = std::filesystem::absolute(path_, error);
  if (!error && given.lexically_normal() != resolved) files.push_back(given);
  return files;
}

std::filesystem::path DefaultJournalPath() {
  return files::UserDataFolder() / "quillbary" / "journal.sqlite3";
}

}  // namespace quillbary::journal

// The journal: every statement handed on, numbered and kept in one SQLite
// file, append-only and chained by SHA-256 so that a changed, removed or
// reordered entry shows.
//
// An entry is one of:
//   - a statement (出具): the first hand-on of a run's figures. It takes the
//     next serial 编号 of its year ("2026-000123", never reused) and holds the
//     statement whole: its header, figures, working, when it was made, and
//     how it was handed on;
//   - a further hand-on (再次交付) of the same statement: copy after print, ...;
//   - a void (作废) of a statement, with its reason;
//   - a reprint (补打) of a statement, with how it was handed on;
//   - a batch run (批量计算): the file calculated and the file of results,
//     each by its name and SHA-256, the summary's counts and the sum of the
//     totals. It has no 编号.
// Nothing is ever changed or deleted: each write appends one entry in one
// transaction (BEGIN IMMEDIATE, so two programs on the same file queue up),
// and the file runs in WAL mode with synchronous=FULL, so an entry whose write
// returned is on disk.
//
// Every entry's hash is SHA-256 over its own fields and the previous entry's
// hash; CheckChain() walks them in order and names the first entry whose
// content or link does not match.
//
// Before an entry is appended, the chain's tail is checked: the last entry
// must match its hash and link to the one before it, and no entry may have
// gone from after it. A tail that does not hold is not written on.
//
// Every function that touches the file may throw JournalError. A file that is
// not a database, is not this program's journal, has a schema version this
// program does not know, is read-only or stays locked is reported and left
// exactly as it was: byte for byte, and no -wal or -shm made next to it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quillbary/statement.h"

struct sqlite3;

namespace quillbary::journal {

// The schema this program writes. A file with a higher user_version belongs
// to a newer program and is refused; lower ones are migrated step by step.
extern const int kSchemaVersion;

struct JournalError : std::runtime_error {
  enum class Kind {
    kCannotOpen,       // no such folder, no permission, ...
    kNotADatabase,     // not SQLite, SQLite of another program, or a schema
                       // version this program does not know (negative, ...)
    kReadOnly,         // the file or its folder cannot be written (or, when
                       // only reading, a -wal that cannot be read: see Open)
    kNewerSchema,      // a user_version above kSchemaVersion
    kLocked,           // another program held it past the busy timeout
    kDiskFull,         // the entry was not written; nothing of it is kept
    kIo,               // any other failure of the file
    kNoSuchStatement,  // a void, reprint or hand-on names an unknown 编号
    kAlreadyVoided,    // a voided statement is neither voided again nor handed on
    kBrokenChain,      // the chain's tail was changed or cut: nothing is appended
    kNoReason,         // a void whose reason is empty or only blanks
    kAlreadyJoined,    // the journal is already a branch terminal's
  };
  JournalError(Kind kind, std::filesystem::path path, std::string reason);

  Kind kind;
  std::filesystem::path path;
  std::string reason;  // in Chinese, for the box the window shows
};

// The lines a clerk fills in above the figures; each may be blank.
struct StatementHeader {
  std::string borrower;    // 借款人
  std::string loanNumber;  // 借据号
  std::string clerk;       // 经办人

  bool operator==(const StatementHeader&) const = default;
};

enum class HandOnKind { kNone, kCopy, kPrint, kPdf };

struct HandOn {
  HandOnKind kind = HandOnKind::kNone;
  std::string pdfPath;  // where a PDF went; empty otherwise

  bool operator==(const HandOn&) const = default;
};

enum class EntryKind { kStatement, kHandOnAgain, kVoid, kReprint, kBatchRun };

// One batch run, as it is recorded. The paths are as the program was given
// them, made absolute; the digests are SHA-256 in lower-case hex.
//
// A run counts its rows by status (已算出, 日期有误, 未算出) and adds up the
// figures of its 已算出 rows, each sum on its own (hasStatuses). Entries
// recorded before rows had a status keep what was counted then instead (rows
// with a total, with a warning, with an error, and every total added up);
// they are read and written back item for item as they were stored.
struct BatchRunRecord {
  std::string inputPath;
  std::string inputSha256;
  std::string outputPath;
  std::string outputSha256;
  std::int64_t rowsRead = 0;
  // An older entry's counts and sum.
  std::int64_t rowsWithTotal = 0;
  std::int64_t rowsWithWarnings = 0;
  std::int64_t rowsWithErrors = 0;
  // The totals added up, to the fen: "11123.96". An older entry's adds every
  // total; a run with statuses has it only when its 已算出 rows have one kind
  // of total (the 利息合计 or the 本息合计 sum), and "" otherwise.
  std::string totalSum;

  bool hasStatuses = false;
  std::int64_t rowsCalculated = 0;     // 已算出
  std::int64_t rowsDateOrder = 0;      // 日期有误
  std::int64_t rowsNotCalculated = 0;  // 未算出
  // Over the 已算出 rows, to the fen: "566.40".
  std::string normalInterestSum{};
  std::string overdueInterestSum{};
  std::string interestTotalSum{};         // 利息合计
  std::string principalAndInterestSum{};  // 本息合计

  bool operator==(const BatchRunRecord&) const = default;
};

struct Entry {
  std::int64_t seq = 0;  // the entry's place in the chain, from 1
  EntryKind kind = EntryKind::kStatement;
  std::string serial;      // 编号 of the statement the entry is about
  std::string recordedAt;  // local time, "2026-12-09 14:05:31"
  std::string programVersion;
  StatementHeader header;  // a statement's; empty for the other kinds
  // A statement's; empty for the other kinds.
  Statement statement;
  BatchRunRecord batchRun;         // a batch run's; empty for the other kinds
  HandOn handOn;             // statement, hand-on and reprint entries
  std::string reason;        // a void's
  std::string previousHash;  // 64 hex digits; zeros for the first entry
  std::string hash;
};

// A review (复核) of one of the terminal's statements, as the branch's server
// recorded it and the terminal copied it back.
struct BranchReview {
  std::int64_t id = 0;  // the server's
  std::string serial;
  bool passed = true;  // 通过; else 退回, with a reason
  std::string reason;
  std::string reviewer;
  std::string reviewedAt;  // "2026-12-10 14:05:31"
};

// One row of the history: a statement and what happened to it since.
struct StatementSummary {
  std::int64_t seq = 0;
  std::string serial;
  std::string recordedAt;
  std::string borrower;
  std::string loanNumber;
  std::string amount;        // 还款金额 as typed
  std::string totalCaption;  // 利息合计 or 本息合计
  std::string total;
  bool voided = false;
  int reprints = 0;
  std::optional<BranchReview> review;  // the latest copied back from the branch
};

enum class StatusFilter { kAll, kInForce, kVoided, kReprinted };

struct StatementFilter {
  // Part of 借款人, 借据号 or 编号, matched as typed (% and _ are literal,
  // Latin letters in either case: "jd-7" finds "JD-7");
  // empty matches every statement.
  std::string text;
  std::string fromDate;  // "2026-03-01", inclusive; empty for no bound
  std::string toDate;    // inclusive
  StatusFilter status = StatusFilter::kAll;
};

struct ChainCheck {
  std::int64_t entries = 0;  // how many entries were read
  bool intact = true;
  std::int64_t firstBadSeq = 0;  // 0 when intact
  std::string firstBadSerial;
  std::string problem;  // what did not match, in Chinese
};

// The branch a journal's terminal belongs to.
struct BranchMembership {
  std::string terminal;  // "T02"
  std::string conninfo;  // libpq's connection string, without a password
  std::string joinedAt;
};

struct JournalOptions {
  int busyTimeoutMs = 5000;
  // Only reads: a missing file is an error rather than made, a write-protected
  // file or folder is fine, and nothing is migrated (an older journal is
  // refused). For checking and exporting. The journal itself is never written;
  // in a folder that can be written, SQLite may leave an empty -wal and a -shm
  // next to a journal in WAL mode, as any reader of it does.
  bool readOnly = false;
  std::string programVersion;
  // The local time as "YYYY-MM-DD HH:MM:SS"; the system's local time when
  // not set. Its year numbers the serials.
  std::function<std::string()> clock;
};

// A SQLite connection, closed with its owner.
struct CloseSqliteConnection {
  void operator()(sqlite3* db) const noexcept;
};
using SqliteConnection = std::unique_ptr<sqlite3, CloseSqliteConnection>;

class Journal {
 public:
  // Opens the journal at path, making it (mode 0600, its folders too) when it
  // does not exist. A path that is not a regular file is refused
  // (kNotADatabase), so that a FIFO never blocks the open.
  //
  // An existing file is first read through a read-only connection (one in WAL
  // mode with no -wal next to it is read as it is on disk, so that no -wal or
  // -shm is made for it), and must prove to be a journal from its schema: its
  // user_version is 0 with no tables (new), or 1 to kSchemaVersion with the
  // entries and serial_counters tables of that version, column for column.
  // Anything else is refused (kNotADatabase; kNewerSchema above
  // kSchemaVersion) before anything in it changes: it is not switched to WAL,
  // not migrated, and no -wal or -shm is made for it. Only then is it opened
  // for writing (proved again there), switched to WAL and migrated.
  //
  // With options.readOnly, a journal in WAL mode whose folder cannot be
  // written (so SQLite cannot make the -shm its readers need) is read as it is
  // on disk, without locks. A -wal holding entries not yet in the file would
  // not be seen that way: such a journal is refused (kReadOnly) instead.
  static std::unique_ptr<Journal> Open(const std::filesystem::path& path,
                                       JournalOptions options = {});
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The names the journal's data lives under, whether or not each exists now:
  // the file (as given, and the file a link leads to), its -wal and its -shm
  // (SQLite names them after the file a link leads to). A write to any of
  // them would damage the journal.
  std::vector<std::filesystem::path> FilesInUse() const;

  // Told of an entry, numbered and written but not yet committed, so that
  // what it records (a PDF file) can be made with its 编号 first; throwing
  // from it leaves nothing of the entry, its 编号 unused, and passes on.
  using BeforeCommit = std::function<void(const Entry& entry)>;

  // Each appends one entry and returns it as stored. Within the append's
  // transaction the tail is checked first: the last entry's hash must
  // recompute from its columns, its link must be its predecessor's hash, and
  // the highest seq ever handed out must be the last entry's. When not,
  // kBrokenChain, with what did not hold and the advice to run
  // `quillbary --check-journal`; nothing is appended and no 编号 is used.
  // The tail check alone cannot see a change further back (the full check
  // does), nor entries removed from the end together with the record of the
  // highest seq: the shorter chain that is left is whole.
  Entry RecordStatement(const StatementHeader& header, const Statement& statement,
                        const HandOn& handOn, const BeforeCommit& beforeCommit = {});
  Entry RecordHandOnAgain(const std::string& serial, const HandOn& handOn,
                          const BeforeCommit& beforeCommit = {});
  // A void needs a reason with at least one character that is not blank (a
  // space of any width, a tab, a line break): otherwise kNoReason, and
  // nothing is appended. `clerk` is the 经办人 who voided it.
  Entry RecordVoid(const std::string& serial, const std::string& reason,
                   const std::string& clerk = {});
  Entry RecordReprint(const std::string& serial, const HandOn& handOn,
                      const BeforeCommit& beforeCommit = {});
  Entry RecordBatchRun(const BatchRunRecord& run, const BeforeCommit& beforeCommit = {});

  // Newest first; at most `limit` rows, all of them older than beforeSeq when
  // given (the next page after a row's seq).
  std::vector<StatementSummary> ListStatements(const StatementFilter& filter, int limit,
                                               std::optional<std::int64_t> beforeSeq = {});
  // Reads the history's index into this connection's cache (tens of
  // milliseconds on 100,000 statements), so that the first keystroke of the
  // filter that scans it all does not wait for the disk.
  void WarmHistoryIndex();
  // A statement's own entry, or nothing for an unknown 编号.
  std::optional<Entry> FindStatement(const std::string& serial);
  // A statement's void entry (its reason, time and 经办人 in header.clerk), or
  // nothing while it is in force.
  std::optional<Entry> FindVoid(const std::string& serial);
  // The summary of one statement (its void and reprints).
  std::optional<StatementSummary> Summary(const std::string& serial);
  // Every entry in chain order, one at a time.
  void ForEachEntry(const std::function<void(const Entry&)>& visit);
  std::int64_t EntryCount();
  // Every entry about one 编号 (the statement, its hand-ons, reprints and
  // void) in chain order; none for an unknown 编号.
  std::vector<Entry> EntriesOf(const std::string& serial);

  // The branch terminal this journal hands out 编号 for ("T02"), or "" while
  // it has joined none: then a statement is "2026-000123", after joining
  // "2026-T02-000124" (the year's count goes on; numbers given stay).
  std::string Terminal();
  // The terminal with the branch's connection string and when it joined.
  std::optional<BranchMembership> Membership();
  // Makes the journal a terminal's, once: kAlreadyJoined when it is one.
  void JoinTerminal(const std::string& terminal, const std::string& conninfo);
  // Keeps copies of the branch's reviews of this terminal's statements; one
  // already kept (by id) is left as it is. Outside the chain.
  void KeepReviews(const std::vector<BranchReview>& reviews);
  // The highest review id kept, 0 when none: the next copy asks for those after it.
  std::int64_t LastReviewId();
  // A statement's latest review kept, or nothing.
  std::optional<BranchReview> LatestReview(const std::string& serial);

  // PRAGMA integrity_check, then the hash chain from the first entry.
  ChainCheck CheckChain();

 private:
  Journal(std::filesystem::path path, SqliteConnection db, JournalOptions options);
  // Whether an entry takes the next 编号, is about a statement already
  // numbered (which must exist and be in force), or has none.
  enum class SerialUse { kNew, kExisting, kNone };
  Entry Append(Entry entry, SerialUse serialUse, const BeforeCommit& beforeCommit = {});
  // The last entry's seq and hash, once the tail has proved whole; throws
  // kBrokenChain otherwise. Called inside the append's transaction.
  std::pair<std::int64_t, std::string> CheckedTail();

  std::filesystem::path path_;
  SqliteConnection db_;
  JournalOptions options_;
};

// The text an entry's hash is the SHA-256 of: its hashed columns as stored,
// its previous hash among them. A copy of the chain kept elsewhere (the
// branch's server) keeps this text, so that it can check every hash and link
// without knowing the columns.
std::string HashInputOf(const Entry& entry);
// The entry a hash input was made from, its `hash` set to the input's
// SHA-256; nothing for a text that is not a hash input (a malformed length, a
// column this program does not know). HashInputOf(*EntryFromHashInput(t)) == t.
std::optional<Entry> EntryFromHashInput(std::string_view input);
// An entry's columns as the journal stores them, by column name: "kind" is
// "statement", "handon", "void", "reprint" or "batch"; "amount", "total",
// "handed_on", ... as the journal's own history reads them.
std::string StoredColumn(const Entry& entry, std::string_view column);

// A figure as a statement shows it, as a plain decimal: "10,000.00 元" ->
// "10000.00"; a text that is no figure comes back as it was.
std::string PlainFigure(std::string_view shown);

// "copy", "print", "pdf" or "" — the words stored and exported.
std::string HandOnWord(HandOnKind kind);
// "复制", "打印", "PDF" or "" — the words the exports show.
std::string HandOnName(HandOnKind kind);
// "出具", "再次交付", "作废", "补打", "批量计算".
std::string EntryKindWord(EntryKind kind);

// The SHA-256 of a file's bytes in lower-case hex, read in blocks. Throws
// JournalError (kIo) naming the file when it cannot be read or is not a
// regular file (a FIFO, a device, a folder: refused without waiting on it).
std::string FileSha256(const std::filesystem::path& file);

// Whether text (UTF-8) has a character other than the Unicode blanks: spaces
// of every width (U+0020, U+00A0, U+3000, ...), tabs and line breaks. "　"
// (U+3000) and " \t\n" have none; " 重复 " has.
bool HasNonBlank(std::string_view text);

// The status column of the history: "作废", "补打 2 次", "作废，补打 1 次" or "".
std::string StatusText(const StatementSummary& summary);
// The same for a statement known by whether it is voided and its reprints.
std::string StatusText(bool voided, int reprints);

// $XDG_DATA_HOME/quillbary/journal.sqlite3, or ~/.local/share/quillbary/
// journal.sqlite3 when XDG_DATA_HOME is unset or not absolute.
std::filesystem::path DefaultJournalPath();

}  // namespace quillbary::journal

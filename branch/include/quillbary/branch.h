// The branch: every terminal's journal copied to the branch's PostgreSQL
// database, where a supervisor reviews statements (复核) and totals the day.
//
// The server keeps each entry as its terminal hashed it (the hash input, with
// the previous hash in it), and refuses, for every role, the owner's too:
//   - an entry whose hash is not its input's SHA-256, or that does not follow
//     the terminal's previous entry (so the copy never has a gap);
//   - an entry of a terminal sent by a role other than the one that joined it;
//   - any UPDATE, DELETE or TRUNCATE of what it holds;
//   - a review by the role that uploaded the statement.
// The role that sent a row is stamped into it by the server (session_user),
// whatever the row says.
//
// Connections take a libpq connection string ("host=... dbname=...") or
// "service=NAME"; passwords stay in libpq's own ~/.pgpass or service file. A
// connection string that holds a password is refused, so that it is never
// kept in the program's settings.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillbary/journal.h"
#include "quillbary/journal_export.h"

namespace quillbary::branch {

// The schema version this program makes and reads.
extern const int kBranchSchemaVersion;

struct BranchError : std::runtime_error {
  enum class Kind {
    kCannotConnect,   // no server, refused login, bad TLS, a password in the string
    kNotABranch,      // the database has no branch schema, or another version
    kAlreadyMade,     // --init-branch on a database that has the schema
    kRefused,         // the server refused a write (a role, a review, ...)
    kDivergence,      // the server holds another entry at this (terminal, seq)
    kBrokenLink,      // the server refused an entry that does not follow its chain
  };
  BranchError(Kind kind, std::string reason);
  Kind kind;
  std::string reason;  // in Chinese, for a box or the command line
};

// The refusal libpq would give of a connection string that holds a password
// ("password=..." or a URI with one), or nothing.
std::optional<std::string> PasswordIn(const std::string& conninfo);

// A server that does not answer is given up after this long, unless the
// connection string says otherwise: libpq alone would wait as long as the
// system's TCP does (minutes), and the background copy with it.
inline constexpr int kConnectTimeoutSeconds = 10;
// conninfo with connect_timeout added when it has none:
//   "host=db dbname=b" -> "host=db dbname=b connect_timeout=10"
//   "postgresql://db/b" -> "postgresql://db/b?connect_timeout=10"
std::string WithConnectTimeout(const std::string& conninfo);

enum class Verdict { kPass, kReturn };  // 通过, 退回

struct Review {
  std::string terminal;
  std::string serial;
  Verdict verdict = Verdict::kPass;
  std::string reason;
  std::string reviewer;    // the server's role name
  std::string reviewedAt;  // "2026-12-10 14:05:31", the server's local time
  std::int64_t id = 0;     // the server's, rising: a terminal asks for those after the last it has
};

// The branch history's filters; an empty field matches everything.
enum class ReviewFilter { kAll, kPending, kPassed, kReturned };  // by the latest review
struct BranchFilter {
  std::string terminal;  // "T02", exactly
  std::string clerk;     // the role that uploaded the statement, exactly
  std::string fromDate;  // "2026-12-01", inclusive, on the statement's recorded_at
  std::string toDate;    // inclusive
  ReviewFilter review = ReviewFilter::kAll;
  // Part of 借款人, 借据号 or 编号, as typed (% and _ literal, Latin letters
  // in either case), as the local history finds it.
  std::string text;
};

// One row of the branch history: a statement of some terminal, what happened
// to it since (voided, reprinted) and its latest review.
struct BranchStatement {
  std::string terminal;
  std::int64_t seq = 0;
  std::string serial;
  std::string recordedAt;
  std::string clerk;  // the role that uploaded it
  std::string borrower;
  std::string loanNumber;
  std::string amount;
  std::string totalCaption;
  std::string total;
  bool voided = false;
  int reprints = 0;
  std::optional<Review> review;  // the latest; none when not yet reviewed
};

// What the day's close totals, for one date and one terminal or the branch.
struct DayClose {
  std::string date;      // "2026-12-10"
  std::string terminal;  // "" for the whole branch
  std::int64_t statements = 0;
  std::int64_t handOnsAgain = 0;
  std::int64_t reprints = 0;
  std::int64_t voids = 0;
  std::int64_t batchRuns = 0;
  std::int64_t batchRows = 0;
  std::string interestTotalSum = "0.00";           // over 利息合计 statements in force
  std::string principalAndInterestSum = "0.00";  // over 本息合计 statements in force
  std::int64_t reviewed = 0;
  std::int64_t pendingReview = 0;
  struct Head {
    std::string terminal;
    std::int64_t seq = 0;
    std::string hash;
    // The terminal's last signed checkpoint: 0 and "" when it has none.
    std::int64_t signedSeq = 0;
    std::string signature;
  };
  std::vector<Head> heads;  // every terminal's last uploaded entry
  struct Voided {
    std::string terminal;
    std::string serial;
    std::string reason;
    std::string clerk;  // who voided it, as the terminal recorded
  };
  std::vector<Voided> voided;  // the day's voids, in the order they were recorded
};

// The day's close as a page's or a sheet's title and table: counts in one
// column, sums of money in the next, each void with its reason, then each
// terminal's chain head and last signed checkpoint.
//   DayCloseTitle of the 2026-12-10 close of T01 -> "日终汇总 2026-12-10（T01）",
//   of the whole branch -> "日终汇总 2026-12-10（全分行）"
//   DayCloseTable rows: {"日期", "2026-12-10", ""}, {"范围", "T01", ""},
//   {"出具计息单", "2", ""}, ..., {"利息合计之和", "", "1123.96"}, ...
std::string DayCloseTitle(const DayClose& close);
journal::Table DayCloseTable(const DayClose& close);

struct UploadResult {
  std::int64_t sent = 0;      // entries the server did not have
  std::int64_t alreadyThere = 0;
  std::int64_t serverHead = 0;  // the terminal's highest seq on the server after
  std::string headHash;         // its hash, when this upload sent it
};

// A terminal's signed word on its chain's head, with what the server holds.
struct Checkpoint {
  std::string terminal;
  std::int64_t seq = 0;
  std::string hash;
  std::string signature;  // Ed25519, hex
  std::string publicKey;  // the terminal's, as it joined
  std::string entryHash;  // the server's entry at seq; empty when it has none
};

struct TerminalChainCheck {
  std::string terminal;
  std::int64_t entries = 0;
  bool whole = true;
  std::int64_t firstBadSeq = 0;
  std::string problem;  // in Chinese; empty when whole
};

class Branch {
 public:
  // Connects; throws kCannotConnect with libpq's reason.
  explicit Branch(const std::string& conninfo);
  ~Branch();
  Branch(const Branch&) = delete;
  Branch& operator=(const Branch&) = delete;

  // Makes the schema and the two group roles, once; kAlreadyMade when the
  // database has it. Run by the database's owner.
  void Init();
  // Gives this connection's role the branch's next terminal: "T01", "T02", ...
  // (never the same twice, whoever asks at the same time), with the public
  // key its checkpoints will be signed with.
  std::string Join(const std::string& publicKeyHex = {});

  // Records a checkpoint (idempotent); refused unless it names an entry the
  // server holds, from the role that joined the terminal.
  void PutCheckpoint(const std::string& terminal, std::int64_t seq, const std::string& hash,
                     const std::string& signature);
  // Every checkpoint of one terminal, or ("") of all, newest last.
  std::vector<Checkpoint> Checkpoints(const std::string& terminal = {});

  // The terminal's highest seq on the server, 0 when it has none.
  std::int64_t Head(const std::string& terminal);
  // Copies entries, in chain order, each in a transaction of its own: one the
  // server has with the same hash is counted and skipped, one it has with
  // another hash throws kDivergence naming the seq, and nothing after it goes.
  UploadResult Upload(const std::string& terminal, const std::vector<journal::Entry>& entries);

  // Records 复核 of a statement: 退回 needs a reason that is not blank.
  // Refused (kRefused) for the role that uploaded it, or an unknown statement.
  Review RecordReview(const std::string& terminal, const std::string& serial, Verdict verdict,
                      const std::string& reason);
  // A statement's reviews, oldest first.
  std::vector<Review> ReviewsOf(const std::string& terminal, const std::string& serial);

  // The terminal's (seq, hash) on the server, in chain order.
  std::vector<std::pair<std::int64_t, std::string>> Hashes(const std::string& terminal);

  // Every terminal's chain on the server, checked whole: each entry's hash
  // against the SHA-256 of its hash input, each link against the entry
  // before it, and no seq missing. What the server's triggers refuse on the
  // way in can only be there if someone switched them off.
  std::vector<TerminalChainCheck> CheckChains();

  // The day's close for `date` ("2026-12-10"), of one terminal or ("") all.
  DayClose CloseOfDay(const std::string& date, const std::string& terminal = {});

  // The branch history: up to `limit` statements matching filter, newest
  // first (recorded_at, then terminal and seq, descending), each after
  // `after` (the last row of the page before; none for the first page).
  // Paging by key, so that a page deep in a million rows costs what the
  // first does.
  std::vector<BranchStatement> FindStatements(const BranchFilter& filter,
                                              const std::optional<BranchStatement>& after,
                                              int limit);
  // The terminals and the uploading clerks the server holds, sorted, for
  // the history's filter lists.
  std::vector<std::string> Terminals();
  std::vector<std::string> Clerks();
  // A statement entry as the terminal recorded it, rebuilt from its hash
  // input, to show whole; none for an unknown (terminal, serial).
  std::optional<journal::Entry> StatementEntry(const std::string& terminal,
                                               const std::string& serial);
  // The reviews of one terminal's statements with id above afterId, oldest
  // first: how a terminal learns the reviews of its own statements.
  std::vector<Review> ReviewsOfTerminal(const std::string& terminal, std::int64_t afterId);

 private:
  struct Connection;  // the server's connection, libpqxx's
  void RequireSchema();
  std::unique_ptr<Connection> connection_;
};

// Copies every entry of the journal the server does not have yet, in
// batches, from the server's head on: what a terminal does in the background,
// and on reconnecting after working offline.
UploadResult UploadPending(journal::Journal& journal, Branch& branch, const std::string& terminal);

// What the server's copy of a terminal's chain says of the local journal:
// every entry the server holds must be in the journal with the same hash. A
// journal shorter than the server's copy lost its tail (entries removed with
// the record of the highest seq, a -wal deleted after an unclean close); a
// different hash at a seq the server holds is an entry changed, even with
// every hash after it recomputed.
struct ServerCopyCheck {
  bool agrees = true;
  std::int64_t serverEntries = 0;
  std::int64_t firstBadSeq = 0;  // 0 when it agrees
  std::string problem;           // in Chinese
};
ServerCopyCheck CompareWithServerCopy(journal::Journal& journal, Branch& branch,
                                      const std::string& terminal);

// UploadPending, then the new head signed with the terminal's key (kept in
// keyFile) and sent as a checkpoint. A terminal without its key copies
// unsigned.
UploadResult CopyToBranch(journal::Journal& journal, Branch& branch, const std::string& terminal,
                          const std::filesystem::path& keyFile);

// Joins the branch at conninfo as a new terminal: a key pair made (the
// private key written to keyFile), the terminal given by the server with the
// public key, the journal made that terminal's, and copied up. Refused,
// before the server is asked, for a journal already a terminal's.
std::string JoinBranch(journal::Journal& journal, const std::string& conninfo,
                       const std::filesystem::path& keyFile, UploadResult* copied = nullptr);

// "通过" or "退回".
std::string VerdictName(Verdict verdict);

// A review as a terminal keeps it in its journal.
journal::BranchReview JournalCopyOf(const Review& review);

}  // namespace quillbary::branch

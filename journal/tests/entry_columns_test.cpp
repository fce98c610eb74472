// The column table's contracts: the hash input of the header's worked
// example, byte for byte, and a journal's table as the column table says it
// is, whether made new or migrated from the first version.
#include "quillbary/path_text.h"
#include "../src/entry_columns.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "test_journal.h"
#include "test_names.h"

namespace quillbary::journal {
namespace {

TEST(EntryColumns, HashTheHeadersWorkedExampleByteForByte) {
  Entry entry;
  entry.seq = 2;
  entry.kind = EntryKind::kVoid;
  entry.serial = "2026-000001";
  entry.recordedAt = "2026-12-09 14:05:31";
  entry.programVersion = "1.00";
  entry.reason = "重复";
  entry.previousHash = std::string(64, '1');
  const ColumnValues columns = ToColumns(entry);
  EXPECT_EQ(HashInput(columns),
            "seq=1:2;kind=4:void;serial=11:2026-000001;recorded_at=19:2026-12-09 14:05:31;"
            "program_version=4:1.00;borrower=0:;loan_number=0:;clerk=0:;amount=0:;"
            "total_caption=0:;total=0:;figures=0:;working=0:;made_at=0:;handed_on=0:;"
            "pdf_path=0:;reason=6:重复;prev_hash=64:" +
                std::string(64, '1') + ";");
  EXPECT_EQ(HashColumns(columns),
            "a43b417cee1a7a5b25718cb8e2741c9a525b226ed319f7b6c7816473df351fb1");
}

// The migrations are frozen text; the table they leave must be the column
// table's, or the INSERT and SELECT made from it would not fit.
struct TableCase {
  std::string name;
  bool fromVersionOne;
};

class EntriesTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(EntriesTable, HasTheColumnTablesColumns) {
  TempFolder folder;
  const auto path = folder / "journal.sqlite3";
  if (GetParam().fromVersionOne) std::filesystem::copy_file(QUILLBARY_JOURNAL_V1, path);
  OpenAt(path);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(files::Utf8Of(path).c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT name || ' ' || type || ' ' || \"notnull\" || ' ' || pk || ' ' || "
                     "hidden FROM pragma_table_xinfo('entries')",
                     -1, &query, nullptr);
  std::vector<std::string> columns;
  while (sqlite3_step(query) == SQLITE_ROW) {
    columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  EXPECT_EQ(columns, ColumnsOfVersion(kSchemaVersion));
}

INSTANTIATE_TEST_SUITE_P(Journal, EntriesTable,
                         ::testing::Values(TableCase{"made_new", false},
                                           TableCase{"migrated_from_version_one", true}),
                         RowName());

}  // namespace
}  // namespace quillbary::journal

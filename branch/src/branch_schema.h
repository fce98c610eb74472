// The branch's schema (sql/branch-schema-1.sql), built into the program.
#pragma once

namespace quillbary::branch {
extern const char* const kBranchSchemaSql;
}

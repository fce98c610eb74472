// The branch tests' server: a database of each test's own on it, made by the
// owner, and SQL run as any of the server's roles (branch_owner, clerk_a,
// clerk_b, supervisor_s: see postgres-server.sh).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "quillbary/branch.h"

namespace quillbary::branch {

// The connection string for `user` on `database` of the tests' server.
std::string Conninfo(const std::string& database, const std::string& user);
// A new, empty database with a name of its own.
std::string FreshDatabase();
// A new database with the branch's schema made in it, by the owner.
std::string FreshBranch();
// Runs sql as user; the server's refusal passes on as pqxx's exception.
void SqlAs(const std::string& database, const std::string& user, const std::string& sql);
// The BranchError `call` throws (its reason into *reason), or nothing.
std::optional<BranchError::Kind> RefusalOf(const std::function<void()>& call,
                                           std::string* reason = nullptr);

}  // namespace quillbary::branch

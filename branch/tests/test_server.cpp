#include "test_server.h"

#include <pqxx/pqxx>

#include <atomic>
#include <random>

#include "quillbary/branch.h"

namespace quillbary::branch {

std::string Conninfo(const std::string& database, const std::string& user) {
  return "host=" QUILLBARY_TEST_SERVER " dbname=" + database + " user=" + user;
}

std::string FreshDatabase() {
  static std::atomic<int> made{0};
  std::random_device seed;
  const std::string name = "branch_" + std::to_string(seed()) + "_" + std::to_string(++made);
  pqxx::connection connection(Conninfo("postgres", "branch_owner"));
  pqxx::nontransaction(connection).exec("CREATE DATABASE " + name);
  return name;
}

std::string FreshBranch() {
  const std::string database = FreshDatabase();
  Branch(Conninfo(database, "branch_owner")).Init();
  return database;
}

void SqlAs(const std::string& database, const std::string& user, const std::string& sql) {
  pqxx::connection connection(Conninfo(database, user));
  pqxx::work work(connection);
  work.exec(sql);
  work.commit();
}

std::optional<BranchError::Kind> RefusalOf(const std::function<void()>& call,
                                           std::string* reason) {
  try {
    call();
  } catch (const BranchError& error) {
    if (reason != nullptr) *reason = error.reason;
    return error.kind;
  }
  return std::nullopt;
}

}  // namespace quillbary::branch

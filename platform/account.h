#pragma once

#include <string>

namespace qm::platform {

// Whether the process token holds the built-in Administrators group.
bool is_administrator();

struct AccountName {
  std::string user;
  std::string domain;
};

// The account of the process token; empty names when it cannot be looked up.
AccountName process_account();

}  // namespace qm::platform

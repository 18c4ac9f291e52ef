#pragma once
// The run's state, owned in one place and handed to every command handler:
// the package read at start-up and the variable store.

#include <cstddef>
#include <string>

#include "engine/setup_package.h"
#include "engine/variable_store.h"

namespace qm {

struct Engine {
  SetupPackage package;
  VariableStore variables;

  // Raw parameter field n of a script line.
  std::string field(std::size_t line, std::size_t n) const { return package.field_of_line(line, n); }
};

}  // namespace qm

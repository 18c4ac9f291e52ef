#pragma once
// The run-time error of a setup script. Handlers throw it with the exact text
// the user is to read; only the interpreter turns it into the error report
// ("Runtime error in setup script:" with the line number).

#include <stdexcept>
#include <string>

namespace qm {

class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qm

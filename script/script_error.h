#pragma once
// Errors whose text is written for the person running the setup.
//
// Anything the engine shows a user when something fails is the text of a
// SetupError: a sentence of ours (and, for failures of Windows, Windows' own
// explanation; see platform/windows_error.h). Other exceptions are internal
// faults; the engine reports them with a general text of its own and keeps
// their message for the trace.

#include <stdexcept>
#include <string>

namespace qm {

class SetupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The run-time error of a setup script. Handlers throw it with the exact text
// the user is to read; only the interpreter turns it into the error report
// ("Runtime error in setup script:" with the line number).
class ScriptError : public SetupError {
 public:
  using SetupError::SetupError;
};

}  // namespace qm

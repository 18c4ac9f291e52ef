#pragma once
// How the platform layer reports a failure of Windows.
//
// The rule: a platform function that cannot do its work throws WindowsError.
// Its text is a sentence of ours that says what could not be done ("Unable
// to create the file C:\...\qvx.tmp"), then ": " and Windows' own text for
// the error code ("Access is denied."), so it can be shown to a user as it
// stands. Functions whose failure is an ordinary answer (a file that does not
// exist, a key that cannot be opened) return it instead of throwing.

#include <cstdint>
#include <string>

#include "script/script_error.h"

namespace qm::platform {

class WindowsError : public SetupError {
 public:
  // `sentence` says what failed, without a full stop; `code` is GetLastError().
  WindowsError(const std::string& sentence, std::uint32_t code);

  std::uint32_t code() const { return code_; }

 private:
  std::uint32_t code_;
};

// Windows' text for an error code ("Access is denied."), or "Windows error N"
// when it has none.
std::string system_error_text(std::uint32_t code);

}  // namespace qm::platform

#pragma once
// The one way errors travel inside the library: a Failure carries the code
// that GetLastArchiveError reports (QVX_ERROR_*) and a short reason.

#include <exception>

#include "qvx/qvx_archive.h"

namespace qvx {

class Failure : public std::exception {
 public:
  Failure(int code, const char* reason) : code_(code), reason_(reason) {}
  int code() const { return code_; }
  const char* what() const noexcept override { return reason_; }

 private:
  int code_;
  const char* reason_;  // a string literal
};

[[noreturn]] inline void fail(int code, const char* reason) { throw Failure(code, reason); }
[[noreturn]] inline void data_error(const char* reason) { fail(QVX_ERROR_DATA, reason); }
[[noreturn]] inline void unsupported(const char* reason) { fail(QVX_ERROR_CANNOT_OPEN, reason); }

}  // namespace qvx

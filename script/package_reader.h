#pragma once
// Reads the setup package text into its in-memory form.
//
// The text is a sequence of sections in fixed order. A list section is any
// number of lines closed by a line that is exactly "$"; a value section is
// one line. Lines end with CR LF and are taken whole. Bytes after the last
// section (a signature, say) are ignored.

#include <string>
#include <string_view>

#include "script/script_error.h"
#include "script/setup_package.h"

namespace qm {

// A package that cannot be read: empty, cut short, or not of this format.
class PackageError : public SetupError {
 public:
  using SetupError::SetupError;
};

SetupPackage parse_package(std::string_view text);

// Reads a package file (the copy taken out of the executable).
SetupPackage read_package(const std::string& path);

}  // namespace qm

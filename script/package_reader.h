#pragma once
// Reads the setup package text into its in-memory form.
//
// The text is a sequence of sections in fixed order. A list section is any
// number of lines closed by a line that is exactly "$"; a value section is
// one line. Lines end with CR LF and are taken whole. Bytes after the last
// section (a signature, say) are ignored.

#include <cstddef>
#include <optional>
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

// Reads a package text. The package keeps the text: a caller that has no
// further use for its string hands it over rather than having it copied.
SetupPackage parse_package(std::string_view text);
SetupPackage parse_package(std::string&& text);
SetupPackage parse_package(const char* text);

// Finds where a package ends in a text that may go on with other bytes
// (appended data behind the package), reading it piece by piece as it
// arrives. scan() is given the text so far (each call a longer prefix of the
// same bytes) and answers the length of the package once its last section is
// complete; `all_of_it` says the text will not grow further, so that a last
// line without a line end counts. A package that ends early is never
// complete: parse_package() then says where it stopped.
class PackageScanner {
 public:
  std::optional<std::size_t> scan(std::string_view text, bool all_of_it);

 private:
  std::size_t section_ = 0;
  std::size_t pos_ = 0;
};

// Reads a package file (the copy taken out of the executable).
SetupPackage read_package(const std::string& path);

}  // namespace qm

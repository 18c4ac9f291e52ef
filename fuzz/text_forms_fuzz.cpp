// The small text forms every command reads: integer text (held against a
// plain reading of its grammar, and read back from the forms the engine
// writes), truth text, the one-line form of line breaks, the path pieces and
// dotted versions.

#include <cstdio>
#include <optional>

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/dotted_version.h"
#include "script/integer_text.h"
#include "script/path_text.h"
#include "script/script_error.h"
#include "script/truth_text.h"

namespace {

// integer = blanks* sign? ( decimal | hex-prefix hex-digits ), fitting 32 bits.
std::optional<std::int32_t> plain_integer(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  const std::string_view rest = text.substr(i);
  bool hex = false;
  std::string_view digits = rest;
  if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) {
    hex = true;
    digits = rest.substr(1);
  } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
    hex = true;
    digits = rest.substr(2);
  }
  if (digits.empty()) return std::nullopt;
  const std::string_view allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
  if (digits.find_first_not_of(allowed) != std::string_view::npos) return std::nullopt;
  digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.size() > (hex ? 8u : 10u)) return std::nullopt;
  const unsigned long long magnitude =
      digits.empty() ? 0 : std::stoull(std::string(digits), nullptr, hex ? 16 : 10);
  if (hex) {
    const auto pattern = static_cast<std::uint32_t>(magnitude);
    return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
  }
  if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude));
}

void check_integer(std::string_view text) {
  const std::optional<std::int32_t> value = qm::parse_integer_text(text);
  QM_FUZZ_CHECK(value == plain_integer(text));
  try {
    QM_FUZZ_CHECK(qm::integer_text(text) == value);
  } catch (const qm::ScriptError& error) {
    QM_FUZZ_CHECK(!value);
    // The message is a C string: it ends early when the text holds a NUL.
    if (text.find('\0') == std::string_view::npos)
      QM_FUZZ_CHECK(std::string_view(error.what()) == "'" + std::string(text) + "' is not a valid integer value");
  }
  if (value) {
    QM_FUZZ_CHECK(qm::parse_integer_text(std::to_string(*value)) == value);
    char hex[16];
    std::snprintf(hex, sizeof hex, "$%X", static_cast<unsigned>(*value));
    QM_FUZZ_CHECK(qm::parse_integer_text(hex) == value);
  }
}

void check_truth(std::string_view text) {
  QM_FUZZ_CHECK(qm::is_true(text) == (text == "-1" || qm::ascii_equal_ignore_case(text, "TRUE")));
  const std::string one_line = qm::text_to_newlines(text);
  QM_FUZZ_CHECK(one_line.find("\r\n") == std::string::npos);
  if (text.find('$') == std::string_view::npos) QM_FUZZ_CHECK(qm::newlines_to_text(one_line) == text);
  (void)qm::newlines_to_text(text);
}

void check_path(std::string_view path) {
  QM_FUZZ_CHECK(qm::folder_of(path) + qm::file_name_of(path) == path);
  QM_FUZZ_CHECK(qm::with_extension(path, ".log").ends_with(".log"));
  const std::string folder = qm::with_trailing_backslash(std::string(path));
  QM_FUZZ_CHECK(folder.empty() == path.empty() && (folder.empty() || folder.back() == '\\'));
  const std::string normal = qm::normalize_path_text(path);
  QM_FUZZ_CHECK(normal.size() <= path.size());
  QM_FUZZ_CHECK(normal.starts_with("\\\\") == path.starts_with("\\\\"));
}

}  // namespace

// A dotted version either fails as a whole or reads back from its own text
// (numbers past 32-bit integer text, such as a "-1" shown unsigned, are
// written in a form the reading refuses).
void check_dotted_version(std::string_view text) {
  qm::VersionNumbers version;
  try {
    version = qm::dotted_version(text);
  } catch (const qm::ScriptError&) {
    return;
  }
  for (const std::uint32_t number : version)
    if (number > 0x7FFFFFFFu) return;
  QM_FUZZ_CHECK(qm::dotted_version(qm::version_text(version)) == version);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = qm::fuzz::as_text(data, size);
  check_integer(text);
  check_truth(text);
  check_path(text);
  check_dotted_version(text);
  return 0;
}

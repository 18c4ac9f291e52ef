#pragma once
// What every fuzz target shares: the input as text, cut into fields, and the
// check that stops a run when a reader breaks a promise of its own.
//
// A target that reads several texts takes them from one input: the fields are
// separated by lines that hold exactly "%%" (LF line ends around it; a CR
// before the LF is allowed). The last field a target asks for runs to the end
// of the input; fields the input does not have are empty.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace qm::fuzz {

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// `count` fields of the input (see above).
inline std::vector<std::string_view> fields(std::string_view text, std::size_t count) {
  std::vector<std::string_view> result;
  std::size_t field_start = 0;
  std::size_t line_start = 0;
  while (result.size() + 1 < count) {
    const std::size_t end = text.find('\n', line_start);
    const std::string_view line =
        text.substr(line_start, end == std::string_view::npos ? std::string_view::npos : end - line_start);
    if (line == "%%" || line == "%%\r") {
      // The LF before the separator line belongs to neither field.
      const std::size_t field_end = line_start > field_start ? line_start - 1 : field_start;
      result.push_back(text.substr(field_start, field_end - field_start));
      field_start = end == std::string_view::npos ? text.size() : end + 1;
    }
    if (end == std::string_view::npos) break;
    line_start = end + 1;
  }
  if (result.size() < count) result.push_back(text.substr(field_start));
  result.resize(count);
  return result;
}

// The lines of a text file as the engine reads its lists: LF ends a line, a CR
// before it is dropped, and a last line without LF counts.
inline std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> result;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    result.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return result;
}

[[noreturn]] inline void broken(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, what);
  std::abort();
}

}  // namespace qm::fuzz

// A promise of the code under test that must hold for every input.
#define QM_FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::qm::fuzz::broken(#condition, __FILE__, __LINE__))

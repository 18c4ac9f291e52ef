#include "platform/text_file_reader.h"

#include <windows.h>

#include <optional>

#include "script/text_lines.h"

namespace qm::platform {

namespace {

constexpr DWORD kReadSize = 64 * 1024;

}  // namespace

bool TextFileReader::open(const std::string& path) {
  close();
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  file_ = std::move(file);
  path_ = path;
  return true;
}

void TextFileReader::close() {
  file_.reset();
  path_.clear();
  window_.clear();
  window_start_ = 0;
  exhausted_ = false;
}

bool TextFileReader::fill() {
  if (exhausted_ || !file_) return false;
  // What was taken already goes, so the window never grows beyond the line
  // being read.
  window_.erase(0, window_start_);
  window_start_ = 0;
  const std::size_t old_size = window_.size();
  window_.resize(old_size + kReadSize);
  DWORD got = 0;
  if (!ReadFile(file_.get(), window_.data() + old_size, kReadSize, &got, nullptr)) got = 0;
  window_.resize(old_size + got);
  if (got == 0) exhausted_ = true;
  return got > 0;
}

bool TextFileReader::at_end() {
  while (window_start_ == window_.size()) {
    if (!fill()) return true;
  }
  return false;
}

std::string TextFileReader::next_line() {
  for (;;) {
    const std::string_view rest = std::string_view(window_).substr(window_start_);
    if (const std::optional<TakenLine> line = take_line(rest, !exhausted_)) {
      std::string text(line->text);
      window_start_ += line->consumed;
      return text;
    }
    if (!fill() && exhausted_ && window_start_ == window_.size()) return {};
  }
}

}  // namespace qm::platform

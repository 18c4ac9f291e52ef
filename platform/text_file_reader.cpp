#include "platform/text_file_reader.h"

#include <windows.h>

#include <optional>

#include "platform/unique_resource.h"
#include "script/text_lines.h"

namespace qm::platform {

namespace {

constexpr DWORD kReadSize = 64 * 1024;

const std::string kNoPath;

}  // namespace

struct TextFileReader::OpenFile {
  UniqueHandle file;
  std::string path;
  std::string window;  // bytes read but not taken yet, from `start` on
  std::size_t start = 0;
  bool exhausted = false;  // the file has nothing left beyond the window

  // Reads more of the file into the window; false at the end or on an error.
  bool fill() {
    if (exhausted) return false;
    // What was taken already goes, so the window never grows beyond the line
    // being read.
    window.erase(0, start);
    start = 0;
    const std::size_t old_size = window.size();
    window.resize(old_size + kReadSize);
    DWORD got = 0;
    if (!ReadFile(file.get(), window.data() + old_size, kReadSize, &got, nullptr)) got = 0;
    window.resize(old_size + got);
    if (got == 0) exhausted = true;
    return got > 0;
  }
};

TextFileReader::TextFileReader() = default;
TextFileReader::~TextFileReader() = default;
TextFileReader::TextFileReader(TextFileReader&&) noexcept = default;
TextFileReader& TextFileReader::operator=(TextFileReader&&) noexcept = default;

bool TextFileReader::open(const std::string& path) {
  close();
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  open_ = std::make_unique<OpenFile>();
  open_->file = std::move(file);
  open_->path = path;
  return true;
}

void TextFileReader::close() { open_.reset(); }

const std::string& TextFileReader::path() const { return open_ ? open_->path : kNoPath; }

bool TextFileReader::at_end() {
  if (!open_) return true;
  while (open_->start == open_->window.size()) {
    if (!open_->fill()) return true;
  }
  return false;
}

std::string TextFileReader::next_line() {
  if (!open_) return {};
  for (;;) {
    const std::string_view rest = std::string_view(open_->window).substr(open_->start);
    if (const std::optional<TakenLine> line = take_line(rest, !open_->exhausted)) {
      std::string text(line->text);
      open_->start += line->consumed;
      return text;
    }
    if (!open_->fill() && open_->start == open_->window.size()) return {};
  }
}

}  // namespace qm::platform

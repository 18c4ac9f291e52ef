#include "installer/property_lists.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "engine/comma_text.h"
#include "engine/truth_text.h"
#include "platform/handle.h"

namespace qm {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Items of a ".par" file. Only CR LF ends an item: the encoding replaces CR LF
// alone, so a lone CR or LF may sit inside a value and must stay there.
std::vector<std::string> split_items(std::string_view text) {
  std::vector<std::string> items;
  while (!text.empty()) {
    const std::size_t end = text.find(kLineEnd);
    if (end == std::string_view::npos) {
      items.emplace_back(text);  // last item without a line end
      break;
    }
    items.emplace_back(text.substr(0, end));
    text.remove_prefix(end + kLineEnd.size());
  }
  return items;
}

[[noreturn]] void fail_save(const std::string& what, const std::string& file, DWORD error) {
  throw std::runtime_error("Cannot " + what + " " + file + " (error " + std::to_string(error) + ")");
}

}  // namespace

void InstallerPropertyLists::set_installer_property(std::string_view name, std::string_view value) {
  installer_.push_back({text_to_newlines(name), text_to_newlines(value)});
}

void InstallerPropertyLists::record(std::string_view name, std::string_view value) {
  set_installer_property(name, value);
  pass_through_.push_back(installer_.back().name);
  pass_through_.push_back(installer_.back().value);
}

std::vector<InstallerProperty> InstallerPropertyLists::take_installer_properties() {
  return std::exchange(installer_, {});
}

std::string InstallerPropertyLists::pass_through_comma_text() const { return to_comma_text(pass_through_); }

bool InstallerPropertyLists::load_pass_through(const std::string& par_file) {
  std::ifstream file(par_file, std::ios::binary);
  if (!file) return false;
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return false;

  std::vector<std::string> items = split_items(text);
  // The file is written in pairs, so an odd count means it was cut short or
  // edited. The unpaired last name is dropped: keeping it would pair every
  // property recorded later with the wrong partner, turning names into values.
  if (items.size() % 2 != 0) items.pop_back();
  pass_through_.insert(pass_through_.end(), std::make_move_iterator(items.begin()),
                       std::make_move_iterator(items.end()));
  return true;
}

void InstallerPropertyLists::save_pass_through(const std::string& par_file) const {
  std::string text;
  for (const std::string& item : pass_through_) {
    text += item;
    text += kLineEnd;
  }

  // Written beside the target and then moved over it, so that a failure half
  // way (full disk, removed medium) leaves the earlier file intact rather than
  // a truncated one that a maintenance run would read as the truth.
  const std::string temporary = par_file + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  {
    platform::UniqueHandle handle(
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) fail_save("create", temporary, GetLastError());
    const char* bytes = text.data();
    std::size_t left = text.size();
    while (left > 0) {
      DWORD written = 0;
      if (!WriteFile(handle.get(), bytes, static_cast<DWORD>(left), &written, nullptr) || written == 0) {
        const DWORD error = GetLastError();
        handle.reset();
        DeleteFileA(temporary.c_str());
        fail_save("write", temporary, error);
      }
      bytes += written;
      left -= written;
    }
    if (!FlushFileBuffers(handle.get())) {
      const DWORD error = GetLastError();
      handle.reset();
      DeleteFileA(temporary.c_str());
      fail_save("write", temporary, error);
    }
  }
  if (!MoveFileExA(temporary.c_str(), par_file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileA(temporary.c_str());
    fail_save("replace", par_file, error);
  }
}

void InstallerPropertyLists::clear() {
  installer_.clear();
  pass_through_.clear();
}

}  // namespace qm

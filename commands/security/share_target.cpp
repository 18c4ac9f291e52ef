#include "commands/security/share_target.h"

#include "script/ansi_text.h"

namespace qm {

ShareTarget split_share_target(std::string_view text) {
  const std::size_t bar = text.find('|');
  if (bar == std::string_view::npos) return {std::string(text), {}};
  return {std::string(text.substr(0, bar)), std::string(text.substr(bar + 1))};
}

bool names_folder(std::string_view subject) { return subject.find_first_of("\\:") != std::string_view::npos; }

std::string shared_folder_path(std::string_view folder) {
  std::string path = ansi_upper(folder);
  if (path.size() == 2) return path + "\\";
  const bool drive_root = path.size() == 3 && path[1] == ':';
  if (path.size() > 2 && path.back() == '\\' && !drive_root) path.pop_back();
  return path;
}

std::string printer_name(std::string_view text) { return std::string(text.substr(0, text.find(','))); }

std::string share_unc_path(std::string_view computer, std::string_view share_name) {
  const std::size_t start = computer.find_first_not_of('\\');
  const std::string_view bare = start == std::string_view::npos ? std::string_view() : computer.substr(start);
  return "\\\\" + std::string(bare) + "\\" + std::string(share_name);
}

}  // namespace qm

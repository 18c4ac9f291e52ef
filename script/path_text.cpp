#include "script/path_text.h"

namespace qm {

namespace {

constexpr std::string_view kSeparators = "\\:";

}  // namespace

std::string with_trailing_backslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string folder_of(std::string_view path) {
  const std::size_t separator = path.find_last_of(kSeparators);
  return separator == std::string_view::npos ? std::string() : std::string(path.substr(0, separator + 1));
}

std::string file_name_of(std::string_view path) {
  const std::size_t separator = path.find_last_of(kSeparators);
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string extension_of(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t separator = path.find_last_of(kSeparators);
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) return {};
  return std::string(path.substr(dot));
}

std::string drive_of(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (!path.starts_with("\\\\")) return {};
  // The backslash after the server name, then the one after the share name.
  const std::size_t after_server = path.find('\\', 2);
  const std::size_t after_share =
      after_server == std::string_view::npos ? std::string_view::npos : path.find('\\', after_server + 1);
  return std::string(path.substr(0, after_share));
}

std::string with_extension(std::string_view path, std::string_view extension) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t separator = path.find_last_of(kSeparators);
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator))
    return std::string(path) + std::string(extension);
  return std::string(path.substr(0, dot)) + std::string(extension);
}

std::string collapse_backslash_pairs(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    result += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return result;
}

std::string normalize_path_text(std::string_view expanded) {
  std::string result = collapse_backslash_pairs(expanded);
  // A network path keeps its leading "\\". When the text began with more
  // backslashes than that, the collapsed text already starts with two, and a
  // third one in front would make the path unusable.
  if (expanded.starts_with("\\\\") && !result.starts_with("\\\\")) result.insert(0, 1, '\\');
  return result;
}

}  // namespace qm

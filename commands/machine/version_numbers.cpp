#include "commands/machine/version_numbers.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "script/integer_text.h"

namespace qm {

FourPartVersion dotted_version(std::string_view text) {
  FourPartVersion parts = {};
  for (std::uint32_t& part : parts) {
    if (text.empty()) break;
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
      part = static_cast<std::uint32_t>(parse_integer_text(text).value_or(0));
      break;
    }
    part = static_cast<std::uint32_t>(integer_text(text.substr(0, dot)));
    text.remove_prefix(dot + 1);
  }
  return parts;
}

FourPartVersion file_version(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixed_size) || fixed == nullptr ||
      fixed_size < sizeof(VS_FIXEDFILEINFO))
    return {};
  return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
          LOWORD(fixed->dwFileVersionLS)};
}

}  // namespace qm

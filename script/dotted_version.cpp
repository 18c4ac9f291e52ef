#include "script/dotted_version.h"

#include "script/integer_text.h"

namespace qm {

VersionNumbers dotted_version(std::string_view text) {
  VersionNumbers version{};
  for (std::uint32_t& number : version) {
    if (text.empty()) break;
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
      number = static_cast<std::uint32_t>(parse_integer_text(text).value_or(0));
      break;
    }
    number = static_cast<std::uint32_t>(integer_text(text.substr(0, dot)));
    text.remove_prefix(dot + 1);
  }
  return version;
}

std::string version_text(const VersionNumbers& version) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]) + "." +
         std::to_string(version[3]);
}

}  // namespace qm

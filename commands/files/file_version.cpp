#include "commands/files/file_version.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/system_library.h"
#include "script/integer_text.h"

namespace qm {

namespace {

using SizeFunction = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using InfoFunction = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using QueryFunction = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

// The version library is looked up in the system folder on first use: linked
// by name, a "version.dll" beside the setup would be loaded in its place.
struct VersionLibrary {
  SizeFunction size = nullptr;
  InfoFunction info = nullptr;
  QueryFunction query = nullptr;

  static std::optional<VersionLibrary> load() {
    HMODULE library = platform::load_system_library("version.dll");
    if (library == nullptr) return std::nullopt;
    VersionLibrary functions{
        reinterpret_cast<SizeFunction>(reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoSizeA"))),
        reinterpret_cast<InfoFunction>(reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoA"))),
        reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(GetProcAddress(library, "VerQueryValueA")))};
    if (!functions.size || !functions.info || !functions.query) return std::nullopt;
    return functions;
  }
};

}  // namespace

VersionNumbers file_version(const std::string& path) {
  const std::optional<VersionLibrary> library = VersionLibrary::load();
  if (!library) return {};
  DWORD ignored = 0;
  const DWORD size = library->size(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!library->info(path.c_str(), 0, size, block.data())) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!library->query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO))
    return {};
  return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
          LOWORD(fixed->dwFileVersionLS)};
}

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

#include "platform/file_version.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/system_library.h"

namespace qm::platform {

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
    HMODULE library = load_system_library("version.dll");
    if (library == nullptr) return std::nullopt;
    VersionLibrary functions{
        reinterpret_cast<SizeFunction>(reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoSizeA"))),
        reinterpret_cast<InfoFunction>(reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoA"))),
        reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(GetProcAddress(library, "VerQueryValueA")))};
    if (!functions.size || !functions.info || !functions.query) return std::nullopt;
    return functions;
  }
};

// A file's whole version resource; nothing when it has none.
std::optional<std::vector<char>> version_block(const VersionLibrary& library, const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = library.size(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> block(size);
  if (!library.info(path.c_str(), 0, size, block.data())) return std::nullopt;
  return block;
}

}  // namespace

VersionNumbers file_version(const std::string& path) {
  const std::optional<VersionLibrary> library = VersionLibrary::load();
  if (!library) return {};
  std::optional<std::vector<char>> block = version_block(*library, path);
  if (!block) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!library->query(block->data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO))
    return {};
  return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
          LOWORD(fixed->dwFileVersionLS)};
}

std::optional<std::uint32_t> file_translation(const std::string& path) {
  const std::optional<VersionLibrary> library = VersionLibrary::load();
  if (!library) return std::nullopt;
  std::optional<std::vector<char>> block = version_block(*library, path);
  if (!block) return std::nullopt;
  void* table = nullptr;
  UINT length = 0;
  if (!library->query(block->data(), "\\VarFileInfo\\Translation", &table, &length) || table == nullptr ||
      length < sizeof(std::uint32_t))
    return std::nullopt;
  return *static_cast<const std::uint32_t*>(table);
}

}  // namespace qm::platform

#include "installer/engine_cache.h"

#include <windows.h>

#include "engine/engine.h"
#include "engine/instance_registration.h"
#include "engine/run_values.h"
#include "engine/selection_data.h"
#include "installer/pass_through_file.h"
#include "platform/file_system.h"
#include "script/path_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

constexpr const char* kAdvertiseMarker = "__ad";
constexpr const char* kArchiveLibrary = "qvx.lib";
constexpr const char* kSplashPicture = "setup.bmp";

bool same_file(const std::string& first, const std::string& second) {
  char first_full[MAX_PATH] = {};
  char second_full[MAX_PATH] = {};
  if (!GetFullPathNameA(first.c_str(), MAX_PATH, first_full, nullptr) ||
      !GetFullPathNameA(second.c_str(), MAX_PATH, second_full, nullptr))
    return false;
  return lstrcmpiA(first_full, second_full) == 0;
}

// Copies what exists; a product without a splash picture has none to keep,
// and a maintenance run of the cached engine finds its files in place.
void copy_if_present(const std::string& from, const std::string& to) {
  if (platform::file_exists(from) && !same_file(from, to)) platform::copy_as_normal_file(from, to);
}

void write_language_file(const Engine& engine, const std::string& path) {
  if (engine.translations.active())
    platform::write_whole_file(path, engine.translations.current_language + "\r\n");
  else
    DeleteFileA(path.c_str());
}

void write_cache(Engine& engine, const std::string& folder) {
  const StartupValues& startup = engine.startup;
  platform::create_folder_with_parents(folder);
  if (engine.package.build_kind == kWebMediaBuild) platform::write_whole_file(folder + engine.instance.product_code, "");
  copy_if_present(startup.engine_path, folder + file_name_of(startup.engine_path));
  copy_if_present(startup.installer_database, folder + startup.engine_name + ".msi");
  copy_if_present(startup.engine_folder + startup.engine_name + ".res", folder + startup.engine_name + ".res");
  copy_if_present(startup.engine_folder + kArchiveLibrary, folder + kArchiveLibrary);
  copy_if_present(startup.engine_folder + kSplashPicture, folder + kSplashPicture);
  write_selection_file(engine, folder + startup.engine_name + ".dat", SelectionWriteMode::kFull, true);
  save_pass_through_file(engine.properties, folder + startup.engine_name + ".par");
  write_language_file(engine, folder + startup.engine_name + ".lan");
  register_instance(engine);
  engine.cache_written = true;
}

// The first "<root>~N" (N from 0) that does not exist.
std::string free_sibling(const std::string& folder) {
  std::string base = folder;
  if (base.ends_with('\\')) base.pop_back();
  base = folder_of(base);
  for (int n = 0;; ++n) {
    const std::string candidate = base + "~" + std::to_string(n);
    if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
  }
}

// A removal started from the cache runs the engine inside it: what cannot
// be deleted now is moved aside and deleted when Windows restarts.
void remove_cache(Engine& engine, const std::string& folder) {
  const StartupValues& startup = engine.startup;
  if (engine.package.build_kind == kWebMediaBuild) DeleteFileA((folder + engine.instance.product_code).c_str());
  platform::remove_folder_tree(folder, 3);
  if (platform::folder_exists(folder)) {
    std::string moved = folder;
    if (moved.ends_with('\\')) moved.pop_back();
    const std::string aside = free_sibling(folder);
    if (MoveFileA(moved.c_str(), aside.c_str())) moved = aside;
    for (const std::string& file : {moved + "\\" + file_name_of(startup.engine_path), moved + "\\" + kArchiveLibrary})
      MoveFileExA(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(moved.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  deregister_instance(engine);
  engine.cache_removed = true;
}

}  // namespace

void update_engine_cache(Engine& engine, CacheUpdate update) {
  const std::string folder = engine_cache_folder(engine);
  const std::string marker = folder + kAdvertiseMarker;
  if (update == CacheUpdate::kAdvertise) {
    platform::create_folder_with_parents(marker);
  } else {
    RemoveDirectoryA(marker.c_str());  // only when empty
  }
  if (update == CacheUpdate::kRemove)
    remove_cache(engine, folder);
  else
    write_cache(engine, folder);
}

}  // namespace qm

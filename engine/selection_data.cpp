#include "engine/selection_data.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "engine/engine.h"
#include "engine/run_values.h"
#include "platform/file_system.h"
#include "script/ansi_text.h"
#include "script/selection_file.h"

namespace qm {

namespace {

// A selection file holds a few lists and values; anything much larger is no
// selection file, and a 32-bit engine should not try to hold it.
constexpr ULONGLONG kMaxSelectionFileSize = 64ull * 1024 * 1024;

std::optional<std::string> read_selection_text(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA facts{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &facts)) return std::nullopt;
  if (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  const ULONGLONG size = (static_cast<ULONGLONG>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
  if (size > kMaxSelectionFileSize) return std::nullopt;
  return platform::read_whole_file(path);
}

TargetPlatform platform_named(std::string_view text) {
  if (ascii_equal_ignore_case(text, "x64")) return TargetPlatform::kX64;
  if (ascii_equal_ignore_case(text, "ia64")) return TargetPlatform::kIa64;
  return TargetPlatform::kWin32;
}

std::string platform_name(TargetPlatform platform) {
  switch (platform) {
    case TargetPlatform::kX64: return "x64";
    case TargetPlatform::kIa64: return "ia64";
    case TargetPlatform::kWin32: break;
  }
  return std::string(kDefaultTargetPlatform);
}

void add_to_set(std::vector<std::string>& set, const std::vector<std::string>& loaded) {
  for (const std::string& name : loaded) {
    const bool held = std::any_of(set.begin(), set.end(),
                                  [&name](const std::string& entry) { return same_component_name(entry, name); });
    if (!held) set.push_back(name);
  }
}

bool has_size_pair(const ComponentModel& model, std::string_view name) {
  for (std::size_t entry = 0; entry < model.sizes.size(); entry += 2)
    if (same_component_name(model.sizes[entry], name)) return true;
  return false;
}

// The file's components join the model. A name the model holds already
// takes the file's state rather than coming in twice: the model would keep
// only the first of the two, and count both in the space it requires. A size
// pair for a name that has one already would never be found; it stays out.
void add_components(ComponentModel& model, const SelectionFile& file, bool with_sizes) {
  model.states.resize(model.names.size());
  for (std::size_t i = 0; i < file.names.size(); ++i) {
    const std::string state = i < file.states.size() ? file.states[i] : std::string();
    if (const auto index = model.index_of(file.names[i])) {
      if (!state.empty()) model.states[*index] = state;
    } else {
      model.names.push_back(file.names[i]);
      model.states.push_back(state);
    }
  }
  add_to_set(model.deleted, file.deleted);
  add_to_set(model.hidden, file.hidden);
  add_to_set(model.choice_locked, file.choice_locked);
  if (!with_sizes) return;
  for (std::size_t entry = 0; entry + 1 < file.sizes.size(); entry += 2) {
    if (has_size_pair(model, file.sizes[entry])) continue;
    model.sizes.insert(model.sizes.end(), {file.sizes[entry], file.sizes[entry + 1]});
  }
}

// Only the components the model has change; a set is replaced only by a list
// that the file holds in full, so a cut-off file cannot empty it.
void merge_components(ComponentModel& model, const SelectionFile& file) {
  for (std::size_t i = 0; i < file.names.size() && i < file.states.size(); ++i) {
    for (std::size_t index = 0; index < model.names.size(); ++index) {
      if (!ascii_equal_ignore_case(model.names[index], file.names[i])) continue;
      if (model.states.size() <= index) model.states.resize(index + 1);
      model.states[index] = file.states[i];
    }
  }
  if (file.complete_lists >= 3) model.deleted = file.deleted;
  if (file.complete_lists >= 4) model.hidden = file.hidden;
  if (file.complete_lists >= 5) model.choice_locked = file.choice_locked;
}

void define_loaded_values(Engine& engine, const SelectionFile& file) {
  VariableStore& variables = engine.variables;
  const auto define = [&variables](std::string_view name, const std::optional<std::string>& value) {
    if (value) variables.define(name, *value, kLoadedSelectionCategory);
  };
  define("TARGETDIR", file.target_folder);
  define("ALLUSERS", file.all_users);
  define("STARTMENU", file.start_menu);
  for (const KeptVariable& variable : file.variables) {
    if (variable.name.empty()) continue;
    variables.keep(variable.name);
    variables.define(variable.name, variable.value, kLoadedSelectionCategory);
  }
  if (file.target_platform) engine.target_platform = platform_named(*file.target_platform);
}

std::optional<std::string> stored_value(const VariableStore& variables, std::string_view name) {
  if (!variables.exists(name)) return std::nullopt;
  return variables.get(name);
}

// The kept variables that still exist, with their values as stored. A name
// that the file uses for the target platform cannot be kept as a variable.
std::vector<KeptVariable> kept_variables(const VariableStore& variables) {
  std::vector<KeptVariable> kept;
  for (const std::string& name : variables.persisted()) {
    if (name.empty() || name == kTargetPlatformEntry || !variables.exists(name)) continue;
    kept.push_back({name, variables.get(name)});
  }
  return kept;
}

std::string short_path(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

SelectionFile selection_of(const Engine& engine, bool with_data_folder_line) {
  const ComponentModel& model = engine.components;
  SelectionFile file;
  file.names = model.names;
  file.states = model.states;
  file.states.resize(model.names.size());
  file.deleted = model.deleted;
  file.hidden = model.hidden;
  file.choice_locked = model.choice_locked;
  file.sizes = model.sizes;
  file.complete_lists = kSelectionLists;
  file.target_folder = stored_value(engine.variables, "TARGETDIR");
  file.all_users = stored_value(engine.variables, "ALLUSERS");
  file.start_menu = stored_value(engine.variables, "STARTMENU");
  file.data_folder = with_data_folder_line ? short_path(engine.startup.data_folder) : std::string();
  file.variables = kept_variables(engine.variables);
  file.target_platform = platform_name(engine.target_platform);
  return file;
}

}  // namespace

void read_selection_file(Engine& engine, const std::string& path, SelectionReadMode mode) {
  const std::optional<std::string> text = read_selection_text(path);
  if (!text) return;
  const SelectionFile file = parse_selection_file(*text);
  if (mode == SelectionReadMode::kMerge)
    merge_components(engine.components, file);
  else
    add_components(engine.components, file, mode == SelectionReadMode::kFull);
  define_loaded_values(engine, file);
}

void write_selection_file(Engine& engine, const std::string& path, SelectionWriteMode mode,
                          bool with_data_folder_line) {
  if (mode == SelectionWriteMode::kFull) {
    platform::replace_file_atomically(path, format_selection_file(selection_of(engine, with_data_folder_line)));
    return;
  }
  const std::optional<std::string> old_text = read_selection_text(path);
  if (!old_text) return;
  const std::optional<std::string> updated = update_selection_text(*old_text, kept_variables(engine.variables));
  if (updated) platform::replace_file_atomically(path, *updated);
}

std::string selection_folder(const Engine& engine) {
  const std::string key = engine_cache_key(engine);
  const std::string& user_root = engine.startup.user_cache_root;
  const std::string& common_root = engine.startup.common_cache_root;
  const std::string user_folder = (user_root.empty() ? engine_cache_root(false) : user_root) + key + "\\";
  if (platform::file_exists(user_folder + engine.startup.engine_name + ".dat")) return user_folder;
  return (common_root.empty() ? engine_cache_root(true) : common_root) + key + "\\";
}

std::string selection_file_path(const Engine& engine) {
  return selection_folder(engine) + engine.startup.engine_name + ".dat";
}

void save_selection_data(Engine& engine) {
  if (engine.cache_removed) return;
  try {
    const std::string folder = selection_folder(engine);
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (engine.variables.persisted().empty()) return;
    const std::string path = folder + engine.startup.engine_name + ".dat";
    if (engine.cache_written) {
      platform::create_folder_with_parents(folder);
      write_selection_file(engine, path, SelectionWriteMode::kFull, true);
    } else {
      write_selection_file(engine, path, SelectionWriteMode::kUpdate, false);
    }
  } catch (const std::exception&) {
    // The selections stay as the engine cache update left them.
  }
}

}  // namespace qm

#include "engine/localization.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "engine/engine.h"
#include "engine/language_dialog.h"
#include "engine/languages.h"
#include "engine/run_values.h"
#include "platform/file_system.h"
#include "platform/unique_resource.h"
#include "script/ansi_text.h"
#include "script/build_constants.h"
#include "script/path_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

constexpr std::string_view kTranslationsPrefix = "translations.";

std::optional<std::vector<std::string>> read_list(const std::string& path) {
  const std::optional<std::string> content = platform::read_whole_file(path);
  if (!content) return std::nullopt;
  return Translations::file_lines(*content);
}

std::string key_list_path(const Engine& engine) {
  return engine.startup.support_folder + engine.package.product_title + ".mtx";
}

bool is_translated_product(const Engine& engine) { return platform::file_exists(key_list_path(engine)); }

// The language an installed product was set up in, stored beside its engine
// copy; nothing when there is no such file.
std::optional<std::string> stored_language(const Engine& engine) {
  const std::optional<std::string> content =
      platform::read_whole_file(engine_cache_folder(engine) + engine.startup.engine_name + ".lan");
  if (!content) return std::nullopt;
  const std::vector<std::string> lines = Translations::file_lines(*content);
  return lines.empty() ? std::string() : lines.front();
}

int index_of(const std::vector<std::string>& languages, const std::string& name) {
  const auto found = std::find(languages.begin(), languages.end(), name);
  return found == languages.end() ? -1 : static_cast<int>(found - languages.begin());
}

// The user's own language when it is offered, else the product's default
// language, else the first one.
int preselected_language(const Engine& engine, const std::vector<std::string>& languages) {
  int preselected = index_of(languages, engine.package.default_language);
  const std::string users = user_default_language_name();
  if (!users.empty() && index_of(languages, users) >= 0) preselected = index_of(languages, users);
  return preselected >= 0 ? preselected : 0;
}

}  // namespace

bool load_language(Engine& engine, const std::string& language) {
  const std::string& support = engine.startup.support_folder;
  auto map = read_list(support + "translations.Map");
  auto translated = read_list(support + std::string(kTranslationsPrefix) + language);
  auto sources = read_list(support + "translations.Original");
  auto keys = read_list(key_list_path(engine));
  if (!map || !translated || !sources || !keys) return false;
  Translations& translations = engine.translations;
  translations.map = std::move(*map);
  translations.translated = std::move(*translated);
  translations.sources = std::move(*sources);
  translations.keys = std::move(*keys);
  translations.mode = substitute_constants("#LOCMODE#", engine.package.build_constants);
  const std::string shared = support + "shared.translations." + language;
  if (platform::file_exists(shared)) engine.messages.load(shared, user_language_name());
  return true;
}

void refresh_language(Engine& engine) {
  Translations& translations = engine.translations;
  const std::string wanted = engine.variables.get("LANGUAGE");
  if (!wanted.empty() && wanted != translations.loaded_language) {
    translations.loaded_language = wanted;
    translations.current_language = load_language(engine, wanted) ? wanted : std::string();
  }
  engine.variables.define("LANGUAGE", translations.current_language, category::kInitialization);
}

std::vector<std::string> offered_languages(const std::string& support_folder) {
  std::vector<std::string> languages;
  WIN32_FIND_DATAA entry;
  const platform::UniqueFindHandle search(
      FindFirstFileA((support_folder + std::string(kTranslationsPrefix) + "*").c_str(), &entry));
  if (!search) return languages;
  do {
    const std::string name = entry.cFileName;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (name.size() <= kTranslationsPrefix.size() || name.find("shared") != std::string::npos) continue;
    if (ascii_equal_ignore_case(name, "translations.Map") || ascii_equal_ignore_case(name, "translations.Original"))
      continue;
    languages.push_back(name.substr(kTranslationsPrefix.size()));
  } while (FindNextFileA(search.get(), &entry));
  return languages;
}

bool choose_start_language(Engine& engine) {
  Translations& translations = engine.translations;
  translations.current_language.clear();
  translations.loaded_language = "ZILCH";
  engine.variables.define("LANGUAGE", "", category::kInitialization);
  if (!is_translated_product(engine)) return true;

  const std::vector<std::string> languages = offered_languages(engine.startup.support_folder);
  if (index_of(languages, engine.package.default_language) >= 0)
    translations.current_language = engine.package.default_language;
  if (!languages.empty()) {
    const bool maintenance = is_true(engine.variables.get("MAINTENANCE"));
    const bool patch = platform::file_exists(with_extension(engine.startup.installer_database, ".msp"));
    if (engine.package.language_dialog && !maintenance && !patch) {
      const int preselected = preselected_language(engine, languages);
      if (engine.silent()) {
        translations.current_language = languages[static_cast<std::size_t>(preselected)];
      } else {
        const std::optional<std::string> chosen =
            ask_for_language(engine.messages, languages, preselected, engine.current_window);
        if (!chosen) return false;
        translations.current_language = *chosen;
      }
    }
    if (maintenance || patch) {
      if (std::optional<std::string> stored = stored_language(engine))
        translations.current_language = std::move(*stored);
    }
    engine.variables.define("LANGUAGE", translations.current_language, category::kInitialization);
  }
  return true;
}

}  // namespace qm

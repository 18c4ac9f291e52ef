#include "engine/run_values.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/engine.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "script/path_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string formatted_date(const SYSTEMTIME& now) {
  char text[128] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, text, sizeof text);
  return text;
}

std::string formatted_time(const SYSTEMTIME& now) {
  char text[128] = {};
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, sizeof text);
  return text;
}

// "C:\App\uninst.exe" /x  ->  C:\App\uninst.exe : the first quote goes, and
// everything from the next quote on.
std::string strip_quotes(std::string text) {
  const std::size_t first = text.find('"');
  if (first == std::string::npos) return text;
  text.erase(first, 1);
  const std::size_t second = text.find('"');
  if (second != std::string::npos) text.erase(second);
  return text;
}

}  // namespace

std::string engine_cache_root(bool all_users) {
  std::string root = all_users ? platform::shell_folder(CSIDL_COMMON_APPDATA) : platform::shell_folder(CSIDL_LOCAL_APPDATA);
  if (root.empty() && !all_users) root = platform::shell_folder(CSIDL_APPDATA);
  if (root.empty()) {
    const std::string desktop = platform::shell_folder(CSIDL_DESKTOP);
    root = folder_of(desktop.substr(0, desktop.empty() ? 0 : desktop.size() - 1)) + "Application Data\\";
  }
  return root;
}

std::string engine_cache_key(const Engine& engine) {
  if (engine.package.build_kind == kEngineCacheBuild && !engine.installed_revision_code.empty())
    return engine.installed_revision_code;
  return engine.instance.revision_code;
}

std::string engine_cache_folder(const Engine& engine) {
  const bool all_users = engine.variables.exists("ALLUSERS") && is_true(engine.variables.get("ALLUSERS"));
  std::string root = all_users ? engine.startup.common_cache_root : engine.startup.user_cache_root;
  if (root.empty()) root = engine_cache_root(all_users);
  return with_trailing_backslash(root + engine_cache_key(engine));
}

void update_clock(Engine& engine) {
  // Formatting the date and time for every line would cost more than most
  // commands do; the texts only change when the clock's second does.
  SYSTEMTIME now;
  GetLocalTime(&now);
  RunClock& clock = engine.clock;
  if (now.wSecond != clock.second || now.wMinute != clock.minute || clock.date.empty()) {
    clock.second = now.wSecond;
    clock.minute = now.wMinute;
    clock.date = formatted_date(now);
    clock.time = formatted_time(now);
  }
}

std::string current_date_time_text() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return formatted_date(now) + " " + formatted_time(now);
}

void define_clock_variables(Engine& engine) {
  update_clock(engine);
  const RunClock& clock = engine.clock;
  engine.variables.define("DATE", clock.date, category::kInitialization);
  engine.variables.define("TIME", clock.time, category::kInitialization);
}

std::string installed_uninstaller(const Engine& engine, bool all_users) {
  const auto key = platform::RegistryKey::open(all_users ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                                               kUninstallKey + engine.variables.get("TITLE"), KEY_READ);
  return strip_quotes(key.read_string("UninstallString").value_or(""));
}

void refresh_cache_variables(Engine& engine) {
  const bool all_users = is_true(engine.variables.get("ALLUSERS"));
  std::string cache, link;
  if (engine.package.build_kind == kEngineCacheBuild) {
    link = installed_uninstaller(engine, all_users);
    cache = folder_of(link);
  } else {
    cache = engine_cache_folder(engine);
    link = cache + file_name_of(engine.startup.engine_path);
  }
  engine.variables.define("ENGINECACHE", cache, category::kInitialization);
  engine.variables.define("UNINSTALLLINK", link, category::kInitialization);
}

}  // namespace qm

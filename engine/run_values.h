#pragma once
// Variables whose values the engine keeps current before every script line:
// DATE and TIME, ENGINECACHE and UNINSTALLLINK.

#include <string>

namespace qm {

struct Engine;

// The engine cache root: the common application data folder for all users,
// otherwise the local (or else roaming) one; with a trailing backslash.
std::string engine_cache_root(bool all_users);

// The name of the product's folder in the engine cache: the revision code,
// or, for a build that works from the installed product's engine cache, the
// installed product's folder name once a patch run has found it.
std::string engine_cache_key(const Engine& engine);

// The product's engine cache folder: the cache root for ALLUSERS + the key
// above, with a trailing backslash.
std::string engine_cache_folder(const Engine& engine);

// Brings engine.clock's DATE and TIME texts up to date.
void update_clock(Engine& engine);

// Now, as the user writes a date and a time ("31.12.2026 23:59:00"); any thread.
std::string current_date_time_text();

// Defines DATE (user's short date format) and TIME (long time format).
void define_clock_variables(Engine& engine);

// ENGINECACHE and UNINSTALLLINK: the product's folder in the engine cache and
// the engine's copy there; for a build that runs from the installed product,
// taken from the product's uninstall registration.
void refresh_cache_variables(Engine& engine);

// The installed product's UninstallString (registered under TITLE), without
// its quotes and arguments; empty when there is none.
std::string installed_uninstaller(const Engine& engine, bool all_users);

}  // namespace qm

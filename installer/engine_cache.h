#pragma once
// The engine cache: the copy of the engine, its package and its data that
// the product keeps for maintenance runs, and the product's registration
// for removal. Brought up to date after each apply that completed.

#include <string>

namespace qm {

struct Engine;

enum class CacheUpdate { kInstall, kAdvertise, kRemove };

void update_engine_cache(Engine& engine, CacheUpdate update);

// The product's folder in the engine cache, with a trailing backslash.
std::string engine_cache_folder(const Engine& engine);

}  // namespace qm

#pragma once
// The engine cache: the copy of the engine, its package and its data that
// an installed product keeps for its maintenance runs (started from the
// product's uninstall entry), brought up to date after each apply that
// completed, and removed with the product.

namespace qm {

struct Engine;

enum class CacheUpdate { kInstall, kAdvertise, kRemove };

void update_engine_cache(Engine& engine, CacheUpdate update);

}  // namespace qm

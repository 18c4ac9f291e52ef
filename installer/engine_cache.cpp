#include "installer/engine_cache.h"

#include "engine/engine.h"
#include "engine/run_values.h"
#include "script/truth_text.h"

namespace qm {

std::string engine_cache_folder(const Engine& engine) {
  return engine_cache_root(is_true(engine.variables.get("ALLUSERS"))) + engine.package.revision_code + "\\";
}

void update_engine_cache(Engine& engine, CacheUpdate update) {
  (void)engine;
  (void)update;
}

}  // namespace qm

#pragma once
// Script commands by name. Each command family registers its handlers in one
// table; the interpreter looks commands up here and knows nothing else of them.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/script_line.h"

namespace qm {

struct Engine;

// A handler reads its fields, does its work and reports through variables,
// or throws ScriptError. Only control-flow commands move the script position.
using CommandHandler = std::function<void(Engine&, const ScriptLine&)>;

class CommandRegistry {
 public:
  // Names are compared exactly. A later registration of a name replaces the earlier one.
  void add(std::string_view name, CommandHandler handler);
  const CommandHandler* find(std::string_view name) const;

 private:
  std::unordered_map<std::string, CommandHandler> handlers_;
};

}  // namespace qm

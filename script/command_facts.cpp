#include "script/command_facts.h"

#include <string_view>
#include <unordered_map>

namespace qm {

const CommandFacts* find_command_facts(std::string_view name) {
  static const std::unordered_map<std::string_view, const CommandFacts*> by_name = [] {
    std::unordered_map<std::string_view, const CommandFacts*> map;
    for (const CommandFacts& facts : command_catalogue()) map.emplace(facts.name, &facts);
    return map;
  }();
  const auto found = by_name.find(name);
  return found == by_name.end() ? nullptr : found->second;
}

}  // namespace qm

#include "engine/command_registry.h"

namespace qm {

void CommandRegistry::add(std::string_view name, CommandHandler handler) {
  handlers_[std::string(name)] = std::move(handler);
}

const CommandHandler* CommandRegistry::find(std::string_view name) const {
  const auto found = handlers_.find(std::string(name));
  return found == handlers_.end() ? nullptr : &found->second;
}

}  // namespace qm

#include "engine/command_catalogue.h"

#include <stdexcept>

namespace qm {

CommandCatalogue::CommandCatalogue() {
  for (const CommandFacts& facts : command_catalogue()) handlers_.emplace(facts.name, CommandHandler());
}

CommandHandler& CommandCatalogue::entry(std::string_view name) {
  const auto found = handlers_.find(std::string(name));
  if (found == handlers_.end())
    throw std::logic_error("\"" + std::string(name) + "\" is not a command of the catalogue");
  return found->second;
}

void CommandCatalogue::bind(std::string_view name, CommandHandler handler) {
  CommandHandler& bound = entry(name);
  if (bound) throw std::logic_error("\"" + std::string(name) + "\" has a handler already");
  bound = std::move(handler);
}

void CommandCatalogue::replace(std::string_view name, CommandHandler handler) { entry(name) = std::move(handler); }

void CommandCatalogue::add(std::string_view name, CommandHandler handler) {
  if (!handlers_.emplace(std::string(name), std::move(handler)).second)
    throw std::logic_error("\"" + std::string(name) + "\" is a command already");
}

const CommandHandler* CommandCatalogue::find(std::string_view name) const {
  const auto found = handlers_.find(std::string(name));
  return found == handlers_.end() || !found->second ? nullptr : &found->second;
}

}  // namespace qm

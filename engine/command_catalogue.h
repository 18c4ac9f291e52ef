#pragma once
// The script commands the interpreter can dispatch: every row of the command
// catalogue (script/command_facts.h) with the handler that runs it. The
// program entry binds the built-in handlers by name; the interpreter looks
// commands up here and knows nothing else of them.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "script/command_facts.h"
#include "script/script_line.h"

namespace qm {

struct Engine;

// A handler reads its fields, does its work and reports through variables,
// or throws ScriptError. Only control-flow commands move the script position.
using CommandHandler = std::function<void(Engine&, const ScriptLine&)>;

class CommandCatalogue {
 public:
  // Every command of the catalogue, none of them bound yet.
  CommandCatalogue();

  // Gives a catalogue command its handler. A name the catalogue does not hold,
  // or one bound already, is a fault of the program (std::logic_error).
  void bind(std::string_view name, CommandHandler handler);
  // Puts another handler in place of a command's handler (tests script the
  // commands that need a user or a machine they do not have).
  void replace(std::string_view name, CommandHandler handler);
  // Adds a command of the caller's own beside the catalogue's; a name that is
  // there already is a fault (std::logic_error).
  void add(std::string_view name, CommandHandler handler);

  // The handler of a command, or null when there is none (a command not built
  // yet, a build tool's structural line): such a line does nothing.
  const CommandHandler* find(std::string_view name) const;

  // Runs every line of a command that the package lists as a plug-in command.
  void set_plugin_handler(CommandHandler handler) { plugin_handler_ = std::move(handler); }
  const CommandHandler& plugin_handler() const { return plugin_handler_; }

 private:
  CommandHandler& entry(std::string_view name);

  std::unordered_map<std::string, CommandHandler> handlers_;
  CommandHandler plugin_handler_;
};

}  // namespace qm

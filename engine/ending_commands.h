#pragma once
// Commands that end the script: "Terminate Install", "Terminate with Exit
// Code", "Reboot Computer" and "Reboot and Resume".

#include <string>

namespace qm {

class CommandRegistry;
struct Engine;

void register_ending_commands(CommandRegistry& registry);

// The Run-key value that starts the setup again after a restart: its name
// (characters 2 to 9 of the product code) and its command line.
std::string resume_entry_name(const std::string& product_code);
std::string resume_command_line(const Engine& engine);

// Removes a resume entry left by an earlier run, for this user and for all
// users; failures are ignored.
void delete_resume_entry(const std::string& product_code);

}  // namespace qm

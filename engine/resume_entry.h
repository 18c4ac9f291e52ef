#pragma once
// The Run-key entry that starts the setup again after a restart ("Reboot and
// Resume"); run initialisation removes it at the next start.

#include <string>

namespace qm {

struct Engine;

// Its value name: characters 2 to 9 of the product code.
std::string resume_entry_name(const std::string& product_code);
// Its command line: the setup file given with "/m=" or the engine itself,
// followed by the command-line remainder.
std::string resume_command_line(const Engine& engine);

// Registers the entry, for all users or for this one. False when the key
// cannot be written.
bool write_resume_entry(const Engine& engine, bool all_users);

// Removes an entry left by an earlier run, for this user and for all users;
// failures are ignored.
void delete_resume_entry(const std::string& product_code);

}  // namespace qm

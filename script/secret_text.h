#pragma once
// Archive passwords travel in the package's web media secret table, not as
// plain text: each is scrambled, so that a casual look at the setup file
// does not show it. (This is no encryption: the engine must be able to read
// it back on any machine.) The build tool uses the same scheme.
//
// Scrambled form: upper-case hexadecimal of the password's bytes, each byte
// XORed with a key byte chosen by its position.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

std::string scramble_secret(std::string_view password);
// Nothing when the text is not a scrambled secret.
std::optional<std::string> unscramble_secret(std::string_view scrambled);

// The password stored under `name` in the web media secret table (pairs:
// name, scrambled value; names compared without regard to case), falling
// back to the entry "offline" when `fall_back_to_offline`.
std::optional<std::string> secret_for(const std::vector<std::string>& table, std::string_view name,
                                      bool fall_back_to_offline);

}  // namespace qm

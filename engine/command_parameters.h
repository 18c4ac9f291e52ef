#pragma once
// How command handlers read their fields and write their results. Every
// command family uses these, so a field means the same thing everywhere.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry_view.h"
#include "platform/wow64.h"

namespace qm {

struct Engine;
struct ScriptLine;

// Field n with variable references substituted.
std::string expanded_field(const Engine& engine, const ScriptLine& line, std::size_t n);

// Field n substituted, then normalized as a path.
std::string normalized_field(const Engine& engine, const ScriptLine& line, std::size_t n);

// Field n, raw, read as a truth text.
bool truth_field(const Engine& engine, const ScriptLine& line, std::size_t n);

// Field n holding a bare variable name: upper-cased.
std::string bare_variable_field(const Engine& engine, const ScriptLine& line, std::size_t n);

// Field n holding $NAME$ or NAME: the name.
std::string variable_reference_field(const Engine& engine, const ScriptLine& line, std::size_t n);

// Field n substituted and translated with text number `offset` when a
// language is chosen (the translation is substituted again).
std::string translated_field(const Engine& engine, const ScriptLine& line, std::size_t n, std::size_t offset);

// Result writes under "<command> Action": set needs the variable to exist,
// set-or-define creates it.
void set_result(Engine& engine, const ScriptLine& line, std::string_view name, std::string_view value);
void set_or_define_result(Engine& engine, const ScriptLine& line, std::string_view name, std::string_view value);

// The two guards that make a command see the system of the target platform:
// a command takes each it needs as a local object, for its whole work.

// Whether the engine, a 32-bit program on 64-bit Windows, installs for the
// 64-bit system ("Set 64 Bit Mode" chose ia64 or x64).
bool targets_64_bit_windows(const Engine& engine);

// File-system redirection off around a command while the engine targets
// 64-bit Windows.
class RedirectionGuard {
 public:
  explicit RedirectionGuard(const Engine& engine);

 private:
  platform::FileSystemRedirectionGuard guard_;
};

// engine.registry_view set to the registry of the target platform around a
// command (the 64-bit one for a 64-bit target under WOW64); the command opens
// its keys with that view.
class RegistryViewGuard {
 public:
  explicit RegistryViewGuard(Engine& engine);

 private:
  platform::RegistryViewGuard guard_;
};

}  // namespace qm

#include "engine/command_parameters.h"

#include "engine/engine.h"
#include "script/ansi_text.h"
#include "script/path_text.h"
#include "script/truth_text.h"

namespace qm {

std::string expanded_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  return engine.variables.expand(engine.field(line, n));
}

std::string normalized_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  return normalize_path_text(expanded_field(engine, line, n));
}

bool truth_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  return is_true(engine.field(line, n));
}

std::string bare_variable_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  return ansi_upper(engine.field(line, n));
}

std::string variable_reference_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  const std::string raw = engine.field(line, n);
  std::string name = reference_name(raw);
  return name.empty() ? raw : name;
}

std::string translated_field(const Engine& engine, const ScriptLine& line, std::size_t n, std::size_t offset) {
  std::string text = expanded_field(engine, line, n);
  if (!engine.translations.active()) return text;
  auto translation = engine.translations.localize(text, line.id, offset, engine.package.build_constants);
  return translation ? engine.variables.expand(*translation) : text;
}

void set_result(Engine& engine, const ScriptLine& line, std::string_view name, std::string_view value) {
  engine.variables.set(name, value, category::of_command(line.command));
}

void set_or_define_result(Engine& engine, const ScriptLine& line, std::string_view name, std::string_view value) {
  engine.variables.define(name, value, category::of_command(line.command));
}

bool targets_64_bit_windows(const Engine& engine) {
  return engine.target_platform != TargetPlatform::kWin32 && platform::is_wow64_process();
}

RedirectionGuard::RedirectionGuard(const Engine& engine) : guard_(targets_64_bit_windows(engine)) {}

RegistryViewGuard::RegistryViewGuard(Engine& engine)
    : guard_(engine.registry_view, engine.target_platform != TargetPlatform::kWin32) {}

}  // namespace qm

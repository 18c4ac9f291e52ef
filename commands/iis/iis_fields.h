#pragma once
// How the IIS commands read their fields: every field (but the ones naming
// result variables) as its normalized expansion, translated first where the
// catalogue row says so; truth and integer fields are read from that text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qm {

struct Engine;
struct ScriptLine;

std::string iis_text_field(const Engine& engine, const ScriptLine& line, std::size_t n);
bool iis_truth_field(const Engine& engine, const ScriptLine& line, std::size_t n);
// Nothing when the text is no integer text.
std::optional<std::int32_t> iis_integer_field(const Engine& engine, const ScriptLine& line, std::size_t n);

}  // namespace qm

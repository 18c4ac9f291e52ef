#pragma once
// The script line a handler is called for.

#include <cstddef>
#include <string>

namespace qm {

struct ScriptLine {
  std::size_t index = 0;  // 0-based; users see index + 1
  std::string command;
  std::string id;         // the line identifier, key of its parameter fields

  std::size_t number() const { return index + 1; }
};

}  // namespace qm

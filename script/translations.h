#pragma once
// The product's translation tables for the current language, and the lookup
// that replaces a script text by its translation.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class Translations {
 public:
  // A language is chosen and its tables are loaded.
  bool active() const { return !current_language.empty(); }

  // The translation of `text`, the text number `offset` (1, 2, ...) of the
  // line or variable `key`; nothing when the text stays as it is. Build
  // constants in the translation are substituted with `constants`.
  std::optional<std::string> localize(std::string_view text, std::string_view key, std::size_t offset,
                       const std::vector<std::string>& constants) const;

  // Key for a "Localization Variable" text.
  static std::string variable_key(std::string_view name);

  // The lines of a translation file: ended by CR LF, LF or CR alone; a last
  // line without an end counts, an end at the end of the file adds none.
  static std::vector<std::string> file_lines(std::string_view text);

  std::string current_language;
  std::string loaded_language = "ZILCH";  // no real language has this name
  std::string mode;                       // the LOCMODE build constant
  std::vector<std::string> keys;          // line identifiers or variable keys
  std::vector<std::string> sources;       // parallel to keys: the original texts
  std::vector<std::string> translated;    // parallel to keys: the texts in the current language
  std::vector<std::string> map;           // dialog texts to their entries (used by the wizard)
};

}  // namespace qm

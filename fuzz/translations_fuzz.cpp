// The translation tables as the engine reads them from their files, and the
// lookup. Fields: 1 the localization mode (LOCMODE), 2 the key list, 3 the
// source texts, 4 the translated texts (files of the support folder, split
// into entries by the engine's own line reader), 5 the build constants
// (name, value, ... one per line), 6 the key looked up, 7 the text number, 8
// the text as the script has it.

#include "fuzz_input.h"
#include "script/build_constants.h"
#include "script/integer_text.h"
#include "script/translations.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 8);
  qm::Translations translations;
  translations.current_language = "German";
  translations.mode = field[0];
  translations.keys = qm::Translations::file_lines(field[1]);
  translations.sources = qm::Translations::file_lines(field[2]);
  translations.translated = qm::Translations::file_lines(field[3]);
  for (const auto& table : {translations.keys, translations.sources, translations.translated})
    for (const std::string& entry : table) QM_FUZZ_CHECK(entry.find_first_of("\r\n") == std::string::npos);
  const std::vector<std::string> constants = qm::fuzz::lines(field[4]);
  const std::string_view key = field[5];
  // Callers ask for the text numbers their command has: small ones.
  const std::size_t offset = static_cast<std::size_t>(qm::parse_integer_text(field[6]).value_or(1)) % 16;
  const std::string_view text = field[7];

  const std::optional<std::string> translation = translations.localize(text, key, offset, constants);
  if (translation) {
    QM_FUZZ_CHECK(offset > 0);
    bool found = false;
    for (std::size_t k = 0; k + offset - 1 < translations.translated.size() && !found; ++k)
      found = qm::substitute_constants(translations.translated[k + offset - 1], constants) == *translation;
    QM_FUZZ_CHECK(found);
  }
  (void)translations.localize(text, qm::Translations::variable_key(key), offset, constants);
  return 0;
}

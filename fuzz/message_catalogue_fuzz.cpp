// The engine message catalogue file (appended to the archive library, or a
// language's shared catalogue in the support folder). Fields: 1 the user's
// language name, 2 the catalogue text.

#include "fuzz_input.h"
#include "script/message_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 2);
  const std::string_view language = field[0];
  const std::string_view text = field[1];

  qm::MessageCatalogue catalogue;
  catalogue.load_text(text, language);
  for (int slot = 1; slot <= qm::MessageCatalogue::kSlots; ++slot)
    QM_FUZZ_CHECK(catalogue.text(slot).find('\n') == std::string::npos);

  // Without a language the default block is taken line by line; slots past a
  // block cut short keep their texts.
  qm::MessageCatalogue defaults;
  const qm::MessageCatalogue built_in;
  defaults.load_text(text, {});
  const std::vector<std::string> lines = qm::fuzz::lines(text);
  for (int slot = 1; slot <= qm::MessageCatalogue::kSlots; ++slot) {
    const auto index = static_cast<std::size_t>(slot - 1);
    QM_FUZZ_CHECK(defaults.text(slot) == (index < lines.size() ? lines[index] : built_in.text(slot)));
  }
  return 0;
}

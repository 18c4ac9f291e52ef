#pragma once
// The language of a translated product: chosen at start (by the user, or the
// one an installed product was set up in), switched by the script through
// LANGUAGE, and the translation tables loaded for it from the support folder.
//
// A product is translated when its support folder holds the key list
// "<product title>.mtx". Beside it lie "translations.Original" (the source
// texts), "translations.Map" (for dialog texts) and one "translations.<language>"
// file per language; optionally "shared.translations.<language>", the engine's
// own texts in that language.

#include <string>
#include <vector>

namespace qm {

struct Engine;

// Loads the tables of `language` (and the engine's texts in it, when the
// product brings them). False when a table is missing or unreadable.
bool load_language(Engine& engine, const std::string& language);

// Before every script line: when LANGUAGE names another language than the
// one loaded last, that language is loaded (or, when it cannot be, none is
// current any more); LANGUAGE then shows the current language.
void refresh_language(Engine& engine);

// The languages a translated product offers, in the order the folder lists
// their files.
std::vector<std::string> offered_languages(const std::string& support_folder);

// Chooses the language before the script runs and defines LANGUAGE. False
// when the user cancelled the language dialog: the script must not run.
bool choose_start_language(Engine& engine);

}  // namespace qm

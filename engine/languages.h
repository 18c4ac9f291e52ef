#pragma once
// The languages the engine knows by name, with their Windows locale
// identifiers.

#include <string>
#include <string_view>

namespace qm {

// "German" gives 1031; a name that is not known gives 1033 (English).
int language_identifier(std::string_view name);

// 1031 gives "German". Another identifier gives the known language of the
// same English language name (German (Austria) gives "German"), or the empty
// text when there is none other than English.
std::string language_name(int identifier);

// The user's language (the user default locale), by name.
std::string user_language_name();

// The default language of the user's locale, by name: what the language
// dialog offers first.
std::string user_default_language_name();

}  // namespace qm

#include "engine/languages.h"

#include <windows.h>

#include <cstdlib>

#include "script/ansi_text.h"

namespace qm {

namespace {

struct Language {
  const char* name;
  int identifier;
};

// The spellings are the ones products use in their translation file names.
constexpr Language kLanguages[] = {
    {"Arabic", 1025},   {"Catalan", 1027},    {"Chinese (Taiwan)", 1028}, {"Chinese (PRC)", 2052},
    {"Czech", 1029},    {"Danish", 1030},     {"German", 1031},           {"Greek", 1032},
    {"English", 1033},  {"Spanish", 3082},    {"Estonian", 1061},         {"Finnish", 1035},
    {"French", 1036},   {"Hebrew", 1037},     {"Hungarian", 1038},        {"Italian", 1040},
    {"Japanese", 1041}, {"Korean", 1042},     {"Lithuanian", 1063},       {"Latvian", 1062},
    {"Dutch", 1043},    {"Norwegian", 1044},  {"Polish", 1045},           {"Portugese (Brazil)", 1046},
    {"Portugese (Portugal)", 2070},           {"Romanian", 1048},         {"Russian", 1049},
    {"Croatian", 1050}, {"Slovak", 1051},     {"Swedish", 1053},          {"Thai", 1054},
    {"Turkish", 1055},  {"Slovenian", 1060},  {"Vietnamese", 1066},       {"Basque", 1069},
};

constexpr int kEnglish = 1033;

std::string locale_info(LCID locale, LCTYPE type) {
  char text[128] = {};
  if (GetLocaleInfoA(locale, type, text, sizeof text) == 0) return {};
  return text;
}

std::string language_of_locale_field(LCTYPE type) {
  const std::string hex = locale_info(LOCALE_USER_DEFAULT, type);
  return language_name(static_cast<int>(std::strtol(hex.c_str(), nullptr, 16)));
}

}  // namespace

int language_identifier(std::string_view name) {
  for (const Language& language : kLanguages)
    if (equal_ignore_case(language.name, name)) return language.identifier;
  return kEnglish;
}

std::string language_name(int identifier) {
  for (const Language& language : kLanguages)
    if (language.identifier == identifier) return language.name;
  const int same_language = language_identifier(locale_info(static_cast<LCID>(identifier), LOCALE_SENGLANGUAGE));
  return same_language == kEnglish ? std::string() : language_name(same_language);
}

std::string user_language_name() { return language_of_locale_field(LOCALE_ILANGUAGE); }

std::string user_default_language_name() { return language_of_locale_field(LOCALE_IDEFAULTLANGUAGE); }

}  // namespace qm

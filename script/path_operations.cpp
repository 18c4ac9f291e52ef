#include "script/path_operations.h"

#include <algorithm>

#include "script/path_text.h"

namespace qm {

namespace {

std::string without_trailing_backslash(std::string text) {
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

std::string file_name_without_extension(std::string_view path) {
  const std::string name = file_name_of(path);
  return name.substr(0, name.size() - extension_of(name).size());
}

std::string parent_folder(std::string_view path) {
  return with_trailing_backslash(folder_of(without_trailing_backslash(folder_of(path))));
}

// A name with wildcards is no file name: looked up, it would answer with
// whichever file happens to match.
bool has_wildcards(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

}  // namespace

std::string extract_path(std::string_view path, std::int32_t operation) {
  switch (operation) {
    case 0: return file_name_of(path);
    case 1: return file_name_without_extension(path);
    case 2: {
      const std::string extension = extension_of(path);
      return extension.empty() ? extension : extension.substr(1);
    }
    case 3: return with_trailing_backslash(folder_of(path));
    case 4: return parent_folder(path);
    case 5: return with_trailing_backslash(drive_of(path));
    case 6: return collapse_backslash_pairs(path);
    default: return std::string(path);
  }
}

std::string long_path_form(std::string_view path, const LongNameLookup& lookup) {
  std::string plain(path);
  plain.erase(std::remove(plain.begin(), plain.end(), '"'), plain.end());
  plain = without_trailing_backslash(std::move(plain));

  const std::string folder = folder_of(plain);
  if (plain.empty() || folder == plain) return plain;
  const std::string name = file_name_of(plain);
  if (has_wildcards(name)) return plain;
  const std::optional<std::string> long_name = lookup(plain);
  if (!long_name) return plain;

  // The parent's long form has lost its trailing backslash: one separator
  // always joins the two. Scripts written for this command rely on that
  // form even for a name given without a folder ("readme.txt" comes back as
  // "\ReadMe.txt").
  return long_path_form(folder, lookup) + "\\" + *long_name;
}

}  // namespace qm

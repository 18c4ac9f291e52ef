#pragma once
// Paths as texts: the engine's folder values end with a backslash, and a few
// path pieces are cut out of texts in many places.

#include <string>
#include <string_view>

namespace qm {

// The folder with a trailing backslash; an empty text stays empty.
std::string with_trailing_backslash(std::string folder);

// The folder part of a path, up to and including its last backslash or
// colon ("" when there is none).
std::string folder_of(std::string_view path);
// The part of a path after its last backslash or colon.
std::string file_name_of(std::string_view path);

// The extension of a path's file name: from its last dot to the end, dot
// included ("" when the file name has no dot).
std::string extension_of(std::string_view path);

// "C:" for a path whose second character is a colon; "\\server\share" for a
// network path (up to the backslash after the share name, or all of it when
// none follows); "" otherwise.
std::string drive_of(std::string_view path);

// The path with its extension (from the last dot of the file name) replaced,
// or `extension` appended when the file name has none.
std::string with_extension(std::string_view path, std::string_view extension);

// Every pair of backslashes replaced by one, in one pass from the left:
// pairs do not overlap, so four backslashes become two.
std::string collapse_backslash_pairs(std::string_view text);

// A path text cleaned of doubled backslashes (one pass, pairs do not
// overlap); a leading "\\" of a network path is kept.
std::string normalize_path_text(std::string_view expanded);

}  // namespace qm

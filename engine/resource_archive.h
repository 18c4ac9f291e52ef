#pragma once
// The product's resource archive (dialog definitions and support files),
// unpacked through the archive library into the run's support folder.

#include <cstdint>
#include <string>

namespace qm {

struct ArchiveExtraction {
  bool extracted = false;
  std::int32_t error = 0;  // the archive library's error code when not extracted
};

// Lists the archive and extracts every file of it into `destination`,
// replacing files that are there. `password` (empty: none) is wiped after use.
ArchiveExtraction extract_resource_archive(const std::string& archive, const std::string& destination,
                                           std::string password);

}  // namespace qm

// package_dump: prints what the engine reads from a setup executable (a copy
// of quillmore.exe with a setup package appended).
//
//   package_dump SETUP.EXE
//
// It finds the appended bytes the way the engine does (everything after the
// image end, the largest PointerToRawData + SizeOfRawData of the section
// table), reads them with the engine's own reader and prints the single
// values, the size of every list, each script line with its fields and
// command header, and the build constants.
//
// The image end is taken from the headers in the file, not from a loaded
// module: the section table in the file is the same bytes that the loader maps
// at a module's base, so the result is the one the engine computes from its
// own module in memory. Loading the setup with LoadLibraryEx instead would map
// a program at the base address this tool occupies itself (so it depends on
// relocations), and it fails for files that cannot be loaded into this
// process at all, which a tool for examining setups should still report on.
//
// Exit codes: 0 printed; 1 wrong usage; 2 the file cannot be read or is not a
// program image; 3 nothing is appended; 4 the package is damaged.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/module_image.h"
#include "script/package_reader.h"
#include "script/pe_image.h"
#include "script/setup_package.h"

namespace {

constexpr int kExitUsage = 1;
constexpr int kExitNotAnImage = 2;
constexpr int kExitNothingAppended = 3;
constexpr int kExitDamaged = 4;

// More than any image's headers; the section table lies within them.
constexpr std::uint64_t kHeaderBytes = 64 * 1024;

struct FileFailure {
  int exit_code;
  std::string message;
};

std::uint64_t file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    throw FileFailure{kExitNotAnImage, "Cannot open " + path + " (error " + std::to_string(GetLastError()) + ")."};
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

qm::platform::AppendedData find_appended_data_in_file(const std::string& path) {
  qm::platform::AppendedData data;
  data.file_path = path;
  const std::uint64_t size = file_size(path);
  std::string headers;
  try {
    headers = qm::platform::read_file_range(path, 0, std::min(size, kHeaderBytes));
  } catch (const std::exception& error) {
    throw FileFailure{kExitNotAnImage, error.what()};
  }
  const auto image_end = qm::pe_image_end(reinterpret_cast<const unsigned char*>(headers.data()), headers.size());
  if (!image_end) throw FileFailure{kExitNotAnImage, path + " is not a Windows program image."};
  data.offset = *image_end;
  data.size = size > data.offset ? size - data.offset : 0;
  return data;
}

// Entries are quoted, since leading and trailing blanks belong to them.
std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

const char* build_kind_meaning(std::int32_t kind) {
  switch (kind) {
    case qm::kWebMediaBuild: return "web media build";
    case qm::kEngineCacheBuild: return "works from the installed product's engine cache";
    default: return "ordinary build";
  }
}

// The number of fields of each line's record. A record runs from its line's
// identifier to the next record's identifier (no field equals a line
// identifier) or to the end of its list. As with the field accessor, the first
// parameter list that holds the identifier counts.
std::vector<std::size_t> field_counts(const qm::SetupPackage& package) {
  const std::size_t lists = package.parameter_lists.size();
  std::vector<std::vector<std::size_t>> starts(lists);
  std::vector<std::optional<std::pair<std::size_t, std::size_t>>> record(package.line_count());  // list, position
  for (std::size_t line = 0; line < package.line_count(); ++line) {
    for (std::size_t l = 0; l < lists; ++l) {
      const std::size_t at = package.parameter_lists[l].find(package.line_id(line), package.line_ids);
      if (at == qm::ParameterList::npos) continue;
      starts[l].push_back(at);
      if (!record[line]) record[line] = std::make_pair(l, at);
    }
  }
  for (auto& positions : starts) std::sort(positions.begin(), positions.end());

  std::vector<std::size_t> counts(package.line_count(), 0);
  for (std::size_t line = 0; line < package.line_count(); ++line) {
    if (!record[line]) continue;
    const auto [l, at] = *record[line];
    const auto next = std::upper_bound(starts[l].begin(), starts[l].end(), at);
    const std::size_t end = next == starts[l].end() ? package.parameter_lists[l].size() : *next;
    counts[line] = end - at - 1;
  }
  return counts;
}

void print_pairs(const char* title, const std::vector<std::string>& pairs) {
  std::printf("\n%s:\n", title);
  if (pairs.empty()) std::printf("  (none)\n");
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
    std::printf("  %s = %s\n", pairs[i].c_str(), quoted(pairs[i + 1]).c_str());
  if (pairs.size() % 2 != 0) std::printf("  %s (no value: the list has an odd number of entries)\n", pairs.back().c_str());
}

void print_package(const qm::platform::AppendedData& appended, const qm::SetupPackage& package) {
  std::printf("Setup: %s\n", appended.file_path.c_str());
  std::printf("Package: %llu bytes after the image end at offset %llu\n",
              static_cast<unsigned long long>(appended.size), static_cast<unsigned long long>(appended.offset));

  std::printf("\nProduct code:     %s\n", package.product_code.c_str());
  std::printf("Product title:    %s\n", package.product_title.c_str());
  std::printf("Revision code:    %s\n", package.revision_code.c_str());
  std::printf("Build kind:       %d (%s)\n", static_cast<int>(package.build_kind),
              build_kind_meaning(package.build_kind));
  std::printf("Language dialog:  %s\n", package.language_dialog ? "yes" : "no");
  std::printf("Default language: %s\n", package.default_language.c_str());

  const qm::PublisherLines& publisher = package.publisher;
  std::printf("\nPublisher lines:\n");
  std::printf("  Publisher:       %s\n", publisher.publisher.c_str());
  std::printf("  Contact:         %s\n", publisher.support_contact.c_str());
  std::printf("  HelpLink:        %s\n", publisher.help_link.c_str());
  std::printf("  URLUpdateInfo:   %s\n", publisher.update_info_link.c_str());
  std::printf("  Comments:        %s\n", publisher.comments.c_str());
  std::printf("  Product version: %s\n", publisher.product_version.c_str());

  const std::vector<std::size_t> fields = field_counts(package);
  std::size_t records = 0;
  for (std::size_t line = 0; line < package.line_count(); ++line)
    if (!package.field_of_line(line, 0).empty()) ++records;
  std::size_t parameter_entries = 0;
  for (const qm::ParameterList& list : package.parameter_lists) parameter_entries += list.size();

  std::printf("\nLists:\n");
  std::printf("  script lines            %6zu\n", package.line_count());
  std::printf("  parameter list          %6zu entries (%zu records)\n", parameter_entries, records);
  std::printf("  plug-in commands        %6zu\n", package.plugin_commands.size());
  std::printf("  web media secret table  %6zu entries\n", package.web_media_secrets.size());
  std::printf("  component size list     %6zu entries (%zu components)\n", package.component_sizes.size(),
              package.component_sizes.size() / 2);
  std::printf("  media file list         %6zu entries (%zu files)\n", package.media_files.size(),
              package.media_files.size() / 3);
  std::printf("  command header list     %6zu entries (%zu headers)\n", package.command_headers.size(),
              package.command_headers.size() / 2);
  std::printf("  build constant list     %6zu entries (%zu constants)\n", package.build_constants.size(),
              package.build_constants.size() / 2);

  if (!package.plugin_commands.empty()) {
    std::printf("\nPlug-in commands:\n");
    for (const std::string& name : package.plugin_commands.entries()) std::printf("  %s\n", name.c_str());
  }

  std::printf("\nScript:\n");
  for (std::size_t line = 0; line < package.line_count(); ++line) {
    std::string heading(package.command(line));
    const std::string header = package.header(line, qm::HeaderLookup::kTolerant);
    if (!header.empty()) heading += "  [command header " + header + "]";
    if (package.is_commented_out(line)) heading += "  (commented out)";
    std::printf("  %4zu  %s\n", line + 1, heading.c_str());
    const std::string_view id = package.line_id(line);
    for (std::size_t n = 1; n <= fields[line]; ++n)
      std::printf("          %zu: %s\n", n, quoted(package.field(id, n)).c_str());
    if (!package.line_media_folders[line].empty())
      std::printf("          media folder: %s\n", std::string(package.line_media_folders[line]).c_str());
  }

  print_pairs("Build constants", package.build_constants);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: package_dump SETUP.EXE\n"
                         "Prints the setup package appended to a copy of the engine.\n");
    return kExitUsage;
  }
  const std::string path = argv[1];
  try {
    const qm::platform::AppendedData appended = find_appended_data_in_file(path);
    if (appended.size == 0) {
      std::fprintf(stderr, "%s: nothing is appended after the image end at offset %llu: it carries no setup package.\n",
                   path.c_str(), static_cast<unsigned long long>(appended.offset));
      return kExitNothingAppended;
    }
    std::string text;
    try {
      text = qm::platform::read_file_range(path, appended.offset, appended.size);
    } catch (const std::exception& error) {
      throw FileFailure{kExitNotAnImage, error.what()};
    }
    const qm::SetupPackage package = qm::parse_package(text);
    print_package(appended, package);
    return 0;
  } catch (const FileFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.message.c_str());
    return failure.exit_code;
  } catch (const qm::PackageError& error) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.what());
    return kExitDamaged;
  }
}

#include "media/extract_media.h"

#include <windows.h>

#include <map>
#include <utility>

#include "engine/engine.h"
#include "media/archive_extraction.h"
#include "media/exact_names.h"
#include "media/media_texts.h"
#include "platform/file_system.h"
#include "platform/wide_text.h"
#include "qvx/qvx_archive.h"
#include "script/path_text.h"

namespace qm {

namespace {

using media_files::lower_case;
using media_files::wide;

std::string shown_block_name(std::string name) {
  if (!name.empty() && name.back() == '\\') name.pop_back();
  return name;
}

std::string without_extension(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The extracted files of the archive's folder by the name the media file
// list knows them by: the library's listed form, ignoring case. Names the
// code page cannot hold read "?" there, so one listed name may stand for
// several files.
class ExtractedFiles {
 public:
  explicit ExtractedFiles(const std::wstring& root) {
    for (std::wstring& relative : media_files::files_below(root)) {
      by_listed_name_[key(relative)].push_back(std::move(relative));
    }
  }

  std::vector<std::wstring> named(const std::string& listed) const {
    std::wstring name = wide(listed);
    for (wchar_t& c : name) {
      if (c == L'/') c = L'\\';
    }
    const auto found = by_listed_name_.find(key(name));
    // A name not extracted is looked for as written, and not found.
    return found != by_listed_name_.end() ? found->second : std::vector<std::wstring>{name};
  }

 private:
  static std::string key(const std::wstring& name) { return media_files::listed_form(lower_case(name)); }

  std::map<std::string, std::vector<std::wstring>> by_listed_name_;
};

class Distribution {
 public:
  Distribution(std::wstring root, const ExtractedFiles& files) : root_(std::move(root)), files_(files) {}

  // Puts the file(s) `path` of the archive's folder into `folder`.
  bool place(const std::string& path, const std::wstring& folder) {
    media_files::create_folders(folder);
    for (const std::wstring& relative : files_.named(path)) {
      if (!place_file(root_ + relative, folder + media_files::name_part(relative))) return false;
    }
    return true;
  }

 private:
  bool place_file(const std::wstring& source, const std::wstring& target) {
    const std::wstring source_key = lower_case(source);
    const auto moved = moved_to_.find(source_key);
    // Listed twice for the same folder: it is there already, and deleting
    // the target first would lose the only copy.
    if (moved != moved_to_.end() && lower_case(moved->second) == lower_case(target)) return true;
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(target.c_str());
    // Listed for another folder before: fetch it back from there.
    if (!media_files::file_exists(source) && moved != moved_to_.end()) {
      CopyFileW(moved->second.c_str(), source.c_str(), FALSE);
    }
    if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) return false;
    moved_to_[source_key] = target;
    return true;
  }

  std::wstring root_;
  const ExtractedFiles& files_;
  std::map<std::wstring, std::wstring> moved_to_;  // source (lower case) -> where it went
};

// The extraction's own folder, removed again whatever happens.
class WorkFolder {
 public:
  explicit WorkFolder(const std::string& temp_folder)
      : path_(wide(platform::create_numbered_folder(temp_folder, "qvxmedia"))) {}
  ~WorkFolder() { media_files::remove_tree(path_); }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

void keep_copy(const std::string& archive, const std::string& folder) {
  if (folder.empty()) return;
  const std::string copy = with_trailing_backslash(folder) + file_name_of(archive);
  platform::create_folder_with_parents(with_trailing_backslash(folder));
  CopyFileA(archive.c_str(), copy.c_str(), FALSE);
}

void delete_file(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

MediaOutcome extract_and_distribute(const ExtractMediaInputs& inputs, const ExtractMediaSettings& settings,
                                    MediaJobContext& context) {
  MediaOutcome outcome;
  const std::string destination = with_trailing_backslash(inputs.destination);
  platform::create_folder_with_parents(destination);
  // A folder of its own in the temporary folder: whatever lay in the
  // temporary folder under the archive's name does not become part of the
  // block.
  const WorkFolder work(settings.temp_folder);
  const std::string heading = settings.extracting + shown_block_name(inputs.block_name) + "\r";

  ArchiveRequest request;
  request.archive = inputs.archive_path;
  request.destination = platform::ansi_from_wide(work.path());
  request.password = inputs.password;
  request.keep_going = [&context] { return !context.stop_requested(); };
  const ArchiveResult extraction =
      list_and_extract(request, [&](const std::string& entry, std::uint64_t done, std::uint64_t total) {
        const int percent = archive_percent(done, total);
        return context.report(heading + file_name_of(entry) + ", " + std::to_string(percent) + settings.percent_complete,
                              percent);
      });
  if (!extraction.extracted) {
    outcome.error_text = extraction.error_text;
    // Whether the listing or the extraction found it out (an archive whose
    // names are not encrypted lists without the password).
    outcome.cannot_open = extraction.code == QVX_ERROR_CANNOT_OPEN;
    return outcome;
  }

  keep_copy(inputs.archive_path, settings.copy_folder);
  if (!inputs.local_archive) delete_file(inputs.archive_path);

  const std::string name = without_extension(file_name_of(inputs.archive_path));
  const std::wstring root = work.path() + wide(name) + L"\\";
  const ExtractedFiles files(root);
  Distribution distribution(root, files);
  const std::wstring archive_key = lower_case(wide(name));
  for (std::size_t i = 0; i + 2 < settings.media_files.size(); i += 3) {
    if (lower_case(wide(settings.media_files[i])) != archive_key) continue;
    if (context.stop_requested()) return outcome;
    const std::wstring folder = wide(with_trailing_backslash(destination + settings.media_files[i + 2]));
    if (!distribution.place(settings.media_files[i + 1], folder)) return outcome;
  }
  outcome.success = media_files::move_folder_over(root, wide(destination + name + "\\"));
  return outcome;
}

}  // namespace

ExtractMediaSettings extract_media_settings(const Engine& engine) {
  ExtractMediaSettings settings;
  settings.temp_folder = engine.startup.temp_folder;
  if (engine.variables.exists("COPYWEBLOCK")) settings.copy_folder = engine.variables.get("COPYWEBLOCK");
  settings.media_files = engine.package.media_files.entries();
  settings.extracting = engine.messages.text(media_text::kExtractingWebMedia);
  settings.percent_complete = engine.messages.text(media_text::kPercentComplete);
  return settings;
}

MediaJob extract_media_job(ExtractMediaInputs inputs, ExtractMediaSettings settings) {
  return [inputs = std::move(inputs), settings = std::move(settings)](MediaJobContext& context) {
    return extract_and_distribute(inputs, settings, context);
  };
}

MediaOutcome extract_media(Engine& engine, const ExtractMediaInputs& inputs, unsigned watchdog_ms) {
  MediaThreadSettings settings;
  settings.owner_window = inputs.owner_window;
  settings.cancel_watchdog_ms = watchdog_ms;
  return run_media_thread(engine, extract_media_job(inputs, extract_media_settings(engine)), settings);
}

}  // namespace qm

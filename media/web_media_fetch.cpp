#include "media/web_media_fetch.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/engine.h"
#include "engine/run_values.h"
#include "media/copy_media.h"
#include "media/exact_names.h"
#include "media/extract_media.h"
#include "media/grab_media.h"
#include "media/media_texts.h"
#include "media/retry_dialogs.h"
#include "media/web_download.h"
#include "platform/file_system.h"
#include "script/ansi_text.h"
#include "script/path_text.h"
#include "script/script_error.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// An archive that cannot be opened is tried this often without asking: a
// virus scanner or an indexer may hold it for a moment.
constexpr int kOpenAttempts = 10;
constexpr int kClearingPasses = 3;

enum class FetchStep { kDone, kFetchAgain };

[[noreturn]] void fail(const Engine& engine, int message) { throw ScriptError(engine.messages.text(message)); }

std::string variable_or_empty(const Engine& engine, const char* name) {
  return engine.variables.exists(name) ? engine.variables.get(name) : std::string();
}

// The block's name as the progress texts show it: without its backslash.
std::string shown_name(const std::string& block) {
  return block.ends_with('\\') ? block.substr(0, block.size() - 1) : block;
}

void show_step(Engine& engine, int message, const std::string& block) {
  engine.progress.store(engine.messages.text(message) + shown_name(block), 0, 100, 0);
}

// Where this run's blocks live. A fetch after ALLUSERS changed finds the
// blocks fetched so far moved along into the new folder.
std::string update_web_data_folder(Engine& engine) {
  const std::string folder = engine_cache_folder(engine);
  std::string& earlier = engine.web_media.web_data_folder;
  if (!earlier.empty() && ansi_upper(earlier) != ansi_upper(folder) && platform::folder_exists(earlier)) {
    media_files::create_folders(media_files::wide(folder));
    WIN32_FIND_DATAW entry;
    const std::wstring from = media_files::wide(earlier);
    HANDLE search = FindFirstFileW((from + L"*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") continue;
        media_files::move_folder_over(from + name + L"\\", media_files::wide(folder) + name + L"\\");
      } while (FindNextFileW(search, &entry));
      FindClose(search);
    }
  }
  earlier = folder;
  return folder;
}

void clear_folder(const std::string& folder) { platform::remove_folder_tree(folder, kClearingPasses); }

// Where an offline medium or an archive shipped with the setup lies: the
// folder of the self-extracting setup when it was one, else the engine's.
std::string setup_media_folder(const Engine& engine) {
  const std::string sfx = variable_or_empty(engine, "SFXPATH");
  return with_trailing_backslash(sfx.empty() ? engine.startup.engine_folder : sfx);
}

void copy_offline_medium(Engine& engine, const std::string& web_folder, const std::string& block) {
  show_step(engine, media_text::kCopying, block);
  const MediaOutcome outcome =
      copy_media(engine, CopyMediaInputs{setup_media_folder(engine), web_folder, engine.current_window});
  if (outcome.success) return;
  clear_folder(web_folder + block);
  fail(engine, media_text::kCopyFailed);
}

// Downloads the current block's archive, asking the user to retry when it
// fails; throws when the user (or a silent run) gives up.
void download_archive(Engine& engine, const std::string& block) {
  WebMediaState& media = engine.web_media;
  for (;;) {
    show_step(engine, media_text::kDownloadingWebMedia, block);
    media::DownloadRoute route = media::DownloadRoute::kHttpClient;
    const GrabMediaInputs inputs{media.block.locations, media.block.archive_path, shown_name(block), media.proxy,
                                 media.resume, engine.current_window};
    const MessageCatalogue& messages = engine.messages;
    const MediaOutcome outcome = grab_media(
        engine, inputs,
        [&media, &messages, &route](const std::string& url, const GrabMediaInputs& job_inputs,
                                    const DownloadProgress& progress) {
          const ProxySettings& proxy = job_inputs.proxy;
          const media::WebDownloadJob job{
              {url}, job_inputs.archive_path, {proxy.server, proxy.port, proxy.user, proxy.password}, job_inputs.resume};
          const media::WebDownloadResult result =
              media::download_web_media(job, media.url_moniker_first, messages, progress);
          route = result.route;
          return result.success;
        });
    if (outcome.success) return;
    if (outcome.terminate_requested || engine.cancel_requested || engine.silent())
      fail(engine, media_text::kDownloadFailed);
    if (route == media::DownloadRoute::kUrlMoniker) {
      const ResumeRetryAnswer answer = ask_retry_download(engine.messages, engine.current_window);
      if (!answer.retry()) fail(engine, media_text::kDownloadFailed);
      media.resume = answer.resume;
    } else {
      const ProxyRetryAnswer answer = ask_retry_download_with_proxy(engine.messages, media.proxy, engine.current_window);
      if (!answer.retry()) fail(engine, media_text::kDownloadFailed);
      media.proxy = answer.proxy;
    }
  }
}

// Extracts `archive` into the web data folder. kFetchAgain: the user asked
// for a fresh copy (the archive is gone or rejected, resume is off).
FetchStep extract_archive(Engine& engine, const std::string& web_folder, const std::string& block,
                          const std::string& archive, bool local_archive) {
  WebMediaState& media = engine.web_media;
  for (int attempt = 1;; ++attempt) {
    show_step(engine, media_text::kExtractingWebMedia, block);
    const MediaOutcome outcome = extract_media(
        engine, ExtractMediaInputs{archive, local_archive, media.block.password, web_folder, shown_name(block),
                                   engine.current_window});
    if (outcome.success) return FetchStep::kDone;
    clear_folder(web_folder + block);
    const bool cancelled = outcome.terminate_requested || engine.cancel_requested;
    if (outcome.cannot_open && !cancelled && attempt < kOpenAttempts) continue;
    if (cancelled || engine.silent()) fail(engine, media_text::kExtractionFailed);
    const ExtractRetryAnswer answer = ask_retry_extraction(engine.messages, engine.current_window);
    if (!answer.retry()) fail(engine, media_text::kExtractionFailed);
    if (answer.extract) {
      attempt = 0;
      continue;
    }
    if (local_archive) {
      media.rejected_local_archives.push_back(ansi_upper(archive));
    } else {
      SetFileAttributesA(archive.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(archive.c_str());
    }
    media.resume = false;
    return FetchStep::kFetchAgain;
  }
}

// An archive of the block shipped beside the setup, unless it failed before.
std::string local_archive_of(const Engine& engine) {
  const std::string path = setup_media_folder(engine) + file_name_of(engine.web_media.block.archive_path);
  const auto& rejected = engine.web_media.rejected_local_archives;
  if (!platform::file_exists(path) || std::ranges::find(rejected, ansi_upper(path)) != rejected.end()) return {};
  return path;
}

FetchStep fetch_once(Engine& engine, const std::string& block) {
  const std::string web_folder =
      engine.package.build_kind == kWebMediaBuild ? update_web_data_folder(engine) : engine.web_media.web_data_folder;
  if (is_true(variable_or_empty(engine, "REMOVE"))) return FetchStep::kDone;  // a removal needs no media

  const std::string block_folder = web_folder + block;
  const std::string marker = block_folder + engine_cache_key(engine);
  if (platform::folder_exists(block_folder)) {
    if (platform::file_exists(marker)) return FetchStep::kDone;
    clear_folder(block_folder);  // a fetch that broke off half-way
  }

  if (ansi_upper(block) == "OFFLINE\\") {
    copy_offline_medium(engine, web_folder, block);
  } else {
    std::string archive = local_archive_of(engine);
    const bool local = !archive.empty();
    if (!local) {
      archive = engine.web_media.block.archive_path;
      download_archive(engine, block);
    }
    if (extract_archive(engine, web_folder, block, archive, local) == FetchStep::kFetchAgain)
      return FetchStep::kFetchAgain;
  }

  platform::create_folder_with_parents(block_folder);
  platform::write_whole_file(marker, "");
  return FetchStep::kDone;
}

class WebMediaDelivery : public MediaDelivery {
 public:
  void fetch_block(Engine& engine, const std::string& block) override { fetch_web_media_block(engine, block); }
};

}  // namespace

void fetch_web_media_block(Engine& engine, const std::string& block) {
  BusyScope busy(engine.busy);
  while (fetch_once(engine, block) == FetchStep::kFetchAgain) {
  }
}

std::unique_ptr<MediaDelivery> make_web_media_delivery() { return std::make_unique<WebMediaDelivery>(); }

}  // namespace qm

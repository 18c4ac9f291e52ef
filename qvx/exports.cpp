// The four exports of qvx.lib (see qvx_archive.h). No exception leaves
// them: every failure becomes the code GetLastArchiveError reports.

#include <atomic>
#include <climits>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "qvx/archive.h"
#include "qvx/archive_file.h"
#include "qvx/extract.h"
#include "qvx/failure.h"
#include "qvx/keys.h"
#include "qvx/password_callback.h"
#include "qvx/paths.h"
#include "qvx/qvx_archive.h"
#include "qvx/text.h"

struct QvxListing {
  std::vector<std::string> names;
  std::vector<QvxEntry> entries;
};

namespace {

std::atomic<std::int32_t> g_last_error{QVX_OK};

// Listings handed out and not yet closed: a handle is checked before use.
std::mutex g_listings_mutex;
std::set<QvxListing*> g_listings;

template <typename Work>
bool run_call(Work&& work) noexcept {
  std::int32_t code = QVX_OK;
  try {
    work();
  } catch (const qvx::Failure& failure) {
    code = failure.code();
  } catch (const std::bad_alloc&) {
    code = QVX_ERROR_MEMORY;
  } catch (const std::length_error&) {
    code = QVX_ERROR_MEMORY;
  } catch (...) {
    code = QVX_ERROR_INTERNAL;
  }
  g_last_error = code;
  return code == QVX_OK;
}

std::unique_ptr<QvxListing> list(const qvx::Archive& archive) {
  auto listing = std::make_unique<QvxListing>();
  const std::uint32_t count = archive.count();
  if (count > static_cast<std::uint32_t>(INT32_MAX)) qvx::fail(QVX_ERROR_MEMORY, "too many entries");
  std::vector<bool> encrypted(archive.folder_count(), false);
  for (std::uint32_t f = 0; f < archive.folder_count(); ++f) {
    try {
      encrypted[f] = archive.folder_layout(f).encrypted();
    } catch (const qvx::Failure&) {
      // A block this library cannot decode still lists; extraction reports it.
    }
  }

  listing->names.reserve(count);
  listing->entries.resize(count);
  for (std::uint32_t e = 0; e < count; ++e) {
    listing->names.push_back(qvx::listed_name(archive.name(e)));
    QvxEntry& entry = listing->entries[e];
    entry.index = e;
    entry.size = archive.size(e);
    entry.block = archive.folder(e);
    if (archive.is_directory(e)) {
      entry.flags |= QVX_ENTRY_DIRECTORY;
      entry.attributes = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
    }
    if (archive.has_attributes(e)) {
      entry.flags |= QVX_ENTRY_HAS_ATTRIBUTES;
      entry.attributes |= archive.attributes(e);
    }
    if (archive.has_mtime(e)) {
      entry.flags |= QVX_ENTRY_HAS_TIME;
      entry.last_write_time = archive.mtime(e);
    }
    if (archive.has_crc(e)) {
      entry.flags |= QVX_ENTRY_HAS_CRC;
      entry.crc = archive.crc(e);
    }
    if (entry.block != qvx::kNoFolder && entry.block < encrypted.size()) {
      if (encrypted[entry.block]) entry.flags |= QVX_ENTRY_ENCRYPTED;
      if (archive.db().FolderToFile[entry.block] == e) entry.packed_size = archive.folder_pack_size(entry.block);
    }
  }
  // The names no longer move: point the records at them.
  for (std::uint32_t e = 0; e < count; ++e) listing->entries[e].name = listing->names[e].c_str();
  return listing;
}

}  // namespace

extern "C" {

QvxListHandle QVX_CALL OpenListArchive(const char* archive_path, int32_t, QvxPasswordCallback password_callback,
                                       void*, void*, void*, const char* password, QvxEntry** entries,
                                       int32_t* count) {
  QvxListing* handle = nullptr;
  run_call([&] {
    if (entries != nullptr) *entries = nullptr;
    if (count != nullptr) *count = 0;
    if (archive_path == nullptr || entries == nullptr || count == nullptr) {
      qvx::fail(QVX_ERROR_ARGUMENT, "a required argument is missing");
    }
    std::unique_ptr<QvxListing> listing;
    {
      qvx::Passwords passwords(qvx::password_text(password), qvx::ask_with(password_callback));
      const qvx::Limits limits;
      qvx::Keys keys(passwords, limits.key_cycles_power);
      const qvx::ArchiveFile file(qvx::ansi_to_wide(archive_path));
      const qvx::Archive archive(file, keys, limits);
      listing = list(archive);
    }
    {
      const std::lock_guard<std::mutex> lock(g_listings_mutex);
      g_listings.insert(listing.get());
    }
    *entries = listing->entries.empty() ? nullptr : listing->entries.data();
    *count = static_cast<int32_t>(listing->entries.size());
    handle = listing.release();
  });
  return handle;
}

int32_t QVX_CALL CloseListArchive(QvxListHandle handle) {
  bool known = false;
  run_call([&] {
    {
      const std::lock_guard<std::mutex> lock(g_listings_mutex);
      known = g_listings.erase(handle) == 1;
    }
    if (!known) qvx::fail(QVX_ERROR_ARGUMENT, "not an open listing");
    delete handle;
  });
  return known ? 1 : 0;
}

int32_t QVX_CALL ExtractArchive(const char* archive_path, int32_t mode, const char* destination,
                                const QvxTargetFiles* targets, int32_t overwrite, const char* password,
                                QvxPasswordCallback password_callback, QvxFileCallback file_callback,
                                QvxProgressCallback progress_callback, QvxQueryCallback query_callback) {
  const bool done = run_call([&] {
    if (archive_path == nullptr || destination == nullptr) qvx::fail(QVX_ERROR_ARGUMENT, "a path is missing");
    if (mode != QVX_MODE_FULL_PATHS && mode != QVX_MODE_NO_PATHS) qvx::fail(QVX_ERROR_ARGUMENT, "unknown mode");
    if (overwrite != QVX_OVERWRITE_ASK && overwrite != QVX_OVERWRITE_KEEP) {
      qvx::fail(QVX_ERROR_ARGUMENT, "unknown overwrite flag");
    }
    qvx::ExtractRequest request;
    request.archive = qvx::ansi_to_wide(archive_path);
    request.destination = qvx::ansi_to_wide(destination);
    request.full_paths = mode == QVX_MODE_FULL_PATHS;
    request.keep_existing = overwrite == QVX_OVERWRITE_KEEP;
    request.targets = targets;
    request.password = password;
    request.password_callback = password_callback;
    request.file_callback = file_callback;
    request.progress_callback = progress_callback;
    request.query_callback = query_callback;
    qvx::extract(request);
  });
  return done ? 1 : 0;
}

int32_t QVX_CALL GetLastArchiveError(int32_t) { return g_last_error; }

}  // extern "C"

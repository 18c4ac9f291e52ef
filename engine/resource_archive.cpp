#include "engine/resource_archive.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/unique_resource.h"
#include "qvx/qvx_archive.h"

namespace qm {

namespace {

// The archive library's password callback has no context argument; the
// password waiting for it lives here while one extraction runs.
std::mutex password_lock;
std::string pending_password;

int32_t QVX_CALL give_password(char* buffer, int32_t size) {
  if (pending_password.empty() || size <= 0) return 0;
  const std::size_t length = std::min<std::size_t>(pending_password.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, pending_password.data(), length);
  buffer[length] = '\0';
  return 1;
}

int32_t QVX_CALL go_on(const char*, const char*) { return 1; }
int32_t QVX_CALL go_on_with_progress(const char*, uint64_t, uint64_t) { return 1; }
int32_t QVX_CALL replace_all(const char*, const char*) { return QVX_QUERY_YES_TO_ALL; }

void close_listing(QvxListHandle listing) { CloseListArchive(listing); }
using UniqueListing = platform::UniqueResource<platform::NullIsNoneTraits<QvxListHandle, close_listing>>;

// Overwrites the password's bytes before the memory is given back.
void forget(std::string& secret) {
  if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size());
  secret.clear();
}

}  // namespace

ArchiveExtraction extract_resource_archive(const std::string& archive, const std::string& destination,
                                           std::string password) {
  std::lock_guard guard(password_lock);
  pending_password = std::move(password);

  ArchiveExtraction result;
  QvxEntry* entries = nullptr;
  int32_t count = 0;
  const UniqueListing listing(
      OpenListArchive(archive.c_str(), 0, give_password, nullptr, nullptr, nullptr, nullptr, &entries, &count));
  if (!listing) {
    result.error = GetLastArchiveError(0);
  } else {
    std::vector<const char*> names;
    for (int32_t i = 0; i < count; ++i) names.push_back(entries[i].name);
    const QvxTargetFiles targets{names.data(), static_cast<int32_t>(names.size())};
    result.extracted = ExtractArchive(archive.c_str(), QVX_MODE_FULL_PATHS, destination.c_str(), &targets,
                                      QVX_OVERWRITE_ASK, nullptr, give_password, go_on, go_on_with_progress,
                                      replace_all) != 0;
    if (!result.extracted) result.error = GetLastArchiveError(0);
  }
  forget(pending_password);
  return result;
}

}  // namespace qm

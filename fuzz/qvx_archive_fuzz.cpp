// Needs the portable core of qvx.lib (qvx_core_sources) and the 7-Zip C files (qvx_7zip_sources) of qvx/sources.cmake, which qvx/CMakeLists.txt includes; fuzz/qvx_archive.cmake gives them.
//
// libFuzzer target: any bytes as a 7z archive, read in memory as an
// extraction reads it (header, names, every block decoded and its CRCs
// checked), with the password the encrypted seeds were made with. A crash,
// a leak or undefined behaviour is a finding; so is an answer that breaks
// the reader's promises (an unknown code, an internal error, success with an
// entry left undecoded).

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "qvx/archive_reader.h"
#include "qvx/qvx_archive.h"

namespace {

bool is_documented(int code) { return code == QVX_OK || (code >= QVX_ERROR_NOT_FOUND && code < QVX_ERROR_INTERNAL); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Mutations rarely touch the AES salt or cost: a key derived once serves
  // the next runs (7-Zip's 2^19 rounds cost far more than a run).
  static qvx::KeyCache keys;
  qvx::ReadOptions options;
  options.password = u"Secret7";
  options.keep_data = true;
  options.decode_limit = std::uint64_t{1} << 20;
  options.limits.memory = std::uint64_t{64} << 20;
  options.limits.key_cycles_power = 19;
  options.key_cache = &keys;

  qvx::ReadResult result;
  const int code = qvx::read_archive({data, size}, options, &result);
  if (!is_documented(code)) std::abort();
  if (code == QVX_OK && result.decoded_all) {
    for (const qvx::ReadEntry& entry : result.entries) {
      if (!entry.complete) std::abort();
      if (!entry.directory && entry.data.size() != entry.size) std::abort();
    }
  }
  return 0;
}

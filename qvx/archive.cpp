#include "qvx/archive.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "qvx/failure.h"

namespace qvx {

namespace {

void* alloc_memory(ISzAllocPtr, size_t size) { return size == 0 ? nullptr : std::malloc(size); }
void free_memory(ISzAllocPtr, void* address) { std::free(address); }

// What SzAr_DecodeFolder needs while SzArEx_Open decodes a packed header:
// the keys, the memory limit, and the failure behind an error code it
// returns. It travels with the input stream that SzArEx_Open hands on.
struct HeaderDecoding {
  Keys* keys = nullptr;
  std::uint64_t memory_limit = 0;
  std::optional<Failure> failure;
};

void remember(HeaderDecoding* decoding, const Failure& failure) {
  if (decoding != nullptr && !decoding->failure) decoding->failure = failure;
}

SRes result_for(const Failure& failure) {
  switch (failure.code()) {
    case QVX_ERROR_DATA:
      return SZ_ERROR_DATA;
    case QVX_ERROR_MEMORY:
      return SZ_ERROR_MEM;
    case QVX_ERROR_READ:
      return SZ_ERROR_READ;
    case QVX_ERROR_CANNOT_OPEN:
      return SZ_ERROR_UNSUPPORTED;
    default:
      return SZ_ERROR_FAIL;
  }
}

}  // namespace

const ISzAlloc g_alloc = {alloc_memory, free_memory};

void init_tables() {
  static std::once_flag once;
  std::call_once(once, [] {
    CrcGenerateTable();
    AesGenTables();
    Sha256Prepare();
  });
}

// The archive seen by 7-Zip's parser: an ISeekInStream with its own
// position, behind 7-Zip's look-ahead buffer.
namespace {

struct SeekStream {
  ISeekInStream vt;
  const Source* source;
  std::uint64_t position;
  HeaderDecoding* decoding;
};

SeekStream* seek_stream(ISeekInStreamPtr pointer) {
  return const_cast<SeekStream*>(reinterpret_cast<const SeekStream*>(pointer));
}

SRes seek_read(ISeekInStreamPtr pointer, void* buffer, size_t* size) {
  SeekStream* s = seek_stream(pointer);
  try {
    const std::size_t got = s->source->read_at(s->position, buffer, *size);
    s->position += got;
    *size = got;
    return SZ_OK;
  } catch (const Failure& failure) {
    remember(s->decoding, failure);
    *size = 0;
    return SZ_ERROR_READ;
  }
}

SRes seek_move(ISeekInStreamPtr pointer, Int64* position, ESzSeek origin) {
  SeekStream* s = seek_stream(pointer);
  std::int64_t base = 0;
  if (origin == SZ_SEEK_CUR) base = static_cast<std::int64_t>(s->position);
  if (origin == SZ_SEEK_END) base = static_cast<std::int64_t>(s->source->size());
  // A hostile header can ask for any offset: no overflow, no negative place.
  if (*position > 0 && base > INT64_MAX - *position) return SZ_ERROR_PARAM;
  const std::int64_t target = base + *position;
  if (target < 0) return SZ_ERROR_PARAM;
  s->position = static_cast<std::uint64_t>(target);
  *position = target;
  return SZ_OK;
}

// The stream behind a look stream that 7-Zip's parser was given.
const SeekStream& seek_stream_of(ILookInStreamPtr pointer) {
  const auto* look = reinterpret_cast<const CLookToRead2*>(pointer);
  return *reinterpret_cast<const SeekStream*>(look->realStream);
}

}  // namespace

struct Archive::Input {
  SeekStream seek{};
  CLookToRead2 look{};
  std::vector<Byte> buffer = std::vector<Byte>(std::size_t{1} << 16);

  explicit Input(const Source& source) {
    seek.vt.Read = &seek_read;
    seek.vt.Seek = &seek_move;
    seek.source = &source;
    LookToRead2_CreateVTable(&look, False);
    look.realStream = &seek.vt;
    look.buf = buffer.data();
    look.bufSize = buffer.size();
  }

  void rewind() {
    seek.position = 0;
    LookToRead2_INIT(&look);
  }
};

// The memory of 7-Zip's header parser, counted against the limit: each block
// carries its size in front, so that what is freed is given back.
struct Archive::Allocator {
  ISzAlloc vt{};
  std::uint64_t left = 0;

  static constexpr std::size_t kHeader = 16;  // keeps the alignment malloc gives

  static Allocator& of(ISzAllocPtr pointer) {
    return *const_cast<Allocator*>(reinterpret_cast<const Allocator*>(pointer));
  }
  static void* allocate(ISzAllocPtr pointer, size_t size) {
    Allocator& self = of(pointer);
    if (size == 0 || size > self.left || size > SIZE_MAX - kHeader) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) return nullptr;
    self.left -= size;
    std::memcpy(block, &size, sizeof size);
    return block + kHeader;
  }
  static void release(ISzAllocPtr pointer, void* address) {
    if (address == nullptr) return;
    auto* block = static_cast<unsigned char*>(address) - kHeader;
    size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    of(pointer).left += size;
    std::free(block);
  }

  explicit Allocator(std::uint64_t limit) : left(limit) {
    vt.Alloc = &allocate;
    vt.Free = &release;
  }
};

Archive::Archive(const Source& source, Keys& keys, const Limits& limits) : source_(source), limits_(limits) {
  init_tables();
  input_ = std::make_unique<Input>(source_);
  allocator_ = std::make_unique<Allocator>(limits_.memory);
  for (;;) {
    HeaderDecoding decoding;
    decoding.keys = &keys;
    decoding.memory_limit = limits_.memory;
    keys.reset_used();
    input_->rewind();
    input_->seek.decoding = &decoding;
    SzArEx_Init(&db_);
    const SRes result = SzArEx_Open(&db_, &input_->look.vt, &allocator_->vt, &allocator_->vt);
    input_->seek.decoding = nullptr;
    if (result == SZ_OK) break;

    // Encrypted headers that decode to garbage: most likely a wrong password.
    const bool damaged = decoding.failure ? decoding.failure->code() == QVX_ERROR_DATA
                                          : (result == SZ_ERROR_DATA || result == SZ_ERROR_CRC ||
                                             result == SZ_ERROR_ARCHIVE || result == SZ_ERROR_INPUT_EOF);
    if (damaged && keys.used()) {
      if (keys.passwords().next()) continue;
      unsupported("the password is incorrect");
    }
    if (decoding.failure) throw *decoding.failure;
    switch (result) {
      case SZ_ERROR_NO_ARCHIVE:
        unsupported("not a 7z archive");
      case SZ_ERROR_UNSUPPORTED:
        unsupported("archive feature not supported");
      case SZ_ERROR_MEM:
        fail(QVX_ERROR_MEMORY, "not enough memory for the archive's header");
      case SZ_ERROR_READ:
        fail(QVX_ERROR_READ, "the archive file cannot be read");
      default:
        data_error("the archive's header is damaged");
    }
  }
  open_ = true;
}

Archive::~Archive() {
  if (open_) SzArEx_Free(&db_, &allocator_->vt);
}

std::u16string Archive::name(std::uint32_t entry) const {
  if (db_.FileNameOffsets == nullptr) return {};
  const std::size_t length = SzArEx_GetFileNameUtf16(&db_, entry, nullptr);
  std::vector<UInt16> utf16(length + 1);
  SzArEx_GetFileNameUtf16(&db_, entry, utf16.data());
  std::u16string result(utf16.begin(), utf16.begin() + static_cast<std::ptrdiff_t>(length));
  while (!result.empty() && result.back() == u'\0') result.pop_back();
  return result;
}

std::uint64_t Archive::offset_in_folder(std::uint32_t entry) const {
  const std::uint32_t f = folder(entry);
  return db_.UnpackPositions[entry] - db_.UnpackPositions[db_.FolderToFile[f]];
}

std::uint32_t Archive::attributes(std::uint32_t entry) const {
  std::uint32_t value = db_.Attribs.Vals[entry];
  if ((value & 0x8000) != 0) value &= 0x7FFF;  // FILE_ATTRIBUTE_UNIX_EXTENSION: Unix mode above
  return value;
}

std::uint64_t Archive::mtime(std::uint32_t entry) const {
  const CNtfsFileTime& t = db_.MTime.Vals[entry];
  return (static_cast<std::uint64_t>(t.High) << 32) | t.Low;
}

std::uint64_t Archive::ctime(std::uint32_t entry) const {
  const CNtfsFileTime& t = db_.CTime.Vals[entry];
  return (static_cast<std::uint64_t>(t.High) << 32) | t.Low;
}

std::uint64_t Archive::folder_pack_size(std::uint32_t folder) const {
  const CSzAr& ar = db_.db;
  return ar.PackPositions[ar.FoStartPackStreamIndex[folder + 1]] - ar.PackPositions[ar.FoStartPackStreamIndex[folder]];
}

}  // namespace qvx

// 7-Zip's header parser calls this to decode a packed header (its own
// version in 7zDec.c holds a whole block in memory and knows no AES; this one
// runs the library's streaming decoders, AES included).
extern "C" SRes SzAr_DecodeFolder(const CSzAr* p, UInt32 folderIndex, ILookInStreamPtr inStream, UInt64 startPos,
                                  Byte* outBuffer, size_t outSize, ISzAllocPtr) {
  using namespace qvx;
  const SeekStream& input = seek_stream_of(inStream);
  HeaderDecoding* decoding = input.decoding;
  if (decoding == nullptr) return SZ_ERROR_FAIL;
  try {
    const FolderLayout layout = read_folder(*p, folderIndex, startPos);
    if (layout.output_size != outSize) data_error("header size mismatch");
    FolderDecoder decoder(*input.source, layout, decoding->keys, decoding->memory_limit);
    Stream& output = decoder.output();
    if (read_some(output, outBuffer, outSize) != outSize) data_error("header data ends early");
    finish_input(output);
    if (SzBitWithVals_Check(&p->FolderCRCs, folderIndex) &&
        CrcCalc(outBuffer, outSize) != p->FolderCRCs.Vals[folderIndex]) {
      data_error("header CRC mismatch");
    }
    return SZ_OK;
  } catch (const Failure& failure) {
    remember(decoding, failure);
    return result_for(failure);
  } catch (const std::bad_alloc&) {
    remember(decoding, Failure(QVX_ERROR_MEMORY, "not enough memory"));
    return SZ_ERROR_MEM;
  } catch (...) {
    remember(decoding, Failure(QVX_ERROR_DATA, "header cannot be decoded"));
    return SZ_ERROR_FAIL;
  }
}

#include "qvx/streams.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <functional>
#include <new>

#include "qvx/failure.h"
#include "qvx/wipe.h"

namespace qvx {

namespace {

// How much a decoder produces per step: small enough for the CRC and the
// file write to find the bytes still in the CPU cache.
constexpr std::size_t kStep = std::size_t{256} << 10;

std::size_t step_for(std::uint64_t remaining, std::size_t limit) {
  return remaining < limit ? static_cast<std::size_t>(remaining) : limit;
}

// A dictionary buffer: the dictionary size, but never more than the data
// the coder produces in all (so that small blocks with a large dictionary
// setting stay small), and at least 4 KiB as the decoder expects.
std::size_t dictionary_buffer_size(std::uint64_t dictionary, std::uint64_t output) {
  std::uint64_t size = std::min(dictionary, output);
  size = std::max<std::uint64_t>(size, 4096);
  if (size > 0x7FFFFFFF) fail(QVX_ERROR_MEMORY, "the dictionary does not fit into memory");
  return static_cast<std::size_t>(size);
}

// The input of a C decoder: never a null pointer, not even for no bytes
// (the decoders compute src + size, which C leaves undefined for null).
const Byte* input_bytes(std::span<const std::uint8_t> in) {
  static const Byte nothing = 0;
  return in.empty() ? &nothing : in.data();
}

// A 32-bit value of coder properties, which lie at any address (7-Zip's
// GetUi32 reads them unaligned, which C leaves undefined).
std::uint32_t little_endian_32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

// The LZMA decoder's probability tables: a base and one table of literals
// per literal context (lc + lp bits).
std::uint64_t lzma_probs_size(unsigned lc, unsigned lp) {
  return (1984 + (std::uint64_t{0x300} << (lc + lp))) * sizeof(CLzmaProb);
}

std::unique_ptr<std::uint8_t[]> allocate(std::size_t size, MemoryBudget& budget) {
  budget.take(size);
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[size]);
  if (!buffer) fail(QVX_ERROR_MEMORY, "not enough memory for a decoder buffer");
  return buffer;
}

// ---- Packed stream: a range of the archive file ---------------------------

class PackStream final : public Stream {
 public:
  PackStream(const Source& source, std::uint64_t offset, std::uint64_t size, std::size_t buffer_size,
             MemoryBudget& budget)
      : Stream(size),
        source_(source),
        offset_(offset),
        capacity_(step_for(std::max<std::uint64_t>(size, 1), buffer_size)),
        buffer_(allocate(capacity_, budget)) {}

  void finish() override {}

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    const std::size_t got = source_.read_at(offset_, buffer_.get(), step_for(remaining, capacity_));
    if (got == 0) data_error("the archive is truncated");
    offset_ += got;
    return {buffer_.get(), got};
  }

 private:
  const Source& source_;
  std::uint64_t offset_;
  std::size_t capacity_;
  std::unique_ptr<std::uint8_t[]> buffer_;
};

// ---- Copy (stored data) ---------------------------------------------------

class CopyStream final : public Stream {
 public:
  CopyStream(Stream& input, std::uint64_t size) : Stream(size), input_(input) {}

  void finish() override { finish_input(input_); }

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    const std::span<const std::uint8_t> in = input_.look();
    if (in.empty()) data_error("stored data ends early");
    const std::size_t take = step_for(remaining, in.size());
    input_.skip(take);
    return in.first(take);
  }

 private:
  Stream& input_;
};

// ---- LZMA ----------------------------------------------------------------

class LzmaStream final : public Stream {
 public:
  LzmaStream(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size, MemoryBudget& budget)
      : Stream(size), input_(input) {
    CLzmaProps properties;
    if (props.size() != LZMA_PROPS_SIZE || LzmaProps_Decode(&properties, props.data(), LZMA_PROPS_SIZE) != SZ_OK) {
      unsupported("LZMA properties not supported");
    }
    // The dictionary first: nothing of the decoder is to be freed when it fails.
    buffer_size_ = dictionary_buffer_size(properties.dicSize, size);
    budget.take(lzma_probs_size(properties.lc, properties.lp));
    buffer_ = allocate(buffer_size_, budget);
    LzmaDec_CONSTRUCT(&decoder_);
    const SRes result = LzmaDec_AllocateProbs(&decoder_, props.data(), LZMA_PROPS_SIZE, &g_alloc);
    if (result == SZ_ERROR_MEM) fail(QVX_ERROR_MEMORY, "not enough memory for LZMA");
    if (result != SZ_OK) unsupported("LZMA properties not supported");
    decoder_.dic = buffer_.get();
    decoder_.dicBufSize = buffer_size_;
    LzmaDec_Init(&decoder_);
  }
  ~LzmaStream() override { LzmaDec_FreeProbs(&decoder_, &g_alloc); }

  void finish() override {
    // The last step decoded with LZMA_FINISH_END; when it could not yet
    // confirm the end (or nothing was decoded at all), go on reading.
    while (status_ != LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK && status_ != LZMA_STATUS_FINISHED_WITH_MARK) {
      if (!step(decoder_.dicPos, LZMA_FINISH_END)) data_error("LZMA data ends early");
    }
    finish_input(input_);
  }

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    if (decoder_.dicPos == buffer_size_) decoder_.dicPos = 0;
    const SizeT start = decoder_.dicPos;
    const std::size_t want = step_for(remaining, std::min(buffer_size_ - start, kStep));
    const ELzmaFinishMode mode = want == remaining ? LZMA_FINISH_END : LZMA_FINISH_ANY;
    while (decoder_.dicPos == start) {
      if (!step(start + want, mode)) {
        data_error(status_ == LZMA_STATUS_FINISHED_WITH_MARK ? "LZMA data ends before its size"
                                                             : "LZMA data ends early");
      }
    }
    return {buffer_.get() + start, decoder_.dicPos - start};
  }

 private:
  // One decoder call; false when it made no progress at all.
  bool step(SizeT limit, ELzmaFinishMode mode) {
    const std::span<const std::uint8_t> in = input_.look();
    SizeT used = in.size();
    const SizeT before = decoder_.dicPos;
    const SRes result = LzmaDec_DecodeToDic(&decoder_, limit, input_bytes(in), &used, mode, &status_);
    input_.skip(used);
    if (result != SZ_OK) data_error("invalid LZMA data");
    return used != 0 || decoder_.dicPos != before;
  }

  Stream& input_;
  CLzmaDec decoder_{};
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t buffer_size_ = 0;
  ELzmaStatus status_ = LZMA_STATUS_NOT_SPECIFIED;
};

// ---- LZMA2 ---------------------------------------------------------------

class Lzma2Stream final : public Stream {
 public:
  Lzma2Stream(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size, MemoryBudget& budget)
      : Stream(size), input_(input) {
    if (props.size() != 1 || props[0] > 40) unsupported("LZMA2 properties malformed");
    const std::uint8_t prop = props[0];
    const std::uint64_t dictionary =
        prop == 40 ? 0xFFFFFFFFu : (std::uint64_t{2} | (prop & 1)) << (prop / 2 + 11);
    buffer_size_ = dictionary_buffer_size(dictionary, size);
    budget.take(lzma_probs_size(4, 0));  // LZMA2 keeps lc + lp at most 4
    buffer_ = allocate(buffer_size_, budget);
    Lzma2Dec_CONSTRUCT(&decoder_);
    const SRes result = Lzma2Dec_AllocateProbs(&decoder_, prop, &g_alloc);
    if (result == SZ_ERROR_MEM) fail(QVX_ERROR_MEMORY, "not enough memory for LZMA2");
    if (result != SZ_OK) unsupported("LZMA2 properties not supported");
    decoder_.decoder.dic = buffer_.get();
    decoder_.decoder.dicBufSize = buffer_size_;
    Lzma2Dec_Init(&decoder_);
  }
  ~Lzma2Stream() override { Lzma2Dec_FreeProbs(&decoder_, &g_alloc); }

  void finish() override {
    // An LZMA2 stream ends with its end marker (control byte 0).
    while (status_ != LZMA_STATUS_FINISHED_WITH_MARK) {
      if (!step(decoder_.decoder.dicPos, LZMA_FINISH_END)) data_error("LZMA2 data ends early");
    }
    finish_input(input_);
  }

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    if (decoder_.decoder.dicPos == buffer_size_) decoder_.decoder.dicPos = 0;
    const SizeT start = decoder_.decoder.dicPos;
    const std::size_t want = step_for(remaining, std::min(buffer_size_ - start, kStep));
    const ELzmaFinishMode mode = want == remaining ? LZMA_FINISH_END : LZMA_FINISH_ANY;
    while (decoder_.decoder.dicPos == start) {
      if (!step(start + want, mode)) {
        data_error(status_ == LZMA_STATUS_FINISHED_WITH_MARK ? "LZMA2 data ends before its size"
                                                             : "LZMA2 data ends early");
      }
    }
    return {buffer_.get() + start, decoder_.decoder.dicPos - start};
  }

 private:
  bool step(SizeT limit, ELzmaFinishMode mode) {
    const std::span<const std::uint8_t> in = input_.look();
    SizeT used = in.size();
    const SizeT before = decoder_.decoder.dicPos;
    const SRes result = Lzma2Dec_DecodeToDic(&decoder_, limit, input_bytes(in), &used, mode, &status_);
    input_.skip(used);
    if (result != SZ_OK) data_error("invalid LZMA2 data");
    return used != 0 || decoder_.decoder.dicPos != before;
  }

  Stream& input_;
  CLzma2Dec decoder_{};
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t buffer_size_ = 0;
  ELzmaStatus status_ = LZMA_STATUS_NOT_SPECIFIED;
};

// ---- PPMd (variant H, as 7z uses it) -------------------------------------

class PpmdStream final : public Stream {
 public:
  PpmdStream(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size, MemoryBudget& budget)
      : Stream(size), input_(input), buffer_(allocate(kStep, budget)) {
    if (props.size() != 5) unsupported("PPMd properties malformed");
    const unsigned order = props[0];
    const std::uint32_t memory = little_endian_32(props.data() + 1);
    if (order < PPMD7_MIN_ORDER || order > PPMD7_MAX_ORDER || memory < PPMD7_MIN_MEM_SIZE ||
        memory > PPMD7_MAX_MEM_SIZE) {
      unsupported("PPMd properties not supported");
    }
    budget.take(memory);
    Ppmd7_Construct(&model_);
    if (!Ppmd7_Alloc(&model_, memory, &g_alloc)) fail(QVX_ERROR_MEMORY, "not enough memory for PPMd");
    Ppmd7_Init(&model_, order);
    byte_in_.vt.Read = &PpmdStream::read_byte;
    byte_in_.self = this;
    model_.rc.dec.Stream = &byte_in_.vt;
  }
  ~PpmdStream() override { Ppmd7_Free(&model_, &g_alloc); }

  void finish() override {
    start_range_decoder();
    if (ended_ || !Ppmd7z_RangeDec_IsFinishedOK(&model_.rc.dec)) data_error("PPMd data does not end correctly");
    input_.skip(static_cast<std::size_t>(current_ - begin_));
    begin_ = current_ = end_ = nullptr;
    finish_input(input_);
  }

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    start_range_decoder();
    const std::size_t count = step_for(remaining, kStep);
    std::uint8_t* out = buffer_.get();
    for (std::size_t i = 0; i < count; ++i) {
      const int symbol = Ppmd7z_DecodeSymbol(&model_);
      if (pending_) std::rethrow_exception(pending_);
      if (ended_ || symbol < 0) data_error("invalid PPMd data");
      out[i] = static_cast<std::uint8_t>(symbol);
    }
    return {out, count};
  }

 private:
  struct ByteIn {
    IByteIn vt;
    PpmdStream* self;
  };

  static Byte read_byte(IByteInPtr pointer) {
    PpmdStream* self = reinterpret_cast<const ByteIn*>(pointer)->self;
    if (self->current_ == self->end_) {
      try {
        self->input_.skip(static_cast<std::size_t>(self->end_ - self->begin_));
        const std::span<const std::uint8_t> in = self->input_.look();
        self->begin_ = self->current_ = in.data();
        self->end_ = in.data() + in.size();
      } catch (...) {
        // No exception may cross the C decoder; keep it for after the call.
        self->pending_ = std::current_exception();
        self->begin_ = self->current_ = self->end_ = nullptr;
      }
      if (self->current_ == self->end_) {
        self->ended_ = true;
        return 0;
      }
    }
    return *self->current_++;
  }

  void start_range_decoder() {
    if (started_) return;
    started_ = true;
    const bool ok = Ppmd7z_RangeDec_Init(&model_.rc.dec) != 0;
    if (pending_) std::rethrow_exception(pending_);
    if (!ok || ended_) data_error("invalid PPMd data");
  }

  Stream& input_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  CPpmd7 model_{};
  ByteIn byte_in_{};
  const std::uint8_t* begin_ = nullptr;
  const std::uint8_t* current_ = nullptr;
  const std::uint8_t* end_ = nullptr;
  bool started_ = false;
  bool ended_ = false;
  std::exception_ptr pending_;
};

// ---- AES-256 (CBC, 7-Zip's coder 06F10701) --------------------------------

class AesStream final : public Stream {
 public:
  AesStream(Stream& input, const AesProperties& properties, const AesKey& key, std::uint64_t size,
            MemoryBudget& budget)
      : Stream(size),
        input_(input),
        storage_(allocate(kCapacity + sizeof(UInt32) * AES_NUM_IVMRK_WORDS + 32, budget)) {
    // Both the key schedule and the data must be 16-byte aligned.
    auto address = reinterpret_cast<std::uintptr_t>(storage_.get());
    address = (address + 15) & ~std::uintptr_t{15};
    state_ = reinterpret_cast<UInt32*>(address);
    data_ = reinterpret_cast<std::uint8_t*>(address + sizeof(UInt32) * AES_NUM_IVMRK_WORDS);
    AesCbc_Init(state_, properties.iv.data());
    Aes_SetKey_Dec(state_ + 4, key.data(), static_cast<unsigned>(key.size()));
  }
  ~AesStream() override {
    wipe(state_, sizeof(UInt32) * AES_NUM_IVMRK_WORDS);
    wipe(data_, kCapacity);
    wipe(tail_, sizeof tail_);
  }

  // The encrypted data is padded to whole 16-byte blocks; the padding is
  // not part of the output and not checked.
  void finish() override {}

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    std::memcpy(data_, tail_, tail_size_);
    std::size_t filled = tail_size_;
    filled += read_some(input_, data_ + filled, kCapacity - filled);
    const std::size_t whole = filled & ~std::size_t{15};
    if (whole == 0) data_error("encrypted data ends early");
    tail_size_ = filled - whole;
    std::memcpy(tail_, data_ + whole, tail_size_);
    g_AesCbc_Decode(state_, data_, whole / 16);
    return {data_, step_for(remaining, whole)};
  }

 private:
  static constexpr std::size_t kCapacity = std::size_t{64} << 10;

  Stream& input_;
  std::unique_ptr<std::uint8_t[]> storage_;
  UInt32* state_ = nullptr;
  std::uint8_t* data_ = nullptr;
  std::uint8_t tail_[16] = {};
  std::size_t tail_size_ = 0;
};

// ---- Branch converters and Delta -----------------------------------------

constexpr std::uint64_t kDelta = 0x03;
constexpr std::uint64_t kArm64 = 0x0A;
constexpr std::uint64_t kRiscv = 0x0B;
constexpr std::uint64_t kX86 = 0x03030103;
constexpr std::uint64_t kPpc = 0x03030205;
constexpr std::uint64_t kIa64 = 0x03030401;
constexpr std::uint64_t kArm = 0x03030501;
constexpr std::uint64_t kArmt = 0x03030701;
constexpr std::uint64_t kSparc = 0x03030805;

// Converts data[0, size) in place; answers how many bytes are final. The
// rest (a few bytes of an instruction that may continue) comes again with
// the next data.
using Converter = std::function<std::size_t(std::uint8_t* data, std::size_t size)>;

class FilterStream final : public Stream {
 public:
  FilterStream(Stream& input, Converter converter, std::uint64_t size, MemoryBudget& budget)
      : Stream(size), input_(input), converter_(std::move(converter)), buffer_(allocate(kCapacity, budget)) {}

  void finish() override {
    if (ready_ != given_ || pending_ != 0) data_error("filtered data longer than its size");
    finish_input(input_);
  }

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    std::uint8_t* data = buffer_.get();
    // Bytes the converter left for later move to the front.
    std::memmove(data, data + ready_, pending_);
    std::size_t filled = pending_;
    const std::size_t wanted = kCapacity - filled;
    const std::size_t got = read_some(input_, data + filled, wanted);
    filled += got;
    if (filled == 0) data_error("filtered data ends early");
    std::size_t converted = converter_(data, filled);
    // At the end of the input the last bytes pass unchanged.
    if (got < wanted) converted = filled;
    if (converted == 0) data_error("filter made no progress");
    ready_ = converted;
    pending_ = filled - converted;
    given_ = step_for(remaining, ready_);
    return {data, given_};
  }

 private:
  static constexpr std::size_t kCapacity = std::size_t{256} << 10;

  Stream& input_;
  Converter converter_;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t ready_ = 0;    // converted bytes at the front of the buffer
  std::size_t given_ = 0;    // of which handed out (fewer only at the stream's end)
  std::size_t pending_ = 0;  // unconverted bytes after them
};

std::uint32_t branch_start(std::span<const std::uint8_t> props, std::uint32_t alignment) {
  if (props.empty()) return 0;
  if (props.size() != 4) unsupported("filter properties malformed");
  const std::uint32_t pc = little_endian_32(props.data());
  if ((pc & (alignment - 1)) != 0) unsupported("filter start offset not aligned");
  return pc;
}

using BranchFunction = Byte* (*)(Byte* data, SizeT size, UInt32 pc);

Converter branch_converter(BranchFunction function, std::uint32_t pc) {
  return [function, pc](std::uint8_t* data, std::size_t size) mutable {
    const std::size_t done = static_cast<std::size_t>(function(data, size, pc) - data);
    pc += static_cast<std::uint32_t>(done);
    return done;
  };
}

// ---- BCJ2 ----------------------------------------------------------------

class Bcj2Stream final : public Stream {
 public:
  Bcj2Stream(Stream& main, Stream& call, Stream& jump, Stream& rc, std::uint64_t size, MemoryBudget& budget)
      : Stream(size), inputs_{&main, &call, &jump, &rc}, out_(allocate(kStep, budget)) {
    for (int s : {BCJ2_STREAM_CALL, BCJ2_STREAM_JUMP}) {
      budget.take(kWordBytes);
      words_[s].reset(new (std::nothrow) std::uint32_t[kWordBytes / 4]);
      if (!words_[s]) fail(QVX_ERROR_MEMORY, "not enough memory for BCJ2");
    }
    Bcj2Dec_Init(&decoder_);
    for (int s = 0; s < BCJ2_NUM_STREAMS; ++s) decoder_.bufs[s] = decoder_.lims[s] = &kNothing;
  }

  void finish() override {
    // The decoder takes the next byte of the range coder's stream only when
    // it has it; one may still wait beyond the last piece it was given.
    if (decoder_.bufs[BCJ2_STREAM_RC] == decoder_.lims[BCJ2_STREAM_RC] && supply(BCJ2_STREAM_RC)) {
      decoder_.dest = out_.get();
      decoder_.destLim = out_.get();
      if (Bcj2Dec_Decode(&decoder_) != SZ_OK) data_error("invalid BCJ2 data");
    }
    if (!Bcj2Dec_IsMaybeFinished_code(&decoder_) ||
        (decoder_.state != BCJ2_STREAM_MAIN && decoder_.state != BCJ2_DEC_STATE_ORIG)) {
      data_error("BCJ2 data does not end correctly");
    }
    for (int s = 0; s < BCJ2_NUM_STREAMS; ++s) {
      if (decoder_.bufs[s] != decoder_.lims[s] || extra_[s] != 0) data_error("BCJ2 stream has data left over");
      if (s == BCJ2_STREAM_MAIN || s == BCJ2_STREAM_RC) inputs_[s]->skip(piece_[s]);
      piece_[s] = 0;
      finish_input(*inputs_[s]);
    }
  }

 protected:
  std::span<const std::uint8_t> produce(std::uint64_t remaining) override {
    std::uint8_t* out = out_.get();
    decoder_.dest = out;
    decoder_.destLim = out + step_for(remaining, kStep);
    for (;;) {
      if (Bcj2Dec_Decode(&decoder_) != SZ_OK) data_error("invalid BCJ2 data");
      if (decoder_.dest == decoder_.destLim) break;
      if (decoder_.state >= BCJ2_NUM_STREAMS) {
        if (decoder_.dest == out) data_error("BCJ2 decoder made no progress");
        break;
      }
      if (!supply(decoder_.state)) {
        if (decoder_.dest != out) break;
        data_error("BCJ2 data ends early");
      }
    }
    return {out, static_cast<std::size_t>(decoder_.dest - out)};
  }

 private:
  static constexpr std::size_t kWordBytes = std::size_t{64} << 10;
  static constexpr Byte kNothing = 0;

  // Gives the decoder the next bytes of stream `s`, which it used up.
  bool supply(unsigned s) {
    Stream& input = *inputs_[s];
    if (s == BCJ2_STREAM_MAIN || s == BCJ2_STREAM_RC) {
      input.skip(piece_[s]);
      piece_[s] = 0;
      const std::span<const std::uint8_t> in = input.look();
      if (in.empty()) return false;
      piece_[s] = in.size();
      decoder_.bufs[s] = in.data();
      decoder_.lims[s] = in.data() + in.size();
      return true;
    }
    // CALL and JUMP hold 32-bit big-endian words, read whole and aligned.
    auto* buffer = reinterpret_cast<std::uint8_t*>(words_[s].get());
    std::memmove(buffer, buffer + used_[s], extra_[s]);
    std::size_t have = extra_[s];
    have += read_some(input, buffer + have, kWordBytes - have);
    const std::size_t whole = have & ~std::size_t{3};
    extra_[s] = have - whole;
    used_[s] = whole;
    if (whole == 0) return false;
    decoder_.bufs[s] = buffer;
    decoder_.lims[s] = buffer + whole;
    return true;
  }

  Stream* inputs_[BCJ2_NUM_STREAMS];
  std::unique_ptr<std::uint8_t[]> out_;
  std::unique_ptr<std::uint32_t[]> words_[BCJ2_NUM_STREAMS];
  std::size_t piece_[BCJ2_NUM_STREAMS] = {};  // MAIN, RC: size of the piece given to the decoder
  std::size_t used_[BCJ2_NUM_STREAMS] = {};   // CALL, JUMP: whole words in the buffer
  std::size_t extra_[BCJ2_NUM_STREAMS] = {};  // CALL, JUMP: bytes after them
  CBcj2Dec decoder_{};
};

}  // namespace

std::size_t read_some(Stream& stream, std::uint8_t* out, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const std::span<const std::uint8_t> in = stream.look();
    if (in.empty()) break;
    const std::size_t take = std::min(in.size(), count - done);
    std::memcpy(out + done, in.data(), take);
    stream.skip(take);
    done += take;
  }
  return done;
}

void finish_input(Stream& stream) {
  if (!stream.look().empty()) data_error("data left over after the end of a stream");
  stream.finish();
}

std::unique_ptr<Stream> make_pack_stream(const Source& source, std::uint64_t offset, std::uint64_t size,
                                         std::size_t buffer_size, MemoryBudget& budget) {
  return std::make_unique<PackStream>(source, offset, size, buffer_size, budget);
}

std::unique_ptr<Stream> make_copy(Stream& input, std::uint64_t size) {
  return std::make_unique<CopyStream>(input, size);
}

std::unique_ptr<Stream> make_lzma(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size,
                                  MemoryBudget& budget) {
  return std::make_unique<LzmaStream>(input, props, size, budget);
}

std::unique_ptr<Stream> make_lzma2(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size,
                                   MemoryBudget& budget) {
  return std::make_unique<Lzma2Stream>(input, props, size, budget);
}

std::unique_ptr<Stream> make_ppmd(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size,
                                  MemoryBudget& budget) {
  return std::make_unique<PpmdStream>(input, props, size, budget);
}

std::unique_ptr<Stream> make_aes(Stream& input, const AesProperties& properties, const AesKey& key,
                                 std::uint64_t size, MemoryBudget& budget) {
  return std::make_unique<AesStream>(input, properties, key, size, budget);
}

std::unique_ptr<Stream> make_bcj2(Stream& main, Stream& call, Stream& jump, Stream& rc, std::uint64_t size,
                                  MemoryBudget& budget) {
  return std::make_unique<Bcj2Stream>(main, call, jump, rc, size, budget);
}

bool is_filter_method(std::uint64_t method) {
  switch (method) {
    case kDelta:
    case kArm64:
    case kRiscv:
    case kX86:
    case kPpc:
    case kIa64:
    case kArm:
    case kArmt:
    case kSparc:
      return true;
    default:
      return false;
  }
}

std::unique_ptr<Stream> make_filter(Stream& input, std::uint64_t method, std::span<const std::uint8_t> props,
                                    std::uint64_t size, MemoryBudget& budget) {
  Converter converter;
  switch (method) {
    case kDelta: {
      if (props.size() != 1) unsupported("Delta properties malformed");
      auto state = std::make_shared<std::array<Byte, DELTA_STATE_SIZE>>();
      Delta_Init(state->data());
      const unsigned distance = props[0] + 1u;
      converter = [state, distance](std::uint8_t* data, std::size_t length) {
        Delta_Decode(state->data(), distance, data, length);
        return length;
      };
      break;
    }
    case kX86: {
      UInt32 state = Z7_BRANCH_CONV_ST_X86_STATE_INIT_VAL;
      std::uint32_t pc = branch_start(props, 1);
      converter = [state, pc](std::uint8_t* data, std::size_t length) mutable {
        const std::size_t done = static_cast<std::size_t>(z7_BranchConvSt_X86_Dec(data, length, pc, &state) - data);
        pc += static_cast<std::uint32_t>(done);
        return done;
      };
      break;
    }
    case kArm64:
      converter = branch_converter(&z7_BranchConv_ARM64_Dec, branch_start(props, 4));
      break;
    case kRiscv:
      converter = branch_converter(&z7_BranchConv_RISCV_Dec, branch_start(props, 2));
      break;
    case kPpc:
      converter = branch_converter(&z7_BranchConv_PPC_Dec, branch_start(props, 4));
      break;
    case kIa64:
      converter = branch_converter(&z7_BranchConv_IA64_Dec, branch_start(props, 16));
      break;
    case kArm:
      converter = branch_converter(&z7_BranchConv_ARM_Dec, branch_start(props, 4));
      break;
    case kArmt:
      converter = branch_converter(&z7_BranchConv_ARMT_Dec, branch_start(props, 2));
      break;
    case kSparc:
      converter = branch_converter(&z7_BranchConv_SPARC_Dec, branch_start(props, 4));
      break;
    default:
      unsupported("filter not supported");
  }
  return std::make_unique<FilterStream>(input, std::move(converter), size, budget);
}

}  // namespace qvx

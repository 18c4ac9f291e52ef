#pragma once
// The decoding pipeline of one 7z block ("folder"): every coder is a Stream
// that pulls from its input streams, down to the packed streams read from the
// archive file. Nothing holds a whole block in memory: each coder keeps a
// buffer (the LZMA decoders their dictionary) and hands out pieces of it.
//
// A consumer calls look() for the bytes available now and skip() for the
// part it used; look() decodes more once everything was used. After the
// consumer took the stream's declared size, finish() confirms that the
// coder's data ended exactly there and that its inputs were used up.
// Errors are Failures: QVX_ERROR_DATA for invalid or truncated data.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "qvx/failure.h"
#include "qvx/keys.h"
#include "qvx/sevenzip.h"
#include "qvx/source.h"

namespace qvx {

class Stream {
 public:
  explicit Stream(std::uint64_t size) : size_(size) {}
  virtual ~Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // The unused bytes at the current position; empty only at the end.
  std::span<const std::uint8_t> look() {
    if (pos_ == piece_.size()) {
      pos_ = 0;
      piece_ = {};
      if (produced_ == size_) return {};
      piece_ = produce(size_ - produced_);
      if (piece_.empty()) data_error("data ends early");
      produced_ += piece_.size();
    }
    return piece_.subspan(pos_);
  }
  void skip(std::size_t count) { pos_ += count; }

  // The number of bytes this stream delivers in all.
  std::uint64_t size() const { return size_; }

  // Checks the end of the data once `size()` bytes were taken.
  virtual void finish() = 0;

 protected:
  // The next piece, at most `remaining` bytes and never empty; data_error()
  // when the data ends early or is invalid.
  virtual std::span<const std::uint8_t> produce(std::uint64_t remaining) = 0;

 private:
  std::uint64_t size_;
  std::uint64_t produced_ = 0;
  std::span<const std::uint8_t> piece_;
  std::size_t pos_ = 0;
};

// The memory the decoders of one block may still take. Every big buffer is
// taken from it before it is allocated, so that a block that asks for too much
// fails with QVX_ERROR_MEMORY at once, whatever the machine would grant.
class MemoryBudget {
 public:
  explicit MemoryBudget(std::uint64_t limit) : left_(limit) {}
  void take(std::uint64_t bytes) {
    if (bytes > left_) fail(QVX_ERROR_MEMORY, "a block needs more memory than the library allows");
    left_ -= bytes;
  }

 private:
  std::uint64_t left_;
};

// Copies up to `count` bytes out of `stream`; fewer only at its end.
std::size_t read_some(Stream& stream, std::uint8_t* out, std::size_t count);
// Requires that `stream` has been used up, then finishes it.
void finish_input(Stream& stream);

std::unique_ptr<Stream> make_pack_stream(const Source& source, std::uint64_t offset, std::uint64_t size,
                                         std::size_t buffer_size, MemoryBudget& budget);
std::unique_ptr<Stream> make_copy(Stream& input, std::uint64_t size);
std::unique_ptr<Stream> make_lzma(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size,
                                  MemoryBudget& budget);
std::unique_ptr<Stream> make_lzma2(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size,
                                   MemoryBudget& budget);
std::unique_ptr<Stream> make_ppmd(Stream& input, std::span<const std::uint8_t> props, std::uint64_t size,
                                  MemoryBudget& budget);
std::unique_ptr<Stream> make_aes(Stream& input, const AesProperties& properties, const AesKey& key,
                                 std::uint64_t size, MemoryBudget& budget);
std::unique_ptr<Stream> make_bcj2(Stream& main, Stream& call, Stream& jump, Stream& rc, std::uint64_t size,
                                  MemoryBudget& budget);

// The branch converters and Delta, by 7z method id.
bool is_filter_method(std::uint64_t method);
std::unique_ptr<Stream> make_filter(Stream& input, std::uint64_t method, std::span<const std::uint8_t> props,
                                    std::uint64_t size, MemoryBudget& budget);

}  // namespace qvx

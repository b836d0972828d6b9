#include "zip/member_decoder.h"

#include <bzlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kBzip2 = 12;

class Copier : public MemberDecoder {
 public:
  DecodeStep decode(const char* input, std::size_t inputSize, bool last, char* output,
                    std::size_t outputSize) override {
    DecodeStep step;
    step.consumed = step.produced = std::min(inputSize, outputSize);
    std::memcpy(output, input, step.produced);
    step.ended = last && step.consumed == inputSize;
    return step;
  }
};

// Raw deflate, without zlib's header: as ZIP keeps it.
class Inflater : public MemberDecoder {
 public:
  Inflater() : open_(inflateInit2(&stream_, -MAX_WBITS) == Z_OK) {}
  ~Inflater() override {
    if (open_) inflateEnd(&stream_);
  }
  bool open() const { return open_; }

  DecodeStep decode(const char* input, std::size_t inputSize, bool, char* output,
                    std::size_t outputSize) override {
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input));
    stream_.avail_in = static_cast<uInt>(inputSize);
    stream_.next_out = reinterpret_cast<Bytef*>(output);
    stream_.avail_out = static_cast<uInt>(outputSize);
    const int result = inflate(&stream_, Z_NO_FLUSH);
    DecodeStep step;
    step.consumed = inputSize - stream_.avail_in;
    step.produced = outputSize - stream_.avail_out;
    step.ended = result == Z_STREAM_END;
    // Z_BUF_ERROR only says that no progress was possible: a stuck step.
    step.failed = result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR;
    return step;
  }

 private:
  z_stream stream_{};
  bool open_ = false;
};

class Bunzipper : public MemberDecoder {
 public:
  Bunzipper() : open_(BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK) {}
  ~Bunzipper() override {
    if (open_) BZ2_bzDecompressEnd(&stream_);
  }
  bool open() const { return open_; }

  DecodeStep decode(const char* input, std::size_t inputSize, bool, char* output,
                    std::size_t outputSize) override {
    stream_.next_in = const_cast<char*>(input);
    stream_.avail_in = static_cast<unsigned>(inputSize);
    stream_.next_out = output;
    stream_.avail_out = static_cast<unsigned>(outputSize);
    const int result = BZ2_bzDecompress(&stream_);
    DecodeStep step;
    step.consumed = inputSize - stream_.avail_in;
    step.produced = outputSize - stream_.avail_out;
    step.ended = result == BZ_STREAM_END;
    step.failed = result != BZ_OK && result != BZ_STREAM_END;
    return step;
  }

 private:
  bz_stream stream_{};
  bool open_ = false;
};

// The decoder, once its library has set it up.
template <class Decoder>
std::unique_ptr<MemberDecoder> opened() {
  auto decoder = std::make_unique<Decoder>();
  if (!decoder->open()) return nullptr;
  return decoder;
}

}  // namespace

std::unique_ptr<MemberDecoder> decoderFor(std::uint16_t method) {
  switch (method) {
    case kStored: return std::make_unique<Copier>();
    case kDeflated: return opened<Inflater>();
    case kBzip2: return opened<Bunzipper>();
    default: return nullptr;
  }
}

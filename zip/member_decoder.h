// Turns a member's stored bytes into its content, a piece at a time, for the
// methods the reader takes: stored (0), deflate (8) and bzip2 (12). Any
// other method, encryption among them, is not read.
//
// A decoder only decodes: how much a member may give, and whether its size
// and CRC hold, is the reader's to check (member_reader.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct DecodeStep {
  std::size_t consumed = 0;  // input bytes taken
  std::size_t produced = 0;  // output bytes written
  bool ended = false;        // the content is complete
  bool failed = false;       // the input is no stream of the method
};

// Decoders keep their library's stream state, which points back into them:
// they stay where they were made.
class MemberDecoder {
 public:
  MemberDecoder() = default;
  MemberDecoder(const MemberDecoder&) = delete;
  MemberDecoder& operator=(const MemberDecoder&) = delete;
  virtual ~MemberDecoder() = default;
  // Decodes from `input` into `output`; `last` says that no input follows.
  // A step that neither takes nor gives a byte and has not ended is stuck.
  virtual DecodeStep decode(const char* input, std::size_t inputSize, bool last, char* output,
                            std::size_t outputSize) = 0;
};

// A fresh decoder for `method`; nothing for a method not taken or when its
// library has no memory for it.
std::unique_ptr<MemberDecoder> decoderFor(std::uint16_t method);

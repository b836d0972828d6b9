// The reading half of a request: from a connection to the result. Kept
// apart from Http so that any stream of bytes, a peer's or a fuzzer's, can
// be read exactly as a response is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "http/connection.h"
#include "http/http.h"
#include "platform/output_file.h"
#include "runtime/lookup_buffer.h"

// The longest response head read: a peer that sends header lines without
// end would otherwise fill the memory.
inline constexpr std::size_t kMaxHeadBytes = std::size_t{1} << 20;

// Reads one response in two halves, so that the head can decide what
// becomes of the body (a redirect reads no body at all). Reports a read
// step for each piece received and the headers step once the head is
// complete (HttpCb). The body ends where the head's Content-Length says,
// when `lengthHolds` and the head has one; otherwise when the peer ends the
// stream. Bytes past the end are neither kept nor counted.
//
// The reader uses the connection but does not own it. One thread.
class ResponseReader {
 public:
  ResponseReader(Connection& connection, int timeoutSeconds, HttpCb& callback, bool lengthHolds);

  // Reads until the head is complete or the peer ends the stream: nothing
  // then, or the error.
  std::optional<HttpResult> readHead();

  // After readHead: the head without its blank line; all that came when the
  // stream ended before a blank line.
  AnsiString head() const;

  // After readHead: reads the rest of the body into `file` (file output,
  // open for writing; closed on return) or into memory (`file` unused).
  HttpResult readBody(const HttpOutput& output, platform::OutputFile file);

 private:
  // Reports the response's bytes so far.
  void reportRead();
  // The part of `count` received body bytes that still belongs to the body.
  std::size_t withinBody(std::size_t count) const;

  Connection& connection_;
  int timeoutSeconds_;
  HttpCb& callback_;
  bool lengthHolds_;
  LookupBuffer split_{"\r\n\r\n"};
  bool headComplete_ = false;
  bool ended_ = false;            // the peer has ended the stream
  std::int64_t bodyLength_ = -1;  // where the body ends; -1: at the stream's end
  std::int64_t bodyReceived_ = 0;
  std::uint64_t received_ = 0;  // the response's bytes, head included
  std::string early_;           // body bytes that came with the head
  std::unique_ptr<char[]> piece_;
};

// The `file` error for an output file at `path` that cannot be opened or
// written.
HttpResult outputFileFailure(const AnsiString& path);

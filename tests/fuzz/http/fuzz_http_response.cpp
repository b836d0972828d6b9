// Any bytes a peer may send, read as a response through a socket pair,
// into memory or into a file.
//
// Input: one byte choosing the output (even: memory, odd: a file), then the
// peer's bytes, which a writer thread sends and then closes. Checks that no
// byte of the response is lost and none past it kept: head, blank line and
// body give back exactly what was sent up to the announced length (all of
// it without one), and the steps report the head once and counts that only
// grow up to the response's size. A head past the bound is refused.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "http/connection.h"
#include "http/http.h"
#include "http/response_head.h"
#include "http/response_reader.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

class Checker : public HttpCb {
 public:
  void step(const HttpStep& step) override {
    if (step.kind().isHeaders()) ++heads;
    if (step.kind().isRead()) {
      const std::int64_t now = count.follow(step.kind().asRead());
      require(now > last);
      last = now;
    }
  }
  int heads = 0;
  std::int64_t last = 0;
  ReadCount count;
};

std::string fileContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool toFile = (data[0] & 1) != 0;
  const std::string sent(reinterpret_cast<const char*>(data) + 1, size - 1);
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return 0;
  std::thread peer([&sent, end = ends[1]] {
    std::size_t done = 0;
    while (done < sent.size()) {
      const ssize_t n = ::send(end, sent.data() + done, sent.size() - done, MSG_NOSIGNAL);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(end);
  });

  static const std::string path = "/tmp/fuzz_http_response." + std::to_string(::getpid());
  const HttpOutput output = toFile ? HttpOutput::file(path) : HttpOutput::memory();
  Checker checker;
  platform::OutputFile file;
  if (toFile) {
    platform::Result<platform::OutputFile> opened = platform::OutputFile::openTruncated(path);
    if (opened) file = std::move(*opened);
  }
  Connection connection(platform::TcpSocket::adopt(ends[0]));
  ResponseReader reader(connection, 5, checker, true);
  std::optional<HttpResult> result = reader.readHead();
  if (!result) result = reader.readBody(output, std::move(file));
  connection.close();
  peer.join();

  const std::size_t headEnd = sent.find("\r\n\r\n");
  if ((headEnd == std::string::npos ? sent.size() : headEnd) > kMaxHeadBytes) {
    require(result->isError() && result->asError().kind().isRecv());
    return 0;
  }
  require(!result->isError());
  const bool split = headEnd != std::string::npos;
  const std::int64_t length = split ? contentLength(sent.substr(0, headEnd)) : -1;
  const std::string response =
      length < 0 ? sent : sent.substr(0, headEnd + 4 + static_cast<std::size_t>(length));
  require(checker.last == static_cast<std::int64_t>(response.size()));
  const std::string head =
      toFile ? result->asFile().headers().str() : result->asBody().headers().str();
  const std::string body = toFile ? fileContent(path) : result->asBody().body().str();
  require(checker.heads == (split ? 1 : 0));
  require((split ? head + "\r\n\r\n" + body : head) == response);
  return 0;
}

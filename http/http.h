// The HTTP request engine: one HTTP/1.0 request over a plain TCP socket, or
// over TLS for an https:// URL (platform/tls_stream.h).
//
//   HttpEmptyCb quiet;
//   Http http("http://example.org:8080/file.zip", &quiet);
//   http.setOutput(HttpOutput::file("/tmp/file.zip"));
//   http.setTimeout(30);
//   const HttpResult result = http.perform();
//   if (result.isError()) report(result.asError().msg());
//
// perform() blocks until the response is complete, or until something
// failed. The head is everything before the first blank line (CR LF CR LF),
// the body what follows it: up to the head's Content-Length, bytes past it
// dropped, unless the head has none or the method is HEAD (whose answer
// announces the length of a body it does not send); then until the server
// closes the connection. Any status is taken, no chunked encoding decoded,
// and no redirect followed unless asked (setFollowRedirects). The time limit holds for every wait:
// the connect, each send and each receive. A head longer than kMaxHeadBytes (response_reader.h)
// fails.
//
// Failures of the network and of the output file are returned as the `error`
// case of HttpResult, with its kind and a Polish message in UTF-8 (the
// system's wording of a socket error included). A request that cannot be
// sent as written (a CR or LF in one of its lines, a port that is no number
// in 1..65535, in the URL or a redirect's Location) fails before anything
// is resolved or connected. Only a method or an authentication without a
// case is thrown, as Exception. Every socket and file that perform() opens
// is closed before it returns, on every path.
// An output file, once opened, stays on disk whatever the outcome.
//
// Threads: an Http belongs to one thread; separate objects share nothing and
// may run at once. The callback runs on the thread that calls perform().
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "http/http_types.h"
#include "http/url.h"
#include "platform/output_file.h"
#include "runtime/ansi_string.h"

// Receives each step of a request's work, inside perform() and on its
// thread, in this order: ("DNS", dns), ("Socket", socket), ("Connect",
// connect), then for each piece of the response ("Odczytano nagłówki
// zapytania", headers with the head) once the head is complete, and
// ("Odczyt danych", read with the bytes received so far, head included).
// The read count is an int: past 2 GiB it wraps round, and a callback that
// needs the full count follows it with a ReadCount.
// A request that follows redirects reports the steps of each hop in turn,
// from "DNS" on, and between two hops the redirect itself.
class HttpCb {
 public:
  virtual void step(const HttpStep& step) = 0;
  // The answer with `statusLine` sends the request on to `url`; the steps
  // that follow, read counts included, are the new hop's. Ignored unless
  // overridden.
  virtual void redirected(const std::string& statusLine, const std::string& url);
  virtual ~HttpCb();
};

// The full count of bytes received, from the read steps of one request in
// their order. Exact however long the transfer, since no piece between two
// steps comes near 4 GiB.
class ReadCount {
 public:
  std::int64_t follow(int readPayload) {
    const std::uint32_t low = static_cast<std::uint32_t>(readPayload);
    total_ += static_cast<std::uint32_t>(low - static_cast<std::uint32_t>(total_));
    return total_;
  }

 private:
  std::int64_t total_ = 0;
};

// A callback that ignores every step.
class HttpEmptyCb : public HttpCb {
 public:
  void step(const HttpStep&) override {}
};

class Http {
 public:
  // Reads the URL as parseAddress does (url.h). The output is memory, the method
  // get, no authentication, no parameters, headers or cookies, no time limit.
  // `callback` is not owned and must outlive perform(); null ignores steps.
  Http(const AnsiString& url, HttpCb* callback);

  // Each setter replaces the field with a copy of its argument.
  virtual void setOutput(const HttpOutput& output);
  // A file output into `file`, which the caller has opened (and perhaps
  // created exclusively) for writing, instead of a file the engine opens at
  // the path; `path` is the path the result and messages name. A `file`
  // that is not open fails the request before it connects.
  void setOutputFile(const AnsiString& path, platform::OutputFile file);
  virtual void setMethod(const HttpMethod& method);
  virtual void setAuth(const HttpAuth& auth);
  // Sent as the form-encoded request body.
  virtual void setParams(const HttpParams& params);
  // Extra header lines, sent as given.
  virtual void setHeaders(const HttpParams& headers);
  virtual void setCookies(const HttpCookies& cookies);
  // The longest wait, in seconds, for the connection, for the peer to take
  // each piece of the request and for each piece of the response (not for
  // the whole of it); 0 or less waits without limit.
  virtual void setTimeout(int seconds);
  // Follows a 301, 302, 303, 307 or 308 answer with a Location, for any
  // method but post, up to kMaxRedirects hops (redirect.h): the same request
  // at the new address, authentication and cookies only to the first
  // address's scheme, host and port. A hop the trail refuses (one too many,
  // a loop, https to http, another scheme) ends the request in a `recv`
  // error. The output file receives only the last answer's body. Off until
  // set.
  void setFollowRedirects(bool follow);

  // Runs the request. `body` with the head and body (memory output), `file`
  // with the head and path (file output), or `error`.
  virtual HttpResult perform();

  virtual ~Http();

 private:
  // The file output's file, the caller's or one opened at its path, into
  // `file`; the file error when it cannot be opened.
  std::optional<HttpResult> takeOutputFile(platform::OutputFile& file);

  WebAddress target_;
  HttpCb* callback_;
  HttpOutput output_ = HttpOutput::memory();
  std::optional<platform::OutputFile> outputFile_;  // set by setOutputFile
  HttpMethod method_ = HttpMethod::get();
  HttpAuth auth_ = HttpAuth::none();
  HttpParams params_;
  HttpParams headers_;
  HttpCookies cookies_;
  int timeout_ = 0;
  bool followRedirects_ = false;
};

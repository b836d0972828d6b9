#include "http/request_text.h"

#include "http/form_encoding.h"
#include "runtime/base64.h"
#include "runtime/exception.h"

namespace {

const char* methodWord(const HttpMethod& method) {
  if (method.isGet()) return "GET";
  if (method.isPost()) return "POST";
  if (method.isHead()) return "HEAD";
  throw Exception("HttpMethod");
}

class Composer {
 public:
  void line(std::string name, const std::string& text) { part(std::move(name), text + "\r\n"); }

  void part(std::string name, const std::string& bytes) {
    request_.bytes += bytes;
    request_.parts.push_back({std::move(name), request_.bytes.size()});
  }

  RequestText take() { return std::move(request_); }

 private:
  RequestText request_;
};

}  // namespace

std::string RequestText::partAt(std::size_t offset) const {
  for (const RequestPart& part : parts) {
    if (offset < part.end) return part.name;
  }
  return std::string();
}

std::string RequestText::brokenLine() const {
  std::size_t begin = 0;
  for (const RequestPart& part : parts) {
    if (part.name != "Content" && bytes.find_first_of("\r\n", begin) < part.end - 2) {
      return part.name;  // a break before the line's own CR LF
    }
    begin = part.end;
  }
  return std::string();
}

AnsiString formBody(const HttpParams& params) {
  std::string body;
  for (int i = 0; i < params.Count(); ++i) {
    if (i > 0) body += '&';
    body += params[i].name().str() + "=" + urlEncode(params[i].value()).str();
  }
  return AnsiString(std::move(body));
}

RequestText composeRequest(const HttpMethod& method, const WebAddress& target, const HttpAuth& auth,
                           const HttpParams& params, const HttpParams& headers,
                           const HttpCookies& cookies) {
  const std::string word = methodWord(method);
  if (!auth.isNone() && !auth.isBasic()) throw Exception("HttpPostAuth");
  const std::string body = formBody(params).str();
  Composer request;
  request.line("Method", word + " " + target.addr.resource().str() + " HTTP/1.0");
  request.line("Host", "Host: " + target.authority());
  if (method.isPost())
    request.line("ContentType", "Content-Type: application/x-www-form-urlencoded");
  if (auth.isBasic()) {
    const HttpBasicAuth& basic = auth.asBasic();
    request.line("Authorization",
                 "Authorization: Basic " + Base64Encode(basic.user() + ":" + basic.passwd()).str());
  }
  for (int i = 0; i < headers.Count(); ++i) {
    const std::string name = headers[i].name().str();
    request.line("Headers - " + name, name + ": " + headers[i].value().str());
  }
  for (int i = 0; i < cookies.Count(); ++i) {
    request.line("Cookie",
                 "Cookie: " + cookies[i].name().str() + "=" + urlEncode(cookies[i].value()).str());
  }
  request.line("Content-Length", "Content-Length: " + std::to_string(body.size()));
  request.line("End1", "");
  if (!body.empty()) request.part("Content", body);
  return request.take();
}

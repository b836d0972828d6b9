#include "platform/tls_stream.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cerrno>
#include <chrono>

namespace platform {

struct TlsStream::Session {
  explicit Session(TcpSocket connected) : socket(std::move(connected)) {}
  ~Session() { SSL_free(ssl); }

  TcpSocket socket;
  SSL* ssl = nullptr;
  Status socketFailure;     // the last socket call of the TLS library that failed
  bool peerClosed = false;  // the socket has reached the peer's end of stream
  bool sound = false;       // handshake done and no failure since: may say goodbye
};

namespace {

TlsStream::Session& sessionOf(BIO* bio) {
  return *static_cast<TlsStream::Session*>(BIO_get_data(bio));
}

// The TLS library reads and writes the socket through these, so that the
// socket's own calls (no SIGPIPE, no blocking) carry every byte, and the
// session learns why a call failed.
int writeToSocket(BIO* bio, const char* bytes, int length) {
  TlsStream::Session& session = sessionOf(bio);
  BIO_clear_retry_flags(bio);
  const Result<std::size_t> sent = session.socket.sendNow(bytes, static_cast<std::size_t>(length));
  if (sent) return static_cast<int>(*sent);
  if (sent.status().code() == EAGAIN) {
    BIO_set_retry_write(bio);
  } else {
    session.socketFailure = sent.status();
  }
  return -1;
}

int readFromSocket(BIO* bio, char* buffer, int capacity) {
  TlsStream::Session& session = sessionOf(bio);
  BIO_clear_retry_flags(bio);
  const Result<std::size_t> received =
      session.socket.receiveNow(buffer, static_cast<std::size_t>(capacity));
  if (received) {
    session.peerClosed = *received == 0;
    return static_cast<int>(*received);
  }
  if (received.status().code() == EAGAIN) {
    BIO_set_retry_read(bio);
  } else {
    session.socketFailure = received.status();
  }
  return -1;
}

long controlSocket(BIO* bio, int command, long, void*) {
  switch (command) {
    case BIO_CTRL_FLUSH: return 1;
    // Lets the library tell a peer that went without a goodbye.
    case BIO_CTRL_EOF: return sessionOf(bio).peerClosed ? 1 : 0;
    default: return 0;
  }
}

BIO_METHOD* socketMethod() {
  static BIO_METHOD* const method = [] {
    BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "TcpSocket");
    if (made != nullptr) {
      BIO_meth_set_write(made, writeToSocket);
      BIO_meth_set_read(made, readFromSocket);
      BIO_meth_set_ctrl(made, controlSocket);
    }
    return made;
  }();
  return method;
}

// The settings every client session starts from, made once: its trust
// store is read once, and sessions on several threads share it.
SSL_CTX* clientContext() {
  static SSL_CTX* const context = [] {
    SSL_CTX* made = SSL_CTX_new(TLS_client_method());
    if (made == nullptr) return made;
    SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
    SSL_CTX_set_verify(made, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(made);
    SSL_CTX_set_options(made, SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_mode(made, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Whole records in one receive where the socket has them.
    SSL_CTX_set_read_ahead(made, 1);
    return made;
  }();
  return context;
}

// The library's reason for the failure it has just queued, and an empty
// queue for the thread's next call.
std::string queuedReason() {
  const unsigned long code = ERR_peek_last_error();
  const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
  ERR_clear_error();
  return reason != nullptr ? reason : "the TLS library failed";
}

TlsFailure verifyFailure(long result) {
  switch (result) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD: return TlsFailure::kNotValidNow;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return TlsFailure::kOtherName;
    default: return TlsFailure::kUntrusted;
  }
}

bool isIpv4Address(const std::string& host) {
  in_addr address{};
  return ::inet_pton(AF_INET, host.c_str(), &address) == 1;
}

long long limitOf(int seconds) { return seconds > 0 ? seconds * 1000LL : -1; }

}  // namespace

TlsStream::TlsStream(TcpSocket socket) : session_(std::make_unique<Session>(std::move(socket))) {}

TlsStream::TlsStream(TlsStream&& other) noexcept = default;

TlsStream& TlsStream::operator=(TlsStream&& other) noexcept {
  if (this != &other) {
    close();
    session_ = std::move(other.session_);
  }
  return *this;
}

TlsStream::~TlsStream() { close(); }

TlsStatus TlsStream::handshake(const std::string& host, int seconds) {
  if (host.find('\0') != std::string::npos) {
    return TlsStatus(TlsFailure::kOtherName, "a zero byte in the host name");
  }
  ERR_clear_error();
  SSL_CTX* context = clientContext();
  BIO* bio = context != nullptr && socketMethod() != nullptr ? BIO_new(socketMethod()) : nullptr;
  session_->ssl = bio != nullptr ? SSL_new(context) : nullptr;
  if (session_->ssl == nullptr) {
    BIO_free(bio);
    return TlsStatus(TlsFailure::kHandshake, queuedReason());
  }
  BIO_set_data(bio, session_.get());
  BIO_set_init(bio, 1);
  SSL* ssl = session_->ssl;
  SSL_set_bio(ssl, bio, bio);
  const bool named = isIpv4Address(host)
                         ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1
                         : SSL_set_tlsext_host_name(ssl, host.c_str()) == 1 &&
                               SSL_set1_host(ssl, host.c_str()) == 1;
  if (!named) return TlsStatus(TlsFailure::kHandshake, queuedReason());
  SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);

  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(std::max(seconds, 0));
  for (;;) {
    ERR_clear_error();
    const int result = SSL_connect(ssl);
    if (result == 1) {
      session_->sound = true;
      return TlsStatus();
    }
    const long long leftMs =
        seconds > 0
            ? std::max<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                      .count(),
                  0)
            : -1;
    TlsStatus waited = waitOrFail(SSL_get_error(ssl, result), leftMs);
    if (waited.ok()) continue;
    if (waited.failure() == TlsFailure::kTimeout) return waited;
    const long verified = SSL_get_verify_result(ssl);
    if (verified != X509_V_OK) {
      return TlsStatus(verifyFailure(verified), X509_verify_cert_error_string(verified));
    }
    return TlsStatus(TlsFailure::kHandshake, waited.reason());
  }
}

TlsStatus TlsStream::sendAll(const char* bytes, std::size_t length, int seconds,
                             std::size_t* sent) {
  std::size_t done = 0;
  TlsStatus status;
  while (done < length) {
    ERR_clear_error();
    std::size_t written = 0;
    const int result = SSL_write_ex(session_->ssl, bytes + done, length - done, &written);
    if (result == 1) {
      done += written;
      continue;
    }
    status = waitOrFail(SSL_get_error(session_->ssl, result), limitOf(seconds));
    if (!status.ok()) break;
  }
  if (sent != nullptr) *sent = done;
  return status;
}

TlsStatus TlsStream::receive(char* buffer, std::size_t capacity, int seconds, std::size_t* count) {
  for (;;) {
    ERR_clear_error();
    *count = 0;
    const int result = SSL_read_ex(session_->ssl, buffer, capacity, count);
    if (result == 1) return TlsStatus();
    const int error = SSL_get_error(session_->ssl, result);
    if (error == SSL_ERROR_ZERO_RETURN) return TlsStatus();
    TlsStatus waited = waitOrFail(error, limitOf(seconds));
    if (!waited.ok()) return waited;
  }
}

TlsStatus TlsStream::waitOrFail(int error, long long limitMs) {
  if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
    const Status waited = session_->socket.waitMs(
        error == SSL_ERROR_WANT_READ ? TcpSocket::Ready::kToRead : TcpSocket::Ready::kToWrite,
        limitMs);
    if (waited.ok()) return TlsStatus();
    return TlsStatus(waited.code() == ETIMEDOUT ? TlsFailure::kTimeout : TlsFailure::kNetwork,
                     waited.reason());
  }
  // The session is broken: the library forbids a goodbye on it.
  session_->sound = false;
  if (!session_->socketFailure.ok()) {
    ERR_clear_error();
    return TlsStatus(TlsFailure::kNetwork, session_->socketFailure.reason());
  }
  const std::string reason = queuedReason();
  return TlsStatus(session_->peerClosed ? TlsFailure::kUnended : TlsFailure::kNetwork, reason);
}

void TlsStream::close() {
  if (!session_) return;
  if (session_->sound) {
    ERR_clear_error();
    SSL_shutdown(session_->ssl);
    ERR_clear_error();
    session_->sound = false;
  }
  session_->socket.close();
}

}  // namespace platform

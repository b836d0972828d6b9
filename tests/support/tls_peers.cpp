#include "tests/support/tls_peers.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

namespace support {
namespace {

// {"a": 1, "b": 2}, as tls_peers.py prints it.
std::map<std::string, int> parsePorts(const std::string& line) {
  std::map<std::string, int> ports;
  for (std::size_t quote = line.find('"'); quote != std::string::npos;
       quote = line.find('"', quote + 1)) {
    const std::size_t end = line.find('"', quote + 1);
    if (end == std::string::npos) break;
    ports[line.substr(quote + 1, end - quote - 1)] = std::atoi(line.c_str() + end + 2);
    quote = end;
  }
  return ports;
}

}  // namespace

TestAuthority::TestAuthority() : directory_("authority") {
  const std::string command =
      "python3 '" PAGESHELL_TLS_PEERS "' make-authority '" + directory_.path() + "'";
  if (std::system(command.c_str()) != 0) {
    throw std::runtime_error("the test certificates cannot be made: " + command);
  }
}

TlsPeers::TlsPeers(const TestAuthority& authority, const std::string& servers) {
  int input[2];
  int output[2];
  if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
    throw std::runtime_error("no pipes for the TLS peers");
  }
  std::vector<std::string> args{"python3", PAGESHELL_TLS_PEERS, "serve", authority.directory()};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  server_ = ::fork();
  if (server_ == 0) {
    ::dup2(input[0], 0);
    ::dup2(output[1], 1);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(output[1]);
  input_ = input[1];
  // One line: the line ends of a description written over several are blanks.
  std::string description = servers;
  std::replace(description.begin(), description.end(), '\n', ' ');
  description += '\n';
  const bool written = ::write(input_, description.data(), description.size()) ==
                       static_cast<ssize_t>(description.size());
  std::string line;
  char byte;
  while (::read(output[0], &byte, 1) == 1 && byte != '\n') line += byte;
  ::close(output[0]);
  ports_ = parsePorts(line);
  if (!written || ports_.empty()) {
    stop();
    throw std::runtime_error("the TLS peers did not start: " + servers);
  }
}

TlsPeers::~TlsPeers() { stop(); }

void TlsPeers::stop() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
  if (server_ <= 0) return;
  // The end of its input ends the server; a server stuck past that is ended.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (::waitpid(server_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(server_, SIGKILL);
      ::waitpid(server_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  server_ = -1;
}

std::string TlsPeers::https(const std::string& name, const std::string& resource) const {
  return "https://127.0.0.1:" + std::to_string(port(name)) + resource;
}

std::string TlsPeers::http(const std::string& name, const std::string& resource) const {
  return "http://127.0.0.1:" + std::to_string(port(name)) + resource;
}

}  // namespace support

// What the engine makes of what peers answer, and of peers that fail.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "http/http.h"
#include "http/response_reader.h"
#include "tests/support/local_peer.h"
#include "tests/support/scratch.h"

namespace {

using support::LocalPeer;
using support::PeerConnection;

// Every step, as "<msg>" or "<msg>=<payload>".
class Recorder : public HttpCb {
 public:
  void step(const HttpStep& step) override {
    std::string text = step.msg().str();
    if (step.kind().isRead()) text += "=" + std::to_string(step.kind().asRead());
    if (step.kind().isHeaders()) text += "=" + step.kind().asHeaders().str();
    steps.push_back(text);
    if (step.kind().isRead()) ++reads;
  }
  std::vector<std::string> steps;
  std::atomic<int> reads{0};  // for a peer that waits until the client has read
};

HttpResult fetch(const std::string& url, Recorder& recorder,
                 const HttpOutput& output = HttpOutput::memory(), int timeout = 0) {
  Http http(url, &recorder);
  http.setOutput(output);
  http.setTimeout(timeout);
  return http.perform();
}

std::string errorText(const HttpResult& result) {
  return result.isError() ? result.asError().msg().str() : "no error";
}

LocalPeer::Serve inPieces(std::vector<std::string> pieces) {
  return [pieces](PeerConnection& connection) {
    connection.readHttpRequest();
    for (const std::string& piece : pieces) {
      connection.send(piece);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  };
}

TEST(Response, SeparatorSplitOverTwoReceivesIsFound) {
  Recorder recorder;
  // The second piece goes once the client has read the first, so that each
  // is a receive of its own however busy the machine is.
  LocalPeer peer([&recorder](PeerConnection& connection) {
    connection.readHttpRequest();
    connection.send("HTTP/1.0 200 OK\r\nA: 1\r\n\r");
    for (int waited = 0; recorder.reads == 0 && waited < 10000; waited += 5) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    connection.send("\nbody");
  });
  const HttpResult result = fetch(peer.url(), recorder);
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().headers(), AnsiString("HTTP/1.0 200 OK\r\nA: 1"));
  EXPECT_EQ(result.asBody().body(), AnsiString("body"));
  EXPECT_EQ(recorder.steps,
            (std::vector<std::string>{"DNS", "Socket", "Connect", "Odczyt danych=24",
                                      "Odczytano nagłówki zapytania=HTTP/1.0 200 OK\r\nA: 1",
                                      "Odczyt danych=29"}));
}

TEST(Response, WithoutASeparatorEveryByteStaysInTheHead) {
  LocalPeer peer(inPieces({"HTTP/1.0 200 OK\r\nNo-End", ": x\r\n"}));
  Recorder recorder;
  HttpResult result = fetch(peer.url(), recorder);
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().headers(), AnsiString("HTTP/1.0 200 OK\r\nNo-End: x\r\n"));
  EXPECT_EQ(result.asBody().body(), AnsiString(""));

  support::Directory folder("http");
  result = fetch(peer.url(), recorder, HttpOutput::file(folder / "out"));
  ASSERT_TRUE(result.isFile()) << errorText(result);
  EXPECT_EQ(result.asFile().headers(), AnsiString("HTTP/1.0 200 OK\r\nNo-End: x\r\n"));
  EXPECT_EQ(support::readFile(folder / "out"), "");
}

TEST(Response, FileHoldsTheBodyWhateverTheStatus) {
  LocalPeer notFound(LocalPeer::answering("HTTP/1.0 404 Not Found\r\n\r\nmissing"));
  LocalPeer noLength(inPieces({"HTTP/1.0 200 OK\r\n\r\nfirst ", "second"}));
  support::Directory folder("http");
  Recorder recorder;

  HttpResult result = fetch(notFound.url(), recorder, HttpOutput::file(folder / "404"));
  ASSERT_TRUE(result.isFile()) << errorText(result);
  EXPECT_EQ(result.asFile().headers(), AnsiString("HTTP/1.0 404 Not Found"));
  EXPECT_EQ(result.asFile().path(), AnsiString(folder / "404"));
  EXPECT_EQ(support::readFile(folder / "404"), "missing");

  result = fetch(noLength.url(), recorder, HttpOutput::file(folder / "nolength"));
  ASSERT_TRUE(result.isFile()) << errorText(result);
  EXPECT_EQ(support::readFile(folder / "nolength"), "first second");
}

// Bytes past the announced length are no part of the response: neither
// kept nor counted, in the head's piece or in later ones, and the response
// is complete without waiting for the peer to close.
TEST(Response, TheBodyEndsAtItsAnnouncedLength) {
  const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n";
  const std::string past(100000, 'p');
  LocalPeer inTheHeadPiece(LocalPeer::answering(head + "0123456789" + past));
  LocalPeer inALaterPiece(inPieces({head + "01234", "56789" + past}));
  LocalPeer keepsOpen([head](PeerConnection& c) {
    c.readHttpRequest();
    c.send(head + "0123456789");
    c.readUntilClosed();
  });
  support::Directory folder("http");
  for (LocalPeer* peer : {&inTheHeadPiece, &inALaterPiece, &keepsOpen}) {
    Recorder recorder;
    HttpResult result = fetch(peer->url(), recorder, HttpOutput::file(folder / "out"), 5);
    ASSERT_TRUE(result.isFile()) << errorText(result);
    const std::string kept = support::readFile(folder / "out");
    EXPECT_TRUE(kept == "0123456789") << kept.size() << " bytes";
    EXPECT_EQ(recorder.steps.back(), "Odczyt danych=" + std::to_string(head.size() + 10));

    result = fetch(peer->url(), recorder, HttpOutput::memory(), 5);
    ASSERT_TRUE(result.isBody()) << errorText(result);
    EXPECT_EQ(result.asBody().body().Length(), 10);
  }

  // A HEAD answer announces the length of a body it does not send.
  LocalPeer headAnswer(LocalPeer::answering("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n"));
  Http http(headAnswer.url(), nullptr);
  http.setMethod(HttpMethod::head());
  http.setTimeout(5);
  const HttpResult result = http.perform();
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().body(), AnsiString(""));
}

TEST(Response, SilenceEndsAtTheTimeoutAndOnlyThen) {
  LocalPeer stalled([](PeerConnection& c) {
    c.readHttpRequest();
    c.send("HTTP/1.0 200 OK\r\n\r\nsome");
    c.readUntilClosed();
  });
  Recorder recorder;
  const auto start = std::chrono::steady_clock::now();
  const HttpResult result = fetch(stalled.url(), recorder, HttpOutput::memory(), 1);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(errorText(result), "TIMEOUT - problem przy odbieraniu danych.");
  EXPECT_TRUE(result.isError() && result.asError().kind().isRecv());
  EXPECT_GE(took.count(), 0.9);
  EXPECT_LT(took.count(), 3.0);

  // Pieces that each come within the limit go on for longer than it.
  LocalPeer slow(inPieces({"HTTP/1.0 200 OK\r\n\r\n", "a", "b", "c", "d", "e"}));
  EXPECT_TRUE(fetch(slow.url(), recorder, HttpOutput::memory(), 1).isBody());
}

TEST(Response, RefusedUnreachableAndUnknownHostsAreErrorsOfTheirKind) {
  Recorder refusedSteps;
  HttpResult result = fetch("127.0.0.1:" + std::to_string(support::refusedPort()), refusedSteps);
  EXPECT_EQ(errorText(result), "Problem z połączeniem [Connection refused]");
  EXPECT_TRUE(result.isError() && result.asError().kind().isConnect());
  EXPECT_EQ(refusedSteps.steps, (std::vector<std::string>{"DNS", "Socket"}));

  // The limit holds for the connect as well, where the system's is minutes.
  const auto start = std::chrono::steady_clock::now();
  result = fetch("127.0.0.1:" + std::to_string(support::fullQueuePort()), refusedSteps,
                 HttpOutput::memory(), 1);
  EXPECT_EQ(errorText(result), "Problem z połączeniem [Connection timed out]");
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);

  Recorder dnsSteps;
  result = fetch("http://no-such-host.invalid/x", dnsSteps);
  EXPECT_EQ(errorText(result), "Problem z DNS dla hosta [no-such-host.invalid]");
  EXPECT_TRUE(result.isError() && result.asError().kind().isDns());
  EXPECT_TRUE(dnsSteps.steps.empty());
}

TEST(Response, AResetInMidBodyIsAReceiveError) {
  LocalPeer peer([](PeerConnection& c) {
    c.readHttpRequest();
    c.send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\npart");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    c.resetOnClose();
  });
  support::Directory folder("http");
  Recorder recorder;
  const HttpResult result = fetch(peer.url(), recorder, HttpOutput::file(folder / "cut"));
  EXPECT_EQ(errorText(result), "Problem przy odbieraniu danych [Connection reset by peer]");
  EXPECT_EQ(support::readFile(folder / "cut"), "part") << "the partial file stays";
}

TEST(Response, OutputFilesThatCannotBeWrittenAreFileErrors) {
  LocalPeer peer(LocalPeer::answering("HTTP/1.0 200 OK\r\n\r\n" + std::string(300000, 'x')));
  Recorder recorder;
  HttpResult result = fetch(peer.url(), recorder, HttpOutput::file("/nonexistent/dir/out"));
  EXPECT_EQ(errorText(result), "Problem przy zapisywaniu danych [/nonexistent/dir/out]");
  EXPECT_TRUE(result.isError() && result.asError().kind().isFile());

  result = fetch(peer.url(), recorder, HttpOutput::file("/dev/full"));
  EXPECT_EQ(errorText(result), "Problem przy zapisywaniu danych [/dev/full]") << "a full disk";
}

// A head of exactly the bound is read; one byte more fails.
TEST(Response, TheHeadIsBoundedAtOneMebibyte) {
  const std::string start = "HTTP/1.0 200 OK\r\nX: ";
  const std::string atBound = start + std::string(kMaxHeadBytes - start.size(), 'h');
  LocalPeer fits(LocalPeer::answering(atBound + "\r\n\r\nbody"));
  LocalPeer endless(LocalPeer::answering(atBound + "h" + std::string(kMaxHeadBytes, 'h')));
  Recorder recorder;
  const HttpResult result = fetch(fits.url(), recorder);
  ASSERT_TRUE(result.isBody()) << errorText(result);
  EXPECT_EQ(result.asBody().headers().Length(), static_cast<int>(kMaxHeadBytes));
  EXPECT_EQ(errorText(fetch(endless.url(), recorder)),
            "Zbyt długi nagłówek odpowiedzi [ponad 1048576 bajtów]");
}

// The body goes into the file handed over, wherever its name has gone since;
// a file that could not be had fails before anything is sent.
TEST(Response, AHandedFileIsWrittenThroughItsOwnDescriptor) {
  LocalPeer peer(LocalPeer::answering("HTTP/1.0 200 OK\r\n\r\nbody"));
  support::Directory folder("http");
  platform::Result<platform::OutputFile> made = platform::OutputFile::createNew(folder / "made");
  ASSERT_TRUE(made);
  ASSERT_EQ(std::rename((folder / "made").c_str(), (folder / "moved").c_str()), 0);
  Http http(peer.url(), nullptr);
  http.setOutputFile(folder / "made", std::move(*made));
  ASSERT_TRUE(http.perform().isFile());
  EXPECT_EQ(support::readFile(folder / "moved"), "body");
  EXPECT_FALSE(std::filesystem::exists(folder / "made")) << "nothing reopened the name";

  // Not even a dangling link is written through.
  ASSERT_EQ(::symlink((folder / "target").c_str(), (folder / "taken").c_str()), 0);
  EXPECT_EQ(platform::OutputFile::createNew(folder / "taken").status().code(), EEXIST);
  http.setOutputFile(folder / "taken", platform::OutputFile());
  EXPECT_EQ(errorText(http.perform()),
            "Problem przy zapisywaniu danych [" + folder / "taken" + "]");
  EXPECT_FALSE(std::filesystem::exists(folder / "target"));
  EXPECT_EQ(peer.requests().size(), 1u);
}

TEST(Response, AThousandFailingRequestsLeaveNoDescriptorOpen) {
  LocalPeer resetting([](PeerConnection& c) {
    c.readHttpRequest();
    c.send("HTTP/1.0 200 OK\r\n\r\npart");
    c.resetOnClose();
  });
  LocalPeer closing([](PeerConnection& c) { c.readBytes(1); });
  const std::string refused = "127.0.0.1:" + std::to_string(support::refusedPort());
  Recorder recorder;
  const int before = support::openDescriptors();
  // Failed name look-ups open nothing and are slow to repeat; a few suffice.
  for (int i = 0; i < 1000; ++i) {
    HttpResult result;
    switch (i % 4) {
      case 0: result = fetch(i % 100 == 0 ? "no-such-host.invalid" : refused, recorder); break;
      case 1: result = fetch(resetting.url(), recorder, HttpOutput::memory(), 5); break;
      case 2: result = fetch(closing.url(), recorder, HttpOutput::file("/nonexistent/out")); break;
      case 3: result = fetch(resetting.url(), recorder, HttpOutput::file("/dev/full")); break;
    }
    ASSERT_TRUE(result.isError()) << i;
    recorder.steps.clear();
  }
  EXPECT_EQ(support::descriptorsSettleAt(before), before);
}

// Several requests at once on their own threads share nothing (run under
// ThreadSanitizer too).
TEST(Response, ConcurrentRequestsGetTheirOwnAnswers) {
  LocalPeer peer([](PeerConnection& c) {
    const std::string request = c.readHttpRequest();
    const std::string resource = request.substr(4, request.find(' ', 4) - 4);
    c.send("HTTP/1.0 200 OK\r\n\r\n" + std::string(100000, resource.back()));
  });
  std::vector<std::thread> threads;
  std::vector<int> wrong(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        Recorder recorder;
        const char tag = static_cast<char>('a' + t);
        const HttpResult result =
            fetch(peer.url(std::string("/") + tag), recorder, HttpOutput::memory(), 5);
        if (!result.isBody() || result.asBody().body() != AnsiString(std::string(100000, tag)))
          ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(8, 0));
}

// The int of a read step wraps past 2 GiB; followed step by step it gives
// the whole count of a 5 GiB transfer.
TEST(ReadCount, FollowsTheCountPastTheIntRange) {
  ReadCount count;
  std::int64_t received = 0;
  for (int i = 0; i < 5 * 16384; ++i) {
    received += 65536;
    const int payload = static_cast<int>(static_cast<std::uint32_t>(received));
    ASSERT_EQ(count.follow(payload), received);
  }
}

}  // namespace

#include <cstddef>
#include <utility>

#include "bridge/network/network.h"
#include "bridge/network/tcp_exchange.h"
#include "bridge/worker.h"

namespace bridge::network {
namespace {

void push(const WorkerChannel& channel, const TcpExchange& exchange) {
  channel.deliver(channel.record("progress", "0"));
  TcpAnswer answer = exchangeTcp(exchange);
  if (!answer.ok) {
    channel.deliver(errorRecord(channel, answer.failure));
    return;
  }
  Record finish = channel.record("finish", std::move(answer.header), std::move(answer.body));
  // An answer within the read limit can still outgrow the page's limit once
  // its record is written (a byte that is not UTF-8 takes six); it is then
  // one the page cannot have, known before "100" promises it.
  if (!listFits(finish, kMaxAnswerBytes, TextReader::kScript)) {
    channel.deliver(errorRecord(channel, readingFailure(exchange)));
    return;
  }
  channel.deliver(channel.record("progress", "100"));
  channel.deliver(finish);
}

}  // namespace

// The exchange of tcp_exchange.h.
Answer tcpPush(TcpPushCall& call) {
  TcpExchange exchange{call.host(), call.port(), call.data(), call.options()};
  const std::size_t heldBytes = exchange.host.size() + exchange.portText.size() +
                                exchange.data.size() + exchange.options.size();
  runWorker(
      platform::WorkKind::kNetwork, call.channel(),
      [exchange = std::move(exchange)](const WorkerChannel& channel) { push(channel, exchange); },
      errorRecord, nullptr, heldBytes);
  return okAnswer(call.callbackId());
}

}  // namespace bridge::network

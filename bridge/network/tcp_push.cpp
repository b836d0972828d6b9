#include <cstddef>
#include <utility>

#include "bridge/commands.h"
#include "bridge/network/network.h"
#include "bridge/network/tcp_exchange.h"
#include "bridge/worker.h"

namespace bridge::network {
namespace {

constexpr Argument kCallbackId = describedArgument("tcpPush", "callbackId");
constexpr Argument kHost = describedArgument("tcpPush", "host");
constexpr Argument kPort = describedArgument("tcpPush", "port");
constexpr Argument kData = describedArgument("tcpPush", "data");
constexpr Argument kOptions = describedArgument("tcpPush", "options");

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
  if (!listFits(finish)) {
    channel.deliver(errorRecord(channel, readingFailure(exchange)));
    return;
  }
  channel.deliver(channel.record("progress", "100"));
  channel.deliver(finish);
}

}  // namespace

Answer tcpPush(CommandContext& context) {
  const std::string callbackId = context.arg(kCallbackId);
  TcpExchange exchange{context.arg(kHost), context.arg(kPort), context.arg(kData),
                       context.arg(kOptions)};
  const std::size_t heldBytes = exchange.host.size() + exchange.portText.size() +
                                exchange.data.size() + exchange.options.size();
  runWorker(
      platform::WorkKind::kNetwork, WorkerChannel(context.page, callbackId, "tcpPush"),
      [exchange = std::move(exchange)](const WorkerChannel& channel) { push(channel, exchange); },
      errorRecord, nullptr, heldBytes);
  return okAnswer(callbackId);
}

}  // namespace bridge::network

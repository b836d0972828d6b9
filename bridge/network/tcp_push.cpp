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

}  // namespace

Answer tcpPush(CommandContext& context) {
  const std::string callbackId = context.arg(kCallbackId);
  TcpExchange exchange{context.arg(kHost), context.arg(kPort), context.arg(kData),
                       context.arg(kOptions)};
  runWorker(
      WorkerChannel(context.page, callbackId, "tcpPush"),
      [exchange = std::move(exchange)](const WorkerChannel& channel) {
        channel.deliver(channel.record("progress", "0"));
        TcpAnswer answer = exchangeTcp(exchange);
        if (!answer.ok) {
          channel.deliver(channel.record("error", answer.failure));
          return;
        }
        channel.deliver(channel.record("progress", "100"));
        channel.deliver(channel.record("finish", std::move(answer.header), std::move(answer.body)));
      },
      errorRecord);
  return okAnswer(callbackId);
}

}  // namespace bridge::network

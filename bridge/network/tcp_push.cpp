#include <utility>

#include "bridge/network/network.h"
#include "bridge/network/records.h"
#include "bridge/network/tcp_exchange.h"

namespace bridge::network {
namespace {

constexpr Json::ArrayIndex kCallbackId = kFirstArgument;
constexpr Json::ArrayIndex kHost = kFirstArgument + 1;
constexpr Json::ArrayIndex kPort = kFirstArgument + 2;
constexpr Json::ArrayIndex kData = kFirstArgument + 3;
constexpr Json::ArrayIndex kOptions = kFirstArgument + 4;

void push(const WorkerChannel& channel, const TcpExchange& exchange) {
  channel.deliver(progressRecord(channel, "0"));
  TcpAnswer answer = exchangeTcp(exchange);
  if (!answer.ok) {
    channel.deliver(errorRecord(channel, answer.failure));
    return;
  }
  Record finish = channel.record("finish");
  finish.push_back(std::move(answer.header));
  finish.push_back(std::move(answer.body));
  // An answer within the read limit can still outgrow the page's limit once
  // its record is written (a byte that is not UTF-8 takes six); it is then
  // one the page cannot have, known before "100" promises it.
  if (!listFits(finish)) {
    channel.deliver(errorRecord(channel, readingFailure(exchange)));
    return;
  }
  channel.deliver(progressRecord(channel, "100"));
  channel.deliver(finish);
}

}  // namespace

Answer tcpPush(CommandContext& context) {
  const std::string callbackId = context.arg(kCallbackId);
  TcpExchange exchange{context.arg(kHost), context.arg(kPort), context.arg(kData),
                       context.arg(kOptions)};
  runWorker(
      platform::WorkKind::kNetwork, WorkerChannel(context.page, callbackId, "tcpPush"),
      [exchange = std::move(exchange)](const WorkerChannel& channel) { push(channel, exchange); },
      errorRecord);
  return {kOk, callbackId};
}

}  // namespace bridge::network

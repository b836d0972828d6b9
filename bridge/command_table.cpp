#include "bridge/command_table.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "bridge/command_calls.h"
#include "bridge/commands.h"

namespace bridge {
namespace {

constexpr std::size_t kCommandCount = std::size(kCommands);
static_assert(std::size(kHandlers) == kCommandCount, "the calls are written from the description");

template <std::size_t... kIndex>
constexpr std::array<CommandRow, kCommandCount> rows(std::index_sequence<kIndex...>) {
  return {{{&kCommands[kIndex], kHandlers[kIndex]}...}};
}

constexpr std::array<CommandRow, kCommandCount> kRows =
    rows(std::make_index_sequence<kCommandCount>());

}  // namespace

const CommandRow* findCommand(const std::string& name) {
  static const auto* const index = [] {
    auto* found = new std::unordered_map<std::string_view, const CommandRow*>;
    for (const CommandRow& row : kRows) found->emplace(row.description->name, &row);
    return found;
  }();
  const auto found = index->find(name);
  return found == index->end() ? nullptr : found->second;
}

bool drawsThePage(std::string_view request) {
  // The name follows the version and the build tag, both short in any
  // request that is answered more than BADVERSION.
  const std::string_view head = request.substr(0, 256);
  const bool named = std::any_of(kRows.begin(), kRows.end(), [head](const CommandRow& row) {
    return row.description->drawsPage && head.find(row.description->name) != head.npos;
  });
  if (!named) return false;
  try {
    const std::optional<Request> parsed = parseRequest(request);
    if (!parsed || parsed->size() <= kCommandPosition) return false;
    const CommandRow* row = findCommand(parsed->text(kCommandPosition));
    return row != nullptr && row->description->drawsPage;
  } catch (...) {
    return false;
  }
}

void checkArguments(const CommandDescription& command, const Request& request) {
  const std::size_t described = command.arguments.size();
  if (described == 0) return;
  for (std::size_t position = kFirstArgument; position < request.size(); ++position) {
    const std::size_t index = position - kFirstArgument;
    if (index >= described && !command.lastRepeats) return;
    const ArgumentDescription& argument = command.arguments[std::min(index, described - 1)];
    request.checkText(position, refusesNul(argument.kind));
  }
}

}  // namespace bridge

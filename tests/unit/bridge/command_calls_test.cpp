// The handlers' calls written from the description: arguments found where the
// description puts them, async channels named after their command, and
// descriptions whose names could not be accessors refused.
#include "bridge/command_calls.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tools/commandref/command_calls.h"

namespace bridge {
namespace {

Request request(std::initializer_list<const char*> elements) {
  Json::Value array(Json::arrayValue);
  for (const char* element : elements) array.append(element);
  return Request(array);
}

TEST(CommandCalls, ArgumentsAreReadWhereTheDescriptionPutsThem) {
  const Request execute = request({kProtocolVersion, "test", "sqliteAsyncExecute", "db/",
                                   "app.sqlite", "id7", "CREATE TABLE t (a)", "INSERT"});
  const database::SqliteAsyncExecuteArguments arguments(execute);
  EXPECT_EQ(arguments.directory(), "db/");
  EXPECT_EQ(arguments.fileName(), "app.sqlite");
  EXPECT_EQ(arguments.callbackId(), "id7");
  EXPECT_EQ(arguments.statements().first, 6u);

  const WorkerChannel channel = workerChannel(nullptr, arguments);
  EXPECT_EQ(channel.callbackId(), "id7");
  EXPECT_EQ(channel.command(), "sqliteAsyncExecute");

  const Request shortPush = request({kProtocolVersion, "test", "tcpPush", "t1", "localhost"});
  const network::TcpPushArguments push(shortPush);
  EXPECT_EQ(push.host(), "localhost");
  EXPECT_EQ(push.options(), "") << "a missing argument reads as empty";
  EXPECT_EQ(workerChannel(nullptr, push).callbackId(), "t1");
}

TEST(CommandCalls, NamesThatCannotBeAccessorsAreRefused) {
  for (const CommandDescription& command : kCommands) {
    EXPECT_EQ(commandref::unusableName(command), std::nullopt) << command.name;
  }
  const auto reason = [](const CommandDescription& command) {
    return commandref::unusableName(command).value_or("usable");
  };
  const CommandDescription base = bridge::command("fine_2", Family::kDesktop, Mode::kSync, "");
  EXPECT_EQ(reason(base.text("path", "").content("data", "")), "usable");
  EXPECT_EQ(reason(bridge::command("get-dir", Family::kZip, Mode::kSync, "")),
            "the command's name is no C++ identifier");
  EXPECT_EQ(reason(bridge::command("delete", Family::kZip, Mode::kSync, "")),
            "the command's name is a C++ keyword");
  EXPECT_EQ(reason(base.path("2nd", "")), "the argument 2nd is no C++ identifier");
  EXPECT_EQ(reason(base.text("class", "")), "the argument class is a C++ keyword");
  EXPECT_EQ(reason(base.text("page", "")), "the argument page is a name every call has");
  EXPECT_EQ(reason(base.path("path", "").text("path", "")), "the argument path comes twice");
}

}  // namespace
}  // namespace bridge

#include "cli/CliMain.h"

#include <CLI/CLI.hpp>

#include <ostream>

#include "base/Version.h"
#include "cli/CliCommon.h"

namespace zelvo {

namespace {

// The commands, in the order the help lists them; each file adds one.
constexpr TCliCommand (*kCommands[])(CLI::App&) = {
    AddConvertCommand, AddInfoCommand, AddEvalCommand, AddProfilesCommand,
    AddFormatsCommand, AddApplyCommand, AddICCCommand, AddDiffCommand, AddIdentityCommand, AddBakeCommand,
};

}  // namespace

int RunCli(const std::vector<std::string>& args, const CliEnvironment& env) {
  CLI::App app{"Zelvo LUT Converter: converts colour look-up tables between file formats.", "zelvo-lut"};
  app.set_version_flag("--version", std::string("zelvo-lut ") + ZelvoVersion());
  app.require_subcommand(1);
  std::vector<TCliCommand> commands;
  for (const auto add : kCommands) commands.push_back(add(app));

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, *env.out, *env.err);
    return code == 0 ? kExitOk : kExitUsage;
  }
  for (const TCliCommand& command : commands) {
    if (*command.App) return command.Run(env);
  }
  return kExitUsage;
}

}  // namespace zelvo

// The command line run in memory, as the tests of each command run it.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliMain.h"

namespace zelvo::test {

struct CliRun {
  int status = -1;
  std::string out, err;
};

// zelvo-lut with `args` (the command first) and `input` on standard input.
inline CliRun Zelvo(const std::vector<std::string>& args, const std::string& input = "", bool interactive = false) {
  std::istringstream in(input);
  std::ostringstream out, err;
  CliRun run;
  run.status = RunCli(args, CliEnvironment{&in, &out, &err, interactive});
  run.out = out.str();
  run.err = err.str();
  return run;
}

}  // namespace zelvo::test

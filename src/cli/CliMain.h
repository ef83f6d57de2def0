// The command-line front end as a function over arguments and streams, so that
// it can be driven in-process by the tests.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zelvo {

// Whether standard input is an interactive terminal (asked for overwrite questions).
struct CliEnvironment {
  std::istream* in = nullptr;
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
  bool interactive = false;
};

// Runs `zelvo-lut` with the given arguments (without the program name).
// Returns the exit status: 0 success, 1 a file failed, 2 a usage error.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env);

}  // namespace zelvo

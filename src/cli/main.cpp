#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/CliMain.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  zelvo::CliEnvironment env{&std::cin, &std::cout, &std::cerr, isatty(STDIN_FILENO) != 0};
  return zelvo::RunCli(args, env);
}

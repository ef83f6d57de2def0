#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define ZELVO_STDIN_IS_TERMINAL() (_isatty(_fileno(stdin)) != 0)
#else
#include <unistd.h>
#define ZELVO_STDIN_IS_TERMINAL() (isatty(STDIN_FILENO) != 0)
#endif

#include "cli/CliMain.h"
#include "base/TextFile.h"

int main(int argc, char** argv) {
  // An interrupted conversion leaves no temporary file behind.
  zelvo::InstallTemporaryFileCleanup();
  std::vector<std::string> args(argv + 1, argv + argc);
  zelvo::CliEnvironment env{&std::cin, &std::cout, &std::cerr, ZELVO_STDIN_IS_TERMINAL()};
  return zelvo::RunCli(args, env);
}

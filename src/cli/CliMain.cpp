#include "cli/CliMain.h"

namespace zelvo {
int RunCli(const std::vector<std::string>&, const CliEnvironment&) { return 2; }
}  // namespace zelvo

// The program's version, from the build (one translation unit holds it, so a
// new version rebuilds only that file).
#pragma once

namespace zelvo {

const char* ZelvoVersion();

}  // namespace zelvo

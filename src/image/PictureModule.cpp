#include "image/PictureModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "base/Errors.h"

namespace zelvo {

namespace {

// Where the module may be: installed, relative to the program; beside the
// program; and in the build tree, for the tests and programs run from there.
std::vector<std::string> ModulePlaces() {
  std::vector<std::string> places;
  std::error_code ec;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const std::filesystem::path folder = program.parent_path();
    places.push_back((folder / ZELVO_PICTURE_MODULE_FROM_BIN).lexically_normal().string());
    places.push_back((folder / ZELVO_PICTURE_MODULE_NAME).string());
  }
  places.push_back(ZELVO_PICTURE_MODULE_BUILT);
  return places;
}

struct TLoaded {
  const ZelvoPictureCodec* codec = nullptr;
  std::string error;
};

TLoaded Load() {
  TLoaded loaded;
  std::string reasons;
  for (const std::string& place : ModulePlaces()) {
    std::error_code ec;
    if (!std::filesystem::exists(place, ec)) continue;
    // Never unloaded: the library's threads may outlive any one picture.
    void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      const char* why = dlerror();
      reasons += std::string("; ") + (why != nullptr ? why : place.c_str());
      continue;
    }
    const auto entry = reinterpret_cast<ZelvoPictureCodecEntry>(dlsym(module, "zelvo_picture_codec"));
    const ZelvoPictureCodec* codec = entry != nullptr ? entry() : nullptr;
    if (codec == nullptr || codec->version != kZelvoPictureCodecVersion) {
      reasons += "; " + place + " is of another version";
      continue;
    }
    loaded.codec = codec;
    return loaded;
  }
  loaded.error = "PNG, TIFF, OpenEXR and DPX pictures need the picture module (" +
                 std::string(ZELVO_PICTURE_MODULE_NAME) + " with OpenImageIO), which cannot be loaded" +
                 (reasons.empty() ? std::string("; it is not installed") : reasons) + ".";
  return loaded;
}

}  // namespace

const ZelvoPictureCodec& PictureCodec() {
  static std::once_flag once;
  static TLoaded loaded;
  std::call_once(once, [] { loaded = Load(); });
  if (loaded.codec == nullptr) throw EZelvoError(loaded.error);
  return *loaded.codec;
}

}  // namespace zelvo

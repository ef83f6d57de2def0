// Writes the preview's default picture, drawn by code (see image/TestScene.h):
//   zelvo-test-picture OUTPUT.jpg [WIDTH HEIGHT]
// The desktop program embeds the JPEG it writes at build time.
#include <exception>
#include <iostream>
#include <string>

#include "base/StringLib.h"
#include "image/PictureFile.h"
#include "image/TestScene.h"

int main(int argc, char** argv) {
  using namespace zelvo;
  if (argc != 2 && argc != 4) {
    std::cerr << "usage: zelvo-test-picture OUTPUT.jpg|OUTPUT.bmp [WIDTH HEIGHT]\n";
    return 2;
  }
  int width = kTestSceneWidth, height = kTestSceneHeight;
  if (argc == 4 && (!TryParseInt(argv[2], width) || !TryParseInt(argv[3], height) || width < 1 || height < 1)) {
    std::cerr << "WIDTH and HEIGHT are whole numbers of pixels.\n";
    return 2;
  }
  try {
    SavePicture(argv[1], DrawTestScene(width, height));
  } catch (const std::exception& e) {
    std::cerr << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

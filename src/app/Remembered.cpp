#include "app/Remembered.h"

#include <filesystem>

namespace zelvo {

std::string& LastOutputFolder() {
  static std::string folder;
  return folder;
}

std::string& LastPictureFolder() {
  static std::string folder;
  return folder;
}

std::string& LastICCFolder() {
  static std::string folder;
  return folder;
}

std::optional<TOutputChoice>& RememberedOutputChoice() {
  static std::optional<TOutputChoice> choice;
  return choice;
}

void RememberPictureFolder(const std::string& file_name) {
  std::string folder = std::filesystem::path(file_name).parent_path().string();
  if (!folder.empty() && folder.back() != std::filesystem::path::preferred_separator) {
    folder += std::filesystem::path::preferred_separator;
  }
  LastPictureFolder() = folder;
}

}  // namespace zelvo

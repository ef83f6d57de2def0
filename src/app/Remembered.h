// What the windows remember while the program runs: the folders last used
// and, while the settings are kept between runs, the conversion's choices.
// All start empty; they are stored between runs only on request (Settings.h).
#pragma once

#include <optional>
#include <string>

namespace zelvo {

// The output folder, shared by the conversion dialog and the ICC dialog.
std::string& LastOutputFolder();
// The folder of the last picture loaded, with a trailing separator.
std::string& LastPictureFolder();
// The folder of the last ICC profile picked, for both profile buttons.
std::string& LastICCFolder();

// LastPictureFolder := the folder of the file, with a trailing separator.
void RememberPictureFolder(const std::string& file_name);

// The conversion dialog's choices: its output format (the profile's
// caption), size text, depth (-1: "Default") and whether written files are
// verified.
struct TOutputChoice {
  std::string Caption;
  std::string SizeText = "Default";
  int Bits = -1;
  bool Verify = false;
};
// Kept only while the settings are remembered between runs: then the dialog
// starts with the last choice (where it still applies) and records the one
// it converts with. Without them (nullopt), the dialog starts without a
// format and records nothing.
std::optional<TOutputChoice>& RememberedOutputChoice();

}  // namespace zelvo

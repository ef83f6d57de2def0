// What the windows remember while the program runs: the folders last used.
// All start empty; nothing is stored between runs.
#pragma once

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

}  // namespace zelvo

// The application's error handler: an error that ends a user action is shown
// here, in one place, and the program goes on.
#pragma once

#include <exception>
#include <string>

#include "base/Errors.h"

class QWidget;

namespace zelvo {

// The product name; the title of the application and the caption of its
// error boxes.
inline constexpr char kApplicationTitle[] = "Zelvo LUT Converter";

// The text of an error box: the message (with the format and line where a
// load went wrong), and a full stop appended when its last character sorts
// after ".".
std::string ErrorBoxText(const std::exception& error);
std::string WithFullStop(std::string message);

// Shows an error box: error icon, the application title as caption.
void ShowApplicationError(QWidget* owner, const std::exception& error);

// Runs an action on one file; an error of the core that does not name the
// file is raised again with the file's name in front.
template <typename Action>
decltype(auto) NamingFile(const std::string& file_name, Action&& action) {
  try {
    return action();
  } catch (const EZelvoError& e) {
    const std::string message = e.Described();
    if (message.find(file_name) != std::string::npos) throw;
    throw EZelvoError(file_name + ": " + message);
  }
}

// Runs one user action; an error ends it and is shown by the handler above.
template <typename Action>
void RunUserAction(QWidget* owner, Action&& action) noexcept {
  try {
    action();
  } catch (const std::exception& e) {
    ShowApplicationError(owner, e);
  }
}

}  // namespace zelvo

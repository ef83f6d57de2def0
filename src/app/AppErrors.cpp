#include "app/AppErrors.h"

#include <new>

#include "app/UserPrompts.h"
#include "base/Errors.h"

namespace zelvo {

std::string WithFullStop(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.')) {
    message += '.';
  }
  return message;
}

std::string ErrorBoxText(const std::exception& error) {
  if (const auto* z = dynamic_cast<const EZelvoError*>(&error)) return WithFullStop(z->Described());
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return "There is not enough memory for this.";
  return WithFullStop(error.what());
}

void ShowApplicationError(QWidget* owner, const std::exception& error) {
  try {
    ShowMessage(owner, QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                QString::fromStdString(ErrorBoxText(error)));
  } catch (...) {
    // Nothing more can be said when showing the error fails too.
  }
}

}  // namespace zelvo

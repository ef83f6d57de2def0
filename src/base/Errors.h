// The exceptions of the core. Every failure of the core reaches its caller as one
// of these, carrying a message that can be shown to the user as it stands.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace zelvo {

// Base of every error the core raises.
class EZelvoError : public std::runtime_error {
 public:
  explicit EZelvoError(const std::string& message) : std::runtime_error(message) {}

  // Where a load went wrong, filled in as the error leaves the reader: the
  // format the file was read as, and the line of the file (0: not known). A
  // reader of whole documents gives a byte position, which the load turns
  // into the line.
  std::string FormatName;
  int Line = 0;
  std::size_t Position = std::string::npos;

  // The message with what is known of where: 'read as Clipster 3D: The
  // "LUT3D" node is not found (line 12)'.
  std::string Described() const {
    std::string text = FormatName.empty() ? std::string() : "read as " + FormatName + ": ";
    text += what();
    if (Line > 0) {
      // Into the message's own closing parenthesis, where it has one ("Too
      // many rows (the file declares 4913; line 4915)"), before its full stop
      // where it ends with one.
      const std::string where = "line " + std::to_string(Line);
      const bool stop = !text.empty() && text.back() == '.';
      const std::size_t end = text.size() - (stop ? 1 : 0);
      if (end > 0 && text[end - 1] == ')') text.insert(end - 1, "; " + where);
      else text.insert(end, " (" + where + ")");
    }
    return text;
  }
};

// A malformed or unsupported LUT file.
class ELUTError : public EZelvoError {
 public:
  using EZelvoError::EZelvoError;
};

// A header value that does not convert to a number.
class EConvertError : public EZelvoError {
 public:
  using EZelvoError::EZelvoError;
  static EConvertError InvalidInteger(std::string_view text) { return Quoted(text, "' is not a valid integer value"); }
  static EConvertError InvalidFloat(std::string_view text) {
    return Quoted(text, "' is not a valid floating point value");
  }

 private:
  static EConvertError Quoted(std::string_view text, std::string_view tail) {
    std::string message;
    message.reserve(text.size() + tail.size() + 1);
    message.push_back('\'');
    message.append(text);
    message.append(tail);
    return EConvertError(message);
  }
};

// A failed operating-system call; the message carries the system's own reason.
class EOSError : public EZelvoError {
 public:
  using EZelvoError::EZelvoError;
};

}  // namespace zelvo

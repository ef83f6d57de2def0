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

#pragma once

#include <stdexcept>
#include <string>

namespace tavo {

// A failure with one fixed English message text, such as "Payload checksum mismatch".
// Every failure of the program derives from std::runtime_error and is caught in one place: the setup flow.
class SetupError : public std::runtime_error {
 public:
  explicit SetupError(const char* message) : std::runtime_error(message) {}
  explicit SetupError(const std::string& message) : std::runtime_error(message) {}
};

// A failure that carries the operating system's own text, such as a failed character conversion.
class SystemError : public std::runtime_error {
 public:
  SystemError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const noexcept { return code_; }

 private:
  int code_;
};

}  // namespace tavo

#pragma once
// The program's one family of errors. Every layer raises them; the setup flow catches them in one place.

#include <stdexcept>
#include <string>
#include <system_error>

namespace tavo {

// A failure with one fixed English message text, such as "Payload checksum mismatch".
class Error : public std::runtime_error {
 public:
  explicit Error(const char* message) : std::runtime_error(message) {}
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A failure that carries the operating system's error code and its own text, such as a failed character
// conversion.
class SystemError : public Error {
 public:
  explicit SystemError(std::error_code code) : Error(code.message()), code_(code) {}
  const std::error_code& code() const noexcept { return code_; }

 private:
  std::error_code code_;
};

}  // namespace tavo

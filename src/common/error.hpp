#pragma once
// The program's one family of errors. Every layer raises them; the setup flow catches them in one place.

#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tavo {

// A failure with one fixed English message text, such as "Payload checksum mismatch", and optionally the reason
// behind it ("digest in upper case"). The message is what the setup reports; the reason is for those who
// must act on it (a vendor making a package, a support desk), so it never changes a message.
class Error : public std::runtime_error {
 public:
  explicit Error(const char* message) : std::runtime_error(message) {}
  explicit Error(const std::string& message) : std::runtime_error(message) {}
  Error(const char* message, std::string reason)
      : std::runtime_error(message), reason_(std::make_shared<const std::string>(std::move(reason))) {}

  // Empty when the failure gives none.
  const std::string& reason() const noexcept {
    static const std::string none;
    return reason_ ? *reason_ : none;
  }

 private:
  std::shared_ptr<const std::string> reason_;  // shared: copying an exception must not throw
};

// The message followed by its reason, if any: "Invalid software manifest: blank last line".
inline std::string message_with_reason(const Error& failure) {
  std::string text = failure.what();
  if (!failure.reason().empty()) text += ": " + failure.reason();
  return text;
}

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

#include "common/run_log.hpp"

#include <cstdint>
#include <cstdio>
#include <exception>

#include "common/utf8.hpp"

namespace tavo::run_log {
namespace {

Writer* current = nullptr;

}  // namespace

bool active() noexcept { return current != nullptr; }

void note(std::string_view text) noexcept {
  if (current != nullptr) current->line(text);
}

std::string quoted_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  out.append(text);
  out.push_back('"');
  return out;
}

std::string quoted(std::wstring_view text) { return '"' + unquoted(text) + '"'; }

std::string unquoted(std::wstring_view text) {
  // The line stays UTF-8: a byte of a POSIX name that is no UTF-8 (kept as U+DC80..U+DCFF) is shown as "\xNN",
  // a lone surrogate of a Windows name as "\uNNNN".
  std::string out;
  std::size_t start = 0;
  const auto flush = [&](std::size_t end) { out += utf8_from_wide(text.substr(start, end - start)); };
  char escape[8];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto unit = static_cast<std::uint32_t>(text[i]);
    if (unit < 0xD800 || unit > 0xDFFF) continue;
    if constexpr (sizeof(wchar_t) == 2) {
      if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        ++i;
        continue;
      }
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
    } else {
      if (unit >= 0xDC80 && unit <= 0xDCFF) {
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(unit - 0xDC00));
      } else {
        std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
      }
    }
    flush(i);
    out += escape;
    start = i + 1;
  }
  flush(text.size());
  return out;
}

std::string error_text(const std::error_code& code) {
  return std::to_string(code.value()) + " (" + code.message() + ")";
}

Recording::Recording(Writer& writer) noexcept : previous_(current) { current = &writer; }

Recording::~Recording() { current = previous_; }

std::string seconds_text(std::chrono::steady_clock::duration duration) {
  const double seconds = std::chrono::duration<double>(duration).count();
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

Step::Step(std::string name) noexcept
    : name_(std::move(name)), start_(std::chrono::steady_clock::now()), exceptions_(std::uncaught_exceptions()) {
  if (!active()) return;
  try {
    note(name_ + ": started");
  } catch (...) {
    // Out of memory for a line: the log misses it, the run goes on.
  }
}

Step::~Step() {
  if (!active()) return;
  try {
    const bool failed = std::uncaught_exceptions() > exceptions_;
    note(name_ + (failed ? ": failed (" : ": done (") + seconds_text(std::chrono::steady_clock::now() - start_) +
         " s)");
  } catch (...) {
    // Out of memory for a line: the log misses it, the run goes on.
  }
}

}  // namespace tavo::run_log

#include <cctype>
#include <cstdio>
#include <iostream>
#include <string>

#include "common/utf8.hpp"
#include "setup/message_box.hpp"
#include "setup/messages.hpp"

namespace tavo::setup {
namespace {

bool is_yes(std::string answer) {
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back()))) answer.pop_back();
  std::size_t start = 0;
  while (start < answer.size() && std::isspace(static_cast<unsigned char>(answer[start]))) ++start;
  answer.erase(0, start);
  for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer.empty() || answer == "ok" || answer == "j" || answer == "ja" || answer == "y" || answer == "yes";
}

}  // namespace

int show_message_box(const std::wstring& text, const std::wstring& title, unsigned type) {
  std::cerr << utf8_from_wide(title) << '\n' << utf8_from_wide(text) << "\n\n" << std::flush;
  if ((type & 0xF) != kBoxOkCancel) return kIdOk;
  std::string answer;
  if (!std::getline(std::cin, answer)) return kIdCancel;
  return is_yes(answer) ? kIdOk : kIdCancel;
}

}  // namespace tavo::setup

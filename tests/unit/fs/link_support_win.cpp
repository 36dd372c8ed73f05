#include <windows.h>

#include <string>

#include "common/utf8.hpp"
#include "sys/handles_win.hpp"
#include "link_support.hpp"

namespace tavo::test {
namespace {

using UnixFileName = char*(__cdecl*)(const wchar_t*);

// Wine's own export that names a Windows path's Linux file; absent on Windows.
UnixFileName wine_unix_file_name() {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  return kernel == nullptr ? nullptr
                           : reinterpret_cast<UnixFileName>(
                                 reinterpret_cast<void*>(::GetProcAddress(kernel, "wine_get_unix_file_name")));
}

std::string unix_name(UnixFileName convert, const fs::Path& path) {
  char* name = convert(path.text().c_str());
  if (name == nullptr) return {};
  std::string out(name);
  ::HeapFree(::GetProcessHeap(), 0, name);
  return out;
}

bool link_present(const fs::Path& link) {
  WIN32_FIND_DATAW data;
  win::UniqueFindHandle found(::FindFirstFileW(link.text().c_str(), &data));
  return found.valid();
}


// Runs a Linux program under Wine and waits until `link` is present or absent as wanted. Wine gives no
// waitable handle for a Linux process; the change shows within milliseconds.
bool run_linux(std::wstring command, const fs::Path& link, bool want_present) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const std::wstring program = L"Z:" + command.substr(0, command.find(L' '));
  if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return false;
  }
  win::UniqueHandle process_handle(process.hProcess);
  win::UniqueHandle thread_handle(process.hThread);
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (link_present(link) == want_present) return true;
    ::Sleep(10);
  }
  return false;
}

std::wstring quoted(const std::string& unix_path) { return L"\"" + wide_from_utf8(unix_path) + L"\""; }

}  // namespace

bool make_symbolic_link(const fs::Path& target, const fs::Path& link, bool to_folder, std::string& why_not) {
  const UnixFileName convert = wine_unix_file_name();
  if (convert == nullptr) {
    const DWORD flags = (to_folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // allow unprivileged create
    if (::CreateSymbolicLinkW(link.text().c_str(), target.text().c_str(), flags) && link_present(link)) return true;
    why_not = "CreateSymbolicLinkW failed (developer mode or the privilege to make links is missing)";
    return false;
  }
  // Wine's CreateSymbolicLinkW reports success without making a link; the Linux "ln" makes a real one.
  const std::string unix_target = unix_name(convert, target);
  const std::string unix_link = unix_name(convert, link);
  if (unix_target.empty() || unix_link.empty()) {
    why_not = "no Linux name for the link's paths";
    return false;
  }
  // Wine hands the command line to the Linux program in UTF-8, split by the Windows rules.
  if (run_linux(L"/bin/ln -s " + quoted(unix_target) + L" " + quoted(unix_link), link, true)) return true;
  why_not = "/bin/ln made no link that Wine lists";
  return false;
}

void remove_symbolic_link(const fs::Path& link) {
  const UnixFileName convert = wine_unix_file_name();
  if (convert == nullptr) {
    if (!::RemoveDirectoryW(link.text().c_str())) ::DeleteFileW(link.text().c_str());
    return;
  }
  const std::string unix_link = unix_name(convert, link);
  if (!unix_link.empty()) run_linux(L"/bin/rm -f " + quoted(unix_link), link, false);
}

bool dangling_links_are_listed() { return wine_unix_file_name() == nullptr; }

bool link_is_visible(const fs::Path& link) {
  const DWORD attributes = ::GetFileAttributesW(link.text().c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace tavo::test

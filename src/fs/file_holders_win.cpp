#include "sys/calls_win.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "common/unique_resource.hpp"
#include "fs/file_holders.hpp"
#include "fs/folder_walk_win.hpp"
#include "fs/path_forms.hpp"

namespace tavo::fs {
namespace {

// A Restart Manager session, ended when done with.
struct RestartSessionTraits {
  using type = DWORD;
  static type invalid() noexcept { return static_cast<DWORD>(-1); }
  static void close(type session) noexcept { (void)sys::RmEndSession(session); }
};
using RestartSession = UniqueResource<RestartSessionTraits>;

struct WalkEnded {};  // enough files found, or the walk failed: the files found so far are asked about

// The first kMostFilesAskedAbout files below `folder`; links are not entered.
std::vector<std::wstring> files_below(const Path& folder) {
  std::vector<std::wstring> files;
  std::wstring path = long_path_form(folder).text();
  try {
    win_walk::walk(
        path,
        [&files](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
          const EntryKind kind = win_walk::entry_kind(data.dwFileAttributes, data.dwReserved0);
          if (kind == EntryKind::file) {
            files.push_back(entry);
            if (files.size() >= kMostFilesAskedAbout) throw WalkEnded{};
          }
          return kind == EntryKind::folder;
        },
        [](const std::error_code&) { throw WalkEnded{}; }, [](const std::error_code&) { throw WalkEnded{}; });
  } catch (const WalkEnded&) {
  }
  return files;
}

// RmGetList's answer: asked with room for none first, then with the room it says it needs, again as long as the
// list grew in between (ERROR_MORE_DATA).
DWORD list_holders(DWORD session, std::vector<RM_PROCESS_INFO>& holders) {
  for (int round = 0; round < 4; ++round) {
    UINT needed = 0;
    UINT count = static_cast<UINT>(holders.size());
    DWORD reasons = RmRebootReasonNone;
    const DWORD error = sys::RmGetList(session, &needed, &count, holders.empty() ? nullptr : holders.data(), &reasons);
    if (error == ERROR_SUCCESS) {
      holders.resize(std::min<std::size_t>(count, holders.size()));
      return ERROR_SUCCESS;
    }
    if (error != ERROR_MORE_DATA) return error;
    holders.resize(needed);
  }
  return ERROR_MORE_DATA;
}

}  // namespace

// learn.microsoft.com/windows/win32/api/restartmanager/nf-restartmanager-rmstartsession, -rmregisterresources,
// -rmgetlist, -rmendsession: one session, the files registered in one call (each call is a costly write), then
// the list of the applications that use them.
std::vector<std::wstring> file_holders(const Path& folder) noexcept {
  try {
    const std::vector<std::wstring> files = files_below(folder);
    if (files.empty()) return {};
    DWORD handle = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (sys::RmStartSession(&handle, 0, key) != ERROR_SUCCESS) return {};
    const RestartSession session(handle);
    std::vector<LPCWSTR> names;
    names.reserve(files.size());
    for (const std::wstring& file : files) names.push_back(file.c_str());
    if (sys::RmRegisterResources(session.get(), static_cast<UINT>(names.size()), names.data(), 0, nullptr, 0,
                                 nullptr) != ERROR_SUCCESS) {
      return {};
    }
    std::vector<RM_PROCESS_INFO> holders;
    if (list_holders(session.get(), holders) != ERROR_SUCCESS) return {};
    std::vector<std::wstring> applications;
    for (const RM_PROCESS_INFO& holder : holders) {
      const wchar_t* const end = std::find(std::begin(holder.strAppName), std::end(holder.strAppName), L'\0');
      const std::wstring name(std::begin(holder.strAppName), end);
      if (!name.empty() && std::find(applications.begin(), applications.end(), name) == applications.end()) {
        applications.push_back(name);
      }
    }
    return applications;
  } catch (...) {
    return {};  // out of memory: nobody is named
  }
}

}  // namespace tavo::fs

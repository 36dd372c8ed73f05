#pragma once
// The door: every Win32 call of the program that touches files, folders or other processes, one inline
// function each with the call's own name and parameters. In the shipped program each is the call itself; in
// the test build each passes the gate first, which may fail it (GetLastError then holds the planned code) or
// run a test's hook just before it, and plays the "Windows as documented" rules that a test switched on.
// Nothing outside src/sys makes these calls directly.

#include <windows.h>
#include <restartmanager.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winternl.h>

#include "sys/documented_win.hpp"
#include "sys/gate.hpp"

namespace tavo::sys {

namespace detail {
inline bool refused_path(const char* call, const wchar_t* path, std::size_t limit = MAX_PATH) noexcept {
  return refused(call) || documented::refuses_path(path, limit);
}
// What an elevated launch was given as the owner of its consent prompt, in words a test compares.
inline const char* owner_kind(HWND owner) noexcept {
  if (owner == nullptr) return "owner=none";
  DWORD process = 0;
  ::GetWindowThreadProcessId(owner, &process);
  if (process != ::GetCurrentProcessId()) return "owner=window of another process";
  return ::IsWindowVisible(owner) ? "owner=visible window of this process" : "owner=hidden window of this process";
}
inline bool refused_paths(const char* call, const wchar_t* a, const wchar_t* b) noexcept {
  return refused(call) || documented::refuses_path(a) || documented::refuses_path(b);
}
}  // namespace detail

// Files and folders.
inline HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE template_file) noexcept {
  return detail::refused_path("CreateFileW", name)
             ? INVALID_HANDLE_VALUE
             : ::CreateFileW(name, access, share, security, disposition, flags, template_file);
}
// A refused close still closes: the handle is not to be used again either way.
inline BOOL CloseHandle(HANDLE handle) noexcept {
  if (!refused("CloseHandle")) return ::CloseHandle(handle);
  const DWORD planned = ::GetLastError();
  ::CloseHandle(handle);
  ::SetLastError(planned);
  return FALSE;
}
inline BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) noexcept {
  return refused("ReadFile") ? FALSE : ::ReadFile(file, buffer, size, read, overlapped);
}
inline BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) noexcept {
  return refused("WriteFile") ? FALSE : ::WriteFile(file, buffer, size, written, overlapped);
}
inline BOOL SetEndOfFile(HANDLE file) noexcept { return refused("SetEndOfFile") ? FALSE : ::SetEndOfFile(file); }
inline BOOL FlushFileBuffers(HANDLE file) noexcept {
  return refused("FlushFileBuffers") ? FALSE : ::FlushFileBuffers(file);
}
// A file's data flush without the storage's cache flush (FLUSH_FLAGS_NO_SYNC). An ntdll routine, resolved once;
// where it is missing the call fails with ERROR_PROC_NOT_FOUND and the caller flushes with FlushFileBuffers.
// A failure leaves its Win32 code in GetLastError, as the other calls do.
inline constexpr ULONG kFlushFlagsNoSync = 0x00000002;  // FLUSH_FLAGS_NO_SYNC of ntifs.h
namespace detail {
using NtFlushBuffersFileExRoutine = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PIO_STATUS_BLOCK);
using RtlNtStatusToDosErrorRoutine = ULONG(NTAPI*)(NTSTATUS);
template <typename Routine>
Routine ntdll_routine(const char* name) noexcept {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll == nullptr ? nullptr : reinterpret_cast<Routine>(reinterpret_cast<void*>(::GetProcAddress(ntdll, name)));
}
}  // namespace detail
inline NTSTATUS NtFlushBuffersFileEx(HANDLE file, ULONG flags, PVOID parameters, ULONG parameters_size,
                                     PIO_STATUS_BLOCK status) noexcept {
  constexpr NTSTATUS kUnsuccessful = static_cast<NTSTATUS>(0xC0000001L);
  if (refused("NtFlushBuffersFileEx")) return kUnsuccessful;  // GetLastError holds the planned code
  static const auto routine = detail::ntdll_routine<detail::NtFlushBuffersFileExRoutine>("NtFlushBuffersFileEx");
  static const auto to_win32 = detail::ntdll_routine<detail::RtlNtStatusToDosErrorRoutine>("RtlNtStatusToDosError");
  if (routine == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return kUnsuccessful;
  }
  const NTSTATUS result = routine(file, flags, parameters, parameters_size, status);
  if (result < 0) ::SetLastError(to_win32 != nullptr ? to_win32(result) : ERROR_GEN_FAILURE);
  return result;
}
inline DWORD GetFileType(HANDLE file) noexcept {
  if (refused("GetFileType")) return FILE_TYPE_UNKNOWN;
  return ::GetFileType(file);
}
inline BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) noexcept {
  if (refused("GetFileInformationByHandle") || !::GetFileInformationByHandle(file, info)) return FALSE;
  documented::mark_handle(file, info->dwFileAttributes, nullptr);
  return TRUE;
}
inline BOOL GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                         DWORD size) noexcept {
  if (refused("GetFileInformationByHandleEx") || !::GetFileInformationByHandleEx(file, kind, info, size)) return FALSE;
  if (kind == FileAttributeTagInfo) {
    auto* tag_info = static_cast<FILE_ATTRIBUTE_TAG_INFO*>(info);
    documented::mark_handle(file, tag_info->FileAttributes, &tag_info->ReparseTag);
  } else if (kind == FileBasicInfo) {
    documented::mark_handle(file, static_cast<FILE_BASIC_INFO*>(info)->FileAttributes, nullptr);
  }
  return TRUE;
}
inline DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR buffer, DWORD size, DWORD flags) noexcept {
  return refused("GetFinalPathNameByHandleW") ? 0 : ::GetFinalPathNameByHandleW(file, buffer, size, flags);
}
inline DWORD GetFileAttributesW(LPCWSTR name) noexcept {
  if (detail::refused_path("GetFileAttributesW", name)) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = ::GetFileAttributesW(name);
  if (attributes != INVALID_FILE_ATTRIBUTES) documented::mark_entry(name, attributes, nullptr);
  return attributes;
}
inline BOOL GetFileAttributesExW(LPCWSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info) noexcept {
  if (detail::refused_path("GetFileAttributesExW", name) || !::GetFileAttributesExW(name, level, info)) return FALSE;
  documented::mark_entry(name, static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(info)->dwFileAttributes, nullptr);
  return TRUE;
}
inline BOOL SetFileAttributesW(LPCWSTR name, DWORD attributes) noexcept {
  return detail::refused_path("SetFileAttributesW", name) ? FALSE : ::SetFileAttributesW(name, attributes);
}
inline BOOL CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES security) noexcept {
  return detail::refused_path("CreateDirectoryW", name, documented::kCreateDirectoryLimit)
             ? FALSE
             : ::CreateDirectoryW(name, security);
}
inline BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) noexcept {
  note_flags("MoveFileExW", flags);
  if (detail::refused_paths("MoveFileExW", from, to) || documented::holds_rename(from)) return FALSE;
  return ::MoveFileExW(from, to, flags);
}
inline BOOL CopyFileExW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                        DWORD flags) noexcept {
  return detail::refused_paths("CopyFileExW", from, to) ? FALSE
                                                        : ::CopyFileExW(from, to, progress, data, cancel, flags);
}
inline BOOL DeleteFileW(LPCWSTR name) noexcept {
  return detail::refused_path("DeleteFileW", name) ? FALSE : ::DeleteFileW(name);
}
inline BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) noexcept {
  return detail::refused_path("WritePrivateProfileStringW", file)
             ? FALSE
             : ::WritePrivateProfileStringW(section, key, value, file);
}

// Folder listings: entries that a test made reparse points show the bit and their tag (dwReserved0).
inline HANDLE FindFirstFileExW(LPCWSTR pattern, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW* data,
                               FINDEX_SEARCH_OPS search, LPVOID filter, DWORD flags) noexcept {
  if (detail::refused_path("FindFirstFileExW", pattern)) return INVALID_HANDLE_VALUE;
  const HANDLE found = ::FindFirstFileExW(pattern, level, data, search, filter, flags);
  if (found != INVALID_HANDLE_VALUE) documented::mark_entry(data->cFileName, data->dwFileAttributes, &data->dwReserved0);
  return found;
}
inline BOOL FindNextFileW(HANDLE listing, WIN32_FIND_DATAW* data) noexcept {
  if (refused("FindNextFileW") || !::FindNextFileW(listing, data)) return FALSE;
  documented::mark_entry(data->cFileName, data->dwFileAttributes, &data->dwReserved0);
  return TRUE;
}

// The Restart Manager (rstrtmgr.dll): which programs hold files open. Its functions return their error instead
// of setting the last error; a refusal returns the planned code. RmGetList plays the holder of a held rename
// when a test chose one.
inline DWORD RmStartSession(DWORD* session, DWORD flags, WCHAR* key) noexcept {
  return refused("RmStartSession") ? ::GetLastError() : ::RmStartSession(session, flags, key);
}
inline DWORD RmRegisterResources(DWORD session, UINT file_count, LPCWSTR* files, UINT application_count,
                                 RM_UNIQUE_PROCESS* applications, UINT service_count, LPCWSTR* services) noexcept {
  return refused("RmRegisterResources") ? ::GetLastError()
                                        : ::RmRegisterResources(session, file_count, files, application_count,
                                                                applications, service_count, services);
}
inline DWORD RmGetList(DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO* applications,
                       LPDWORD reboot_reasons) noexcept {
  if (refused("RmGetList")) return ::GetLastError();
  DWORD played = ERROR_SUCCESS;
  if (documented::plays_holder(needed, count, applications, reboot_reasons, played)) return played;
  return ::RmGetList(session, needed, count, applications, reboot_reasons);
}
inline DWORD RmEndSession(DWORD session) noexcept {
  return refused("RmEndSession") ? ::GetLastError() : ::RmEndSession(session);
}

// Processes.
inline BOOL CreateProcessW(LPCWSTR application, LPWSTR command_line, LPSECURITY_ATTRIBUTES process_security,
                           LPSECURITY_ATTRIBUTES thread_security, BOOL inherit, DWORD flags, LPVOID environment,
                           LPCWSTR directory, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION info) noexcept {
  return detail::refused_path("CreateProcessW", application)
             ? FALSE
             : ::CreateProcessW(application, command_line, process_security, thread_security, inherit, flags,
                                environment, directory, startup, info);
}
inline BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) noexcept {
  if (notes_wanted()) note(detail::owner_kind(info->hwnd));
  return detail::refused_path("ShellExecuteExW", info->lpFile) ? FALSE : ::ShellExecuteExW(info);
}
inline DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) noexcept {
  return refused("WaitForSingleObject") ? WAIT_FAILED : ::WaitForSingleObject(handle, milliseconds);
}
inline BOOL GetExitCodeProcess(HANDLE process, LPDWORD code) noexcept {
  return refused("GetExitCodeProcess") ? FALSE : ::GetExitCodeProcess(process, code);
}

// Names of the process and its folders: not failed by the switch, they change nothing.
inline DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) noexcept {
  return ::GetModuleFileNameW(module, buffer, size);
}
inline DWORD GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* file_part) noexcept {
  return ::GetFullPathNameW(name, size, buffer, file_part);
}
inline HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path) noexcept {
  return ::SHGetKnownFolderPath(id, flags, token, path);
}
inline DWORD GetTempPathW(DWORD size, LPWSTR buffer) noexcept {
  return refused("GetTempPathW") ? 0 : ::GetTempPathW(size, buffer);
}
inline LPWSTR GetCommandLineW() noexcept { return ::GetCommandLineW(); }
inline LPWSTR* CommandLineToArgvW(LPCWSTR command_line, int* count) noexcept {
  return ::CommandLineToArgvW(command_line, count);
}
inline DWORD GetCurrentProcessId() noexcept { return ::GetCurrentProcessId(); }
inline void Sleep(DWORD milliseconds) noexcept { ::Sleep(milliseconds); }
inline HANDLE GetStdHandle(DWORD which) noexcept { return ::GetStdHandle(which); }
inline BOOL GetConsoleMode(HANDLE console, LPDWORD mode) noexcept { return ::GetConsoleMode(console, mode); }

// Long paths: the settings writer rewrites its file on the one handle it read it with; the calls that take no
// "\\?\" (a program to start, its folder) are given the 8.3 short name of a long path.
inline BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER position, DWORD method) noexcept {
  return refused("SetFilePointerEx") ? FALSE : ::SetFilePointerEx(file, distance, position, method);
}
inline DWORD GetShortPathNameW(LPCWSTR long_path, LPWSTR buffer, DWORD size) noexcept {
  return ::GetShortPathNameW(long_path, buffer, size);
}

}  // namespace tavo::sys

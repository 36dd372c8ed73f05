#pragma once
// The door: every POSIX call of the program, one inline function each with the call's own name and
// parameters. In the shipped program each is the call itself; in the test build each passes the gate first,
// which may fail it (errno then holds the planned code) or run a test's hook just before it.
// Nothing outside src/sys includes the system's headers or makes these calls directly.

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "sys/gate.hpp"

extern "C" char** environ;

namespace tavo::sys {

// Files and folders.
inline int open(const char* path, int flags, mode_t mode = 0) noexcept {
  return refused("open") ? -1 : ::open(path, flags, mode);
}
inline int openat(int dir, const char* path, int flags, mode_t mode = 0) noexcept {
  return refused("openat") ? -1 : ::openat(dir, path, flags, mode);
}
// A refused close still closes, as Linux does when close reports an error.
inline int close(int fd) noexcept {
  if (!refused("close")) return ::close(fd);
  const int planned = errno;
  ::close(fd);
  errno = planned;
  return -1;
}
inline ssize_t read(int fd, void* buffer, size_t size) noexcept {
  return refused("read") ? -1 : ::read(fd, buffer, size);
}
inline ssize_t write(int fd, const void* buffer, size_t size) noexcept {
  return refused("write") ? -1 : ::write(fd, buffer, size);
}
inline ssize_t pwrite(int fd, const void* buffer, size_t size, off_t offset) noexcept {
  return refused("pwrite") ? -1 : ::pwrite(fd, buffer, size, offset);
}
inline off_t lseek(int fd, off_t offset, int whence) noexcept {
  return refused("lseek") ? -1 : ::lseek(fd, offset, whence);
}
inline int ftruncate(int fd, off_t length) noexcept { return refused("ftruncate") ? -1 : ::ftruncate(fd, length); }
inline int fsync(int fd) noexcept { return refused("fsync") ? -1 : ::fsync(fd); }
inline int syncfs(int fd) noexcept { return refused("syncfs") ? -1 : ::syncfs(fd); }
inline int fchmod(int fd, mode_t mode) noexcept { return refused("fchmod") ? -1 : ::fchmod(fd, mode); }
inline int posix_fadvise(int fd, off_t offset, off_t length, int advice) noexcept {
  return refused("posix_fadvise") ? errno : ::posix_fadvise(fd, offset, length, advice);
}
inline int sync_file_range(int fd, off64_t offset, off64_t count, unsigned flags) noexcept {
  return refused("sync_file_range") ? -1 : ::sync_file_range(fd, offset, count, flags);
}
inline ssize_t sendfile(int out, int in, off_t* offset, size_t count) noexcept {
  return refused("sendfile") ? -1 : ::sendfile(out, in, offset, count);
}
inline ssize_t copy_file_range(int in, off64_t* in_offset, int out, off64_t* out_offset, size_t length,
                               unsigned flags) noexcept {
  return refused("copy_file_range") ? -1 : ::copy_file_range(in, in_offset, out, out_offset, length, flags);
}
inline int fstat(int fd, struct stat* status) noexcept { return refused("fstat") ? -1 : ::fstat(fd, status); }
inline int fstatat(int dir, const char* path, struct stat* status, int flags) noexcept {
  return refused("fstatat") ? -1 : ::fstatat(dir, path, status, flags);
}
inline int stat(const char* path, struct stat* status) noexcept {
  return refused("stat") ? -1 : ::stat(path, status);
}
inline int lstat(const char* path, struct stat* status) noexcept {
  return refused("lstat") ? -1 : ::lstat(path, status);
}
inline int access(const char* path, int mode) noexcept { return refused("access") ? -1 : ::access(path, mode); }
inline int mkdir(const char* path, mode_t mode) noexcept { return refused("mkdir") ? -1 : ::mkdir(path, mode); }
inline int mkdirat(int dir, const char* path, mode_t mode) noexcept {
  return refused("mkdirat") ? -1 : ::mkdirat(dir, path, mode);
}
inline int rename(const char* from, const char* to) noexcept {
  return refused("rename") ? -1 : ::rename(from, to);
}
inline int renameat(int from_dir, const char* from, int to_dir, const char* to) noexcept {
  return refused("renameat") ? -1 : ::renameat(from_dir, from, to_dir, to);
}
inline int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) noexcept {
  note_flags("renameat2", flags);
  return refused("renameat2") ? -1 : ::renameat2(from_dir, from, to_dir, to, flags);
}
inline int unlink(const char* path) noexcept { return refused("unlink") ? -1 : ::unlink(path); }
inline int unlinkat(int dir, const char* path, int flags) noexcept {
  return refused("unlinkat") ? -1 : ::unlinkat(dir, path, flags);
}
inline ssize_t readlink(const char* path, char* buffer, size_t size) noexcept {
  return refused("readlink") ? -1 : ::readlink(path, buffer, size);
}
inline char* getcwd(char* buffer, size_t size) noexcept { return refused("getcwd") ? nullptr : ::getcwd(buffer, size); }

// Folder listings.
inline DIR* fdopendir(int fd) noexcept { return refused("fdopendir") ? nullptr : ::fdopendir(fd); }
inline dirent* readdir(DIR* listing) noexcept { return refused("readdir") ? nullptr : ::readdir(listing); }
inline int dirfd(DIR* listing) noexcept { return ::dirfd(listing); }  // the listing's own descriptor: no call

// Processes.
inline int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                       const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) noexcept {
  return refused("posix_spawn") ? errno : ::posix_spawn(pid, path, actions, attributes, argv, envp);
}
inline pid_t waitpid(pid_t pid, int* status, int options) noexcept {
  return refused("waitpid") ? -1 : ::waitpid(pid, status, options);
}

// The process itself and its terminal: not failed by the switch, they touch neither files nor other processes.
inline pid_t getpid() noexcept { return ::getpid(); }
inline uid_t geteuid() noexcept { return ::geteuid(); }
inline int isatty(int fd) noexcept { return ::isatty(fd); }
inline int nanosleep(const timespec* duration, timespec* remaining) noexcept {
  return ::nanosleep(duration, remaining);
}

}  // namespace tavo::sys

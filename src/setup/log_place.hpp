#pragma once
// Where a run's log goes unless the command line names a place: the user's folder for temporary files, under a
// name that says when the run started and which process it was.

#include <cstdint>
#include <optional>
#include <string>

#include "fs/path.hpp"

namespace tavo::setup {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

// "TAVO-Setup <YYYY-MM-DD HH-MM-SS> <pid>.log"
std::wstring log_file_name(const LocalTime& time, std::uint32_t process_id);

// The platform halves: the clock on the wall, and the folder for temporary files (GetTempPathW on Windows;
// $TMPDIR, else /tmp). Nothing when the folder cannot be learnt.
LocalTime local_time_now() noexcept;
std::optional<fs::Path> temporary_folder();

// The default log of this run: the temporary folder joined with log_file_name.
std::optional<fs::Path> default_log_file(std::uint32_t process_id);

}  // namespace tavo::setup

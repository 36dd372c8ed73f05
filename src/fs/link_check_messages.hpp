#pragma once
// Texts and operation names of the link check, shared by its platform halves.

namespace tavo::fs::link_check {

inline constexpr char linked_root[] = "Linked source folders are unsupported";
inline constexpr char linked_entry[] = "Linked source files are unsupported";
inline constexpr char open_walk[] = "recursive_directory_iterator::recursive_directory_iterator";
inline constexpr char advance_walk[] = "recursive_directory_iterator::operator++";

}  // namespace tavo::fs::link_check

#include <unistd.h>

#include "stand_in_tools.hpp"

namespace tavo::test {

// As root the installer runs directly; otherwise pkexec would ask somebody.
bool elevation_without_prompt() { return ::geteuid() == 0; }

}  // namespace tavo::test

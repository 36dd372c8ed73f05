#include "package/problems.hpp"

#include <stdexcept>

namespace tavo::package {

void ProblemList::note_current(const std::string& file) {
  try {
    throw;
  } catch (const std::runtime_error& failure) {
    add(file, failure.what());
  }
}

}  // namespace tavo::package

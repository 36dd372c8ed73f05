#include "support/wine_detection.hpp"

namespace tavo::test {

bool running_under_wine() { return false; }

}  // namespace tavo::test

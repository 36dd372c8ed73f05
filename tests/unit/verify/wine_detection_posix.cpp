#include "wine_detection.hpp"

namespace tavo::verify::test {

bool running_under_wine() { return false; }

}  // namespace tavo::verify::test

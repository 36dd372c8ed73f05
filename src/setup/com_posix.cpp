#include "setup/com.hpp"

namespace tavo::setup {

// There is no COM off Windows; the flow still pairs the two calls.
long initialize_com() { return 0; }

void uninitialize_com() {}

}  // namespace tavo::setup

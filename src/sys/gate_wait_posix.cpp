#if defined(TAVO_TEST_BUILD)

#include <time.h>

#include "sys/gate_wait.hpp"

namespace tavo::sys::detail {

void wait_a_moment() noexcept {
  const timespec moment{0, 5 * 1000 * 1000};
  ::nanosleep(&moment, nullptr);
}

}  // namespace tavo::sys::detail

#endif

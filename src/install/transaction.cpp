#include "install/transaction.hpp"

#include "common/setup_error.hpp"

namespace tavo::install {

void prepare_installation(const fs::Path&, const fs::Path&, const fs::Path&) {
  throw SetupError("Installation not available yet");
}

}  // namespace tavo::install

#include <windows.h>
#include <objbase.h>

#include "setup/com.hpp"

namespace tavo::setup {

long initialize_com() { return ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }

void uninitialize_com() { ::CoUninitialize(); }

}  // namespace tavo::setup

#pragma once

namespace tavo::setup {

// CoInitializeEx for a single-threaded apartment; the HRESULT (non-negative: release with uninitialize_com).
long initialize_com();
void uninitialize_com();

}  // namespace tavo::setup

// Start-up glue: what the application needs before its window is built.
#pragma once

namespace platform {

// The window's face is Times New Roman; where the system lacks it, the
// metric-compatible Liberation Serif carried in the executable stands in.
void InstallWindowFont();

}  // namespace platform

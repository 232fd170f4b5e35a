// Start-up glue: what the application needs before its window is built.
#pragma once

namespace platform {

// The window's face is Times New Roman; where the system lacks it, the
// metric-compatible Liberation Serif carried in the executable stands in.
void InstallWindowFont();

// Where the user's session has no message bus, the accessibility bridge would
// have libdbus start one of its own (dbus-launch --autolaunch), which writes
// files and leaves a daemon running. Call before the application object.
void PreventBusAutolaunch();

}  // namespace platform

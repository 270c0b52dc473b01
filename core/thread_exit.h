// Work to do on each thread that exits while the plugin is loaded. The
// library entry point runs the callbacks on its thread-detach notification,
// on the exiting thread itself.
#pragma once

// At most a few callbacks; false when there is no room left for another.
bool AddThreadExitCallback(void (*callback)());
void RunThreadExitCallbacks();

// What differs between the systems the program runs on beyond their calls.
#pragma once

// Whether a copy in the system's program folders is the installed program, which keeps its
// files in the user's data folder (Linux); on Windows every copy is portable.
bool HasInstalledPlace();
// Whether the environment names a display (X11, Wayland, or a platform chosen for the
// toolkit); on Windows a window station is always there.
bool DisplayNamed();

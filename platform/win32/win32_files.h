// What the Windows files layer adds to platform/files.h.
#pragma once

namespace platform::win32 {

// On for the game: a relative file it writes (level.dat) that cannot be written in the game's
// folder (Program Files) goes to %LOCALAPPDATA%\Yelko\ instead, and is read from there from
// then on. Off by default, so the tools write where they are told or fail.
void UseUserFolderFallback(bool on);

}  // namespace platform::win32

// The player's own settings: the keys file, the sound turned off, the board drawn at whole
// multiples of its size only, the warning when stuck turned off. The desktop game reads them at its
// start; the replay runner and the tests play with the game's own keys and sound.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Where the keys file lives on Linux ("" without a settings folder).
inline constexpr const char* KeysSettingName = "keys";
// How long a problem with the keys file stands on the status line.
inline constexpr std::uint32_t KeysNoticeMs = 10000;

// Reads the saved settings (sound, whole pixels), and on the desktop the keys file into the
// action table (a bad line is said once, on the status line and standard error, and left out).
// The browser's page has no keys file of its own: it reads the saved settings only.
void LoadPlayerSettings(bool keysFile = true);
// True once the keys file was looked for (the help then says where it is).
bool KeysFileUsed();
// The problem with the keys file leaves the status line once it has stood long enough;
// otherwise, the milliseconds it still stands (0 when there is none).
std::uint32_t KeysNoticeLeft();

void ToggleMute();
void ToggleWholePixels();
// View > Warn when stuck (on unless the player turned it off).
void ToggleStuckWarning();
// The menu's check marks for the settings.
void ShowSettingsInMenu(platform::Window window);

void ResetSettingsState();

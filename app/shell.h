// The program's spine: the window, its menu and About box, the main loop and messages.
#pragma once

#include <cstdint>
#include <vector>

#include "app/level_start.h"
#include "platform/platform.h"

// Menu command ids.
inline constexpr std::uint16_t CmdExit = 2;
inline constexpr std::uint16_t CmdAbout = 4;
inline constexpr std::uint16_t CmdReset = 5;
inline constexpr std::uint16_t CmdLevelBase = LevelCommandBase;

// The window's menu: "&File" (Reset, Levels > Level 1..4, Exit) and "&Help" (About).
std::vector<platform::MenuEntry> GameMenu();

int WinMain(std::uintptr_t instance, std::uintptr_t previousInstance, const char* commandLine,
            int showCommand);
std::int64_t WindowProc(platform::Window window, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t lParam);
void OnMenuCommand(platform::Window window, std::uint16_t id, std::int64_t control,
                   std::uint16_t notification);
void ShowAboutBox(platform::Window window);
std::int64_t AboutDialogProc(platform::Window dialog, std::uint32_t message, std::uint64_t wParam,
                             std::int64_t lParam);

void ResetShellState();

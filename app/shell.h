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
inline constexpr std::uint16_t CmdNextLevel = 60;
inline constexpr std::uint16_t CmdFullScreen = 61;
inline constexpr std::uint16_t CmdWholePixels = 62;
inline constexpr std::uint16_t CmdMute = 63;
inline constexpr std::uint16_t CmdHowToPlay = 64;
inline constexpr std::uint16_t CmdLevelSelect = 65;
// File > New puzzle > Easy .. Expert: CmdNewPuzzleBase + grade.
inline constexpr std::uint16_t CmdNewPuzzleBase = 40;
inline constexpr std::uint16_t CmdDailyPuzzle = 44;
inline constexpr std::uint16_t CmdEnterCode = 45;
inline constexpr std::uint16_t CmdCancelPuzzle = 46;
// Also what Ctrl+C and Ctrl+V send, in every backend.
inline constexpr std::uint16_t CmdCopyCode = platform::CmdCopyCode;
inline constexpr std::uint16_t CmdPasteCode = platform::CmdPasteCode;
inline constexpr std::uint16_t CmdWarnStuck = 49;
inline constexpr std::uint16_t CmdShowSolution = 68;

// The window's menu: "&File" (Reset, Levels > Level 1..5, Level select..., Next level, Exit),
// "&View" (Full screen, Whole pixels only, Mute) and "&Help" (How to play, About), with the keys
// that do the same as their items.
std::vector<platform::MenuEntry> GameMenu();

int WinMain(std::uintptr_t instance, std::uintptr_t previousInstance, const char* commandLine,
            int showCommand);
std::int64_t WindowProc(platform::Window window, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t lParam);
void OnMenuCommand(platform::Window window, std::uint16_t id, std::int64_t control,
                   std::uint16_t notification);
void ShowAboutBox(platform::Window window);
// After a frame: the keys that belong to the window rather than to play or the editor (full
// screen, mute, help).
void HandleWindowKeys(platform::Window window);
std::int64_t AboutDialogProc(platform::Window dialog, std::uint32_t message, std::uint64_t wParam,
                             std::int64_t lParam);

void ResetShellState();

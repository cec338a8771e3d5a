// The window, its menu and About box, the main loop and its messages, and starting a level.
#include "app/shell.h"

#include <algorithm>

#include "app/assets.h"
#include "app/play_frame.h"
#include "app/progress.h"
#include "app/status.h"
#include "board/level_file.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "input/input.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"

namespace {

constexpr const char* WindowClassName = "WINXCLASS";
constexpr const char* WindowTitle = "Yelko";
// The loop also leaves on this identifier, which no window system message uses.
constexpr std::uint32_t EndOfLoopMessage = 0xFFFFFFFF;

}  // namespace

std::vector<platform::MenuEntry> GameMenu() {
  return {
      {"&File", 0, 0, true},
      {"Reset", CmdReset, 1, true},
      {"Levels", 0, 1, true},
      {"Level 1", CmdLevelBase + 1, 2, false},
      {"Level 2", CmdLevelBase + 2, 2, false},
      {"Level 3", CmdLevelBase + 3, 2, false},
      {"Level 4", CmdLevelBase + 4, 2, false},
      {"Level 5", CmdLevelBase + 5, 2, false},
      {"Exit", CmdExit, 1, true},
      {"&Help", 0, 0, true},
      {"&About Yelko", CmdAbout, 1, true},
  };
}

namespace {

std::int32_t LowWordSigned(std::int64_t v) {
  return std::int16_t(std::uint16_t(v & 0xFFFF));
}
std::int32_t HighWordSigned(std::int64_t v) {
  return std::int16_t(std::uint16_t((v >> 16) & 0xFFFF));
}

}  // namespace

int WinMain(std::uintptr_t, std::uintptr_t, const char*, int) {
  if (!platform::RegisterWindowClass(WindowClassName, WindowProc)) return 0;
  const platform::Window window =
      platform::CreateGameWindow(WindowClassName, WindowTitle, GameMenu());
  if (window == 0) return 0;
  MainWindow = window;

  GameInit();
  StartLevel();

  // Never waits for a message: at most one is handled per turn, and a frame runs in every
  // turn while the game window is active.
  platform::Message message{};
  for (;;) {
    if (platform::PeekMessage(&message)) {
      platform::DispatchMessage(message);
      if (message.id == platform::WM_QUIT || message.id == platform::WM_DESTROY ||
          message.id == EndOfLoopMessage) {
        break;
      }
    }
    if (platform::GetActiveWindow() == MainWindow) {
      if (EditorMode) {
        EditorFrame();
      } else {
        PlayFrame();
      }
      UpdateStatusLine();
    }
  }

  GameShutdown();
  return int(message.wParam);
}

std::int64_t WindowProc(platform::Window window, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t lParam) {
  switch (message) {
    case platform::WM_CREATE:
      CurrentLevel = LoadProgress();
      EnableLevelMenu(std::max<std::int32_t>(CurrentLevel, LoadReachedLevel()));
      return 0;
    case platform::WM_DESTROY:
      platform::PostQuitMessage(0);
      return 0;
    case platform::WM_PAINT:
    case platform::WM_KEYDOWN:
      // Frames draw on their own; keys reach the game through the keyboard snapshot.
      return 0;
    case platform::WM_COMMAND:
      OnMenuCommand(window, std::uint16_t(wParam & 0xFFFF), lParam,
                    std::uint16_t((wParam >> 16) & 0xFFFF));
      return 0;
    case platform::WM_LBUTTONDOWN:
      LeftClickPending = 1;
      ClickX = LowWordSigned(lParam);
      ClickY = HighWordSigned(lParam);
      return 0;
    case platform::WM_RBUTTONDOWN:
      RightClickPending = 1;
      ClickX = LowWordSigned(lParam);
      ClickY = HighWordSigned(lParam);
      return 0;
    default:
      // Deliberate: a double click's second press (WM_xBUTTONDBLCLK) sets no latch.
      return platform::DefWindowProc(window, message, wParam, lParam);
  }
}

void OnMenuCommand(platform::Window window, std::uint16_t id, std::int64_t control,
                   std::uint16_t notification) {
  switch (id) {
    case CmdExit:
      platform::DestroyWindow(window);
      return;
    case CmdAbout:
      ShowAboutBox(window);
      return;
    case CmdReset:
      ResetLevel();
      return;
    default:
      if (id > CmdLevelBase && id <= CmdLevelBase + LevelCount) {
        // Choosing a level leaves the saved progress as it is.
        CurrentLevel = std::uint8_t(id - CmdLevelBase);
        ResetLevel();
        return;
      }
      platform::DefWindowProc(window, platform::WM_COMMAND,
                              std::uint64_t(id) | std::uint64_t(notification) << 16, control);
  }
}

void ShowAboutBox(platform::Window window) {
  const platform::DialogTemplate about{
      "Yelko",
      {
          "Version 1.0",
          " The object of this puzzle game is simple:",
          " Collect the balls.",
          " Use the arrowkeys to move the red man.",
          " The blue platforms move with him.",
          " When you solve a level the next level",
          " is enabled ( in File/Levels ).",
      },
  };
  platform::DialogBox(window, about, AboutDialogProc);
}

std::int64_t AboutDialogProc(platform::Window dialog, std::uint32_t message, std::uint64_t wParam,
                             std::int64_t) {
  if (message == platform::WM_INITDIALOG) return 1;
  if (message == platform::WM_COMMAND) {
    const std::uint64_t button = wParam & 0xFFFF;
    if (button == 1 || button == 2) platform::EndDialog(dialog, 1);  // OK, or Escape / close
  }
  return 0;
}

void ResetShellState() {}

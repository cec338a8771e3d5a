// The window, its menu and About box, the main loop and its messages, and starting a level.
#include "app/shell.h"

#include <algorithm>
#include <string>

#include "app/assets.h"
#include "app/collections.h"
#include "app/editor_play.h"
#include "app/finale.h"
#include "app/help.h"
#include "app/level_select.h"
#include "app/play_frame.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "app/rest.h"
#include "app/settings.h"
#include "app/status.h"
#include "board/level_file.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "input/actions.h"
#include "input/input.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"

namespace {

constexpr const char* WindowClassName = "WINXCLASS";
constexpr const char* WindowTitle = "Yelko";
// The loop also leaves on this identifier, which no window system message uses.
constexpr std::uint32_t EndOfLoopMessage = 0xFFFFFFFF;

}  // namespace

std::vector<platform::MenuEntry> GameMenu() {
  const auto key = [](Action action) -> const char* {
    const char* name = ActionKeyName(action, false);
    return name[0] != '\0' ? name : nullptr;
  };
  // Show solution's key: Shift with the hint's, or a key of its own.
  static std::string solutionKey;
  solutionKey = key(Action::Hint) != nullptr ? std::string("Shift+") + key(Action::Hint) : "";
  if (key(Action::Solution) != nullptr) solutionKey = key(Action::Solution);
  std::vector<platform::MenuEntry> menu = {
      {"&File", 0, 0, true},
      {"Reset", CmdReset, 1, true, false, key(Action::Restart)},
      {"Levels", 0, 1, true},
      {"Level 1", CmdLevelBase + 1, 2, false},
      {"Level 2", CmdLevelBase + 2, 2, false},
      {"Level 3", CmdLevelBase + 3, 2, false},
      {"Level 4", CmdLevelBase + 4, 2, false},
      {"Level 5", CmdLevelBase + 5, 2, false},
      {"Level select\xE2\x80\xA6", CmdLevelSelect, 1, true, false, key(Action::Levels)},
      {"New puzzle", 0, 1, true},
      {"Easy", CmdNewPuzzleBase + int(Grade::Easy), 2, true},
      {"Medium", CmdNewPuzzleBase + int(Grade::Medium), 2, true},
      {"Hard", CmdNewPuzzleBase + int(Grade::Hard), 2, true, false, key(Action::NewPuzzle)},
      {"Expert", CmdNewPuzzleBase + int(Grade::Expert), 2, true},
      {"Daily puzzle", CmdDailyPuzzle, 1, true},
      {"Enter code\xE2\x80\xA6", CmdEnterCode, 1, true},
      {"Copy code", CmdCopyCode, 1, true, false, "Ctrl+C"},
      {"Paste code or level", CmdPasteCode, 1, true, false, "Ctrl+V"},
      {"Stop making the puzzle", CmdCancelPuzzle, 1, false},
      {"Next level", CmdNextLevel, 1, false, false, key(Action::Restart)},
      {"Show solution", CmdShowSolution, 1, true, false,
       solutionKey.empty() ? nullptr : solutionKey.c_str()},
      {"Exit", CmdExit, 1, true, false, "Esc"},
      {"&View", 0, 0, true},
      {"Full screen", CmdFullScreen, 1, true, false, key(Action::FullScreen)},
      {"Whole pixels only", CmdWholePixels, 1, true},
      {"Mute", CmdMute, 1, true, false, key(Action::Mute)},
      {"Warn when stuck", CmdWarnStuck, 1, true},
      {"&Help", 0, 0, true},
      {"How to play", CmdHowToPlay, 1, true, false, key(Action::Help)},
      {"&About Yelko", CmdAbout, 1, true},
  };
  // File > Open collection, after Paste: the system's dialog and the collections found.
  std::vector<platform::MenuEntry> open = {{"Open collection", 0, 1, true}};
  if (platform::HasFileDialog()) {
    open.push_back({"Choose a file\xE2\x80\xA6", CmdChooseCollection, 2, true});
  }
  for (std::size_t i = 0; i < FoundCollections().size(); ++i) {
    open.push_back(
        {FoundCollections()[i].title, std::uint16_t(CmdFoundCollectionBase + i), 2, true});
  }
  if (open.size() == 1) open.push_back({"None found", CmdFoundCollectionBase, 2, false});
  const auto paste = std::find_if(
      menu.begin(), menu.end(), [](const platform::MenuEntry& e) { return e.id == CmdPasteCode; });
  menu.insert(paste + 1, open.begin(), open.end());
  return menu;
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

  ShowSettingsInMenu(window);
  GameInit();
  StartLevel();
  StartAskedPuzzle();
  StartAskedCollection();

  // At most one message is handled per turn, and a frame runs in every turn while the game
  // window is active. When a frame leaves nothing to do, the loop waits for the player (or for
  // what the clock brings) instead of drawing the same frame again.
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
        LeaveEditor(EditorFrame());
      } else if (LevelSelectOpen()) {
        LevelSelectFrame();
      } else {
        PlayFrame();
      }
      HandleWindowKeys(window);
      const bool statusChanged = UpdateStatusLine();
      platform::EnableMenuItem(window, CmdNextLevel, NextLevelOffered());
      if (FinaleDue() && !LevelSelectOpen()) ShowFinale(window);
      const std::uint32_t rest = statusChanged ? 0 : RestAfterFrame();
      if (rest > 0) platform::WaitForInput(rest);
    }
  }

  GameShutdown();
  return int(message.wParam);
}

void HandleWindowKeys(platform::Window window) {
  const FrameInput& input = LastFrameInput();
  if (input.Pressed(Action::FullScreen)) platform::ToggleFullScreen();
  if (input.Pressed(Action::Mute)) ToggleMute();
  if (input.Pressed(Action::Help)) ShowHowToPlay(window);
  if (input.Pressed(Action::Levels) && !EditorMode && !LevelSelectOpen()) OpenLevelSelect();
  // After a solve N goes on to the next level, if there is one.
  if (input.Pressed(Action::NewPuzzle) && !EditorMode && !LevelSelectOpen() && !PlayNextLevel()) {
    NewPuzzle(Grade::Hard);
  }
}

std::int64_t WindowProc(platform::Window window, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t lParam) {
  switch (message) {
    case platform::WM_CREATE:
      CurrentLevel = LoadProgress();
      EnableLevelMenu(std::max<std::int32_t>(CurrentLevel, LoadReachedLevel()));
      MarkSolvedLevels();
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
    // A double click's second press is a press like the first: two quick right clicks step a
    // cell twice (to a ball), two quick left ones paint it twice.
    case platform::WM_LBUTTONDOWN:
    case platform::WM_LBUTTONDBLCLK:
      StopSolution();  // a click or a tap stops a solution being shown, as a key does
      LeftClickPending = 1;
      ClickX = LowWordSigned(lParam);
      ClickY = HighWordSigned(lParam);
      return 0;
    case platform::WM_DROPFILES:
      OpenGivenFiles();
      return 0;
    case platform::WM_RBUTTONDOWN:
    case platform::WM_RBUTTONDBLCLK:
      StopSolution();
      RightClickPending = 1;
      RightClickShift = (wParam & platform::MK_SHIFT) != 0;
      RightClickObject = std::uint8_t(wParam >> 16);
      ClickX = LowWordSigned(lParam);
      ClickY = HighWordSigned(lParam);
      return 0;
    case platform::WM_MOUSEMOVE:
      if (wParam & platform::MK_LBUTTON) {
        DragPending = 1;
        DragX = LowWordSigned(lParam);
        DragY = HighWordSigned(lParam);
      }
      return 0;
    default:
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
    case CmdNextLevel:
      if (!PlayNextLevel()) ResetLevel();
      return;
    case CmdLevelSelect:
      OpenLevelSelect();
      return;
    case CmdFullScreen:
      platform::ToggleFullScreen();
      return;
    case CmdWholePixels:
      ToggleWholePixels();
      return;
    case CmdMute:
      ToggleMute();
      return;
    case CmdHowToPlay:
      ShowHowToPlay(window);
      return;
    case CmdDailyPuzzle:
      PlayDailyPuzzle();
      return;
    case CmdEnterCode:
      EnterPuzzleCode(window);
      return;
    case CmdCopyCode:
      CopyPuzzleCode();
      return;
    case CmdPasteCode:
      PasteAndPlay();
      return;
    case CmdEditorBack:
      if (TestPlaying()) {
        BackToEditor();
      } else if (EditorMode) {
        LeaveEditor(EditorLeave::Play);
      }
      return;
    case CmdCancelPuzzle:
      StopMakingPuzzle();
      return;
    case CmdWarnStuck:
      ToggleStuckWarning();
      return;
    case CmdChooseCollection:
      ChooseCollectionFile(window);
      return;
    case CmdShowSolution:
      if (!EditorMode) ShowSolutionAtBoundary();
      return;
    default:
      if (id > CmdLevelBase && id <= CmdLevelBase + LevelCount) {
        PlayLevelOfFive(id - CmdLevelBase);
        return;
      }
      if (id >= CmdFoundCollectionBase && id < CmdFoundCollectionBase + MaxListedCollections) {
        OpenFoundCollection(std::size_t(id - CmdFoundCollectionBase));
        return;
      }
      if (id >= CmdNewPuzzleBase && id < CmdNewPuzzleBase + GradeCount) {
        NewPuzzle(Grade(id - CmdNewPuzzleBase));
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

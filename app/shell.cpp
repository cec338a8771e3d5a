#include "app/shell.h"

platform::Window MainWindow;
std::uintptr_t AppInstance;
std::uint8_t LeftClickPending;
std::uint8_t RightClickPending;
std::int32_t ClickX;
std::int32_t ClickY;

namespace {
constexpr const char* WindowClassName = "WINXCLASS";
constexpr const char* WindowTitle = "Yelko";
}  // namespace

void ShowMessage(const char* text) {
  platform::MessageBox(platform::FindWindow(WindowClassName, WindowTitle), text, "");
}

void ResetShellState() {
  MainWindow = 0;
  AppInstance = 0;
  LeftClickPending = RightClickPending = 0;
  ClickX = ClickY = 0;
}

int WinMain(std::uintptr_t, std::uintptr_t, const char*, int) { return 0; }

// The window system both backends share: the one game window, its class, its menu state, the
// message queue and modal dialogs. The backend only turns what the user does into messages and
// shows what this keeps.
#include <deque>
#include <string>

#include "platform/backend.h"
#include "platform/headless/headless.h"

namespace platform {
namespace {

struct WindowClass {
  std::string name;
  WindowProcFn proc = nullptr;
};

struct WindowSystem {
  Backend* backend = nullptr;
  std::vector<WindowClass> classes;
  Window gameWindow = 0;
  Window nextWindow = 1;
  std::string className;
  std::string title;
  WindowProcFn proc = nullptr;
  std::vector<MenuEntry> menu;
  std::deque<Message> queue;
  Window nextDialog = 0x1000;
  std::vector<Window> endedDialogs;
  std::string status;
  std::vector<std::string> shorterStatus;
  std::vector<GivenFile> givenFiles;
  Surface statusPicture;
};

WindowSystem& State() {
  static WindowSystem state;
  return state;
}

Backend& B() {
  if (State().backend == nullptr) State().backend = headless::GetBackend();
  return *State().backend;
}

}  // namespace

void UseBackend(Backend* backend) {
  State() = WindowSystem{};
  State().backend = backend;
}

Backend& CurrentBackend() {
  return B();
}

std::int64_t PackPoint(int x, int y) {
  return std::int64_t(std::uint16_t(std::int16_t(x))) | std::int64_t(std::uint16_t(std::int16_t(y)))
                                                            << 16;
}

bool RegisterWindowClass(const char* className, WindowProcFn proc) {
  if (className == nullptr || proc == nullptr) return false;
  for (auto& c : State().classes) {
    if (c.name == className) return false;  // already registered
  }
  State().classes.push_back({className, proc});
  return true;
}

Window CreateGameWindow(const char* className, const char* title, std::vector<MenuEntry> menu) {
  WindowSystem& s = State();
  if (className == nullptr || title == nullptr || s.gameWindow != 0) return 0;
  WindowProcFn proc = nullptr;
  for (auto& c : s.classes) {
    if (c.name == className) proc = c.proc;
  }
  if (proc == nullptr) return 0;
  if (!B().OpenWindow(title, menu)) return 0;
  s.gameWindow = s.nextWindow++;
  s.className = className;
  s.title = title;
  s.proc = proc;
  s.menu = std::move(menu);
  proc(s.gameWindow, WM_CREATE, 0, 0);
  return s.gameWindow;
}

bool PeekMessage(Message* out) {
  B().PumpEvents();
  WindowSystem& s = State();
  if (s.queue.empty()) return false;
  *out = s.queue.front();
  s.queue.pop_front();
  return true;
}

std::int64_t DispatchMessage(const Message& message) {
  WindowSystem& s = State();
  if (message.window == 0 || message.window != s.gameWindow || s.proc == nullptr) return 0;
  return s.proc(message.window, message.id, message.wParam, message.lParam);
}

void PostMessage(Window window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam) {
  auto& queue = State().queue;
  // A drag is a line from point to point: a move still waiting is only overtaken by the next.
  if (id == WM_MOUSEMOVE && !queue.empty() && queue.back().id == WM_MOUSEMOVE &&
      queue.back().window == window) {
    queue.back() = {window, id, wParam, lParam};
    return;
  }
  queue.push_back({window, id, wParam, lParam});
}

void PostQuitMessage(int exitCode) {
  State().queue.push_back({0, WM_QUIT, std::uint64_t(std::int64_t(exitCode)), 0});
}

bool DestroyWindow(Window window) {
  WindowSystem& s = State();
  if (window == 0 || window != s.gameWindow) return false;
  s.proc(window, WM_DESTROY, 0, 0);
  B().CloseWindow();
  s.gameWindow = 0;
  return true;
}

std::int64_t DefWindowProc(Window window, std::uint32_t id, std::uint64_t, std::int64_t) {
  if (id == WM_CLOSE) DestroyWindow(window);
  return 0;
}

Window GetActiveWindow() {
  WindowSystem& s = State();
  return s.gameWindow != 0 && B().HasFocus() ? s.gameWindow : 0;
}

Window FindWindow(const char* className, const char* title) {
  WindowSystem& s = State();
  if (s.gameWindow == 0 || className == nullptr || s.className != className) return 0;
  if (title != nullptr && s.title != title) return 0;
  return s.gameWindow;
}

namespace {

// Sets one flag (enabled or checked) of every menu line with the id; false when there is none.
bool SetMenuFlag(Window window, std::uint16_t id, bool MenuEntry::*flag, bool value) {
  WindowSystem& s = State();
  if (window == 0 || window != s.gameWindow || id == 0) return false;
  bool found = false;
  bool changed = false;
  for (auto& entry : s.menu) {
    if (entry.id != id) continue;
    found = true;
    changed = changed || entry.*flag != value;
    entry.*flag = value;
  }
  if (changed) B().MenuChanged();
  return found;
}

bool MenuFlag(Window window, std::uint16_t id, bool MenuEntry::*flag) {
  WindowSystem& s = State();
  if (window == 0 || window != s.gameWindow) return false;
  for (auto& entry : s.menu) {
    if (entry.id == id) return entry.*flag;
  }
  return false;
}

}  // namespace

bool EnableMenuItem(Window window, std::uint16_t id, bool enabled) {
  return SetMenuFlag(window, id, &MenuEntry::enabled, enabled);
}
bool IsMenuItemEnabled(Window window, std::uint16_t id) {
  return MenuFlag(window, id, &MenuEntry::enabled);
}
bool CheckMenuItem(Window window, std::uint16_t id, bool checked) {
  return SetMenuFlag(window, id, &MenuEntry::checked, checked);
}
bool IsMenuItemChecked(Window window, std::uint16_t id) {
  return MenuFlag(window, id, &MenuEntry::checked);
}

void SetStatusText(const std::string& text, std::vector<std::string> shorter) {
  WindowSystem& s = State();
  if (s.status == text && s.shorterStatus == shorter) return;
  s.status = text;
  s.shorterStatus = std::move(shorter);
  B().StatusChanged();
}

const std::string& StatusText() {
  return State().status;
}

const std::vector<std::string>& StatusShorterTexts() {
  return State().shorterStatus;
}

void SetStatusPicture(const Surface& picture) {
  Surface& shown = State().statusPicture;
  if (shown.width == picture.width && shown.height == picture.height &&
      shown.pixels == picture.pixels) {
    return;
  }
  shown = picture;
  B().StatusChanged();
}

const Surface& StatusPicture() {
  return State().statusPicture;
}

const std::vector<MenuEntry>& GetMenu(Window window) {
  static const std::vector<MenuEntry> none;
  return window != 0 && window == State().gameWindow ? State().menu : none;
}

const std::vector<MenuEntry>& GameWindowMenu() {
  return State().menu;
}

void MessageBox(Window, const char* text, const char* caption) {
  B().MessageBox(text != nullptr ? text : "", caption != nullptr ? caption : "");
}

void DialogBox(Window, const DialogTemplate& dialog, DialogProcFn proc) {
  WindowSystem& s = State();
  const Window d = s.nextDialog++;
  proc(d, WM_INITDIALOG, 0, 0);
  if (!DialogEnded(d)) B().RunDialog(d, dialog, proc);
  std::erase(s.endedDialogs, d);
}

bool EndDialog(Window dialog, std::int64_t) {
  State().endedDialogs.push_back(dialog);
  return true;
}

bool DialogEnded(Window dialog) {
  for (Window d : State().endedDialogs) {
    if (d == dialog) return true;
  }
  return false;
}

bool AskForText(Window, const char* caption, const char* prompt, std::string* text) {
  if (text == nullptr) return false;
  std::string answer;
  if (!B().AskForText(caption != nullptr ? caption : "", prompt != nullptr ? prompt : "",
                      &answer)) {
    return false;
  }
  *text = OneLineOfText(answer);
  return true;
}

std::string ClipboardText() {
  return B().ClipboardText();
}
bool SetClipboardText(const std::string& text) {
  return B().SetClipboardText(text);
}

void GiveFile(GivenFile file) {
  WindowSystem& s = State();
  constexpr std::size_t MaxWaiting = 8;  // a drop of hundreds of files opens the first few
  if (s.givenFiles.size() >= MaxWaiting) return;
  s.givenFiles.push_back(std::move(file));
  if (s.gameWindow != 0) PostMessage(s.gameWindow, WM_DROPFILES, 0, 0);
}

bool TakeGivenFile(GivenFile* out) {
  WindowSystem& s = State();
  if (s.givenFiles.empty()) return false;
  *out = std::move(s.givenFiles.front());
  s.givenFiles.erase(s.givenFiles.begin());
  return true;
}

bool HasFileDialog() {
  return B().HasFileDialog();
}
bool ChooseFile(Window, const char* caption) {
  return B().ChooseFile(caption != nullptr ? caption : "");
}

std::string OneLineOfText(std::string_view text, std::size_t maxChars) {
  std::string line;
  std::size_t chars = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) continue;
    const bool starts = (byte & 0xC0) != 0x80;  // not a continuation byte
    if (starts && chars++ == maxChars) break;
    if (!starts && line.empty()) continue;  // a stray continuation has nothing to belong to
    line += c;
  }
  return line;
}

bool AsyncKeyDown(int virtualKey) {
  return B().AsyncKeyDown(virtualKey);
}
void Beep() {
  B().Beep();
}

ReadOutcome ReadUserValue(const char* name, std::size_t limit, std::vector<std::uint8_t>* out) {
  if (name == nullptr || out == nullptr) return {ReadStatus::Absent, "it has no name"};
  out->clear();
  return B().ReadUserValue(name, limit, out);
}
bool WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                    std::string* why) {
  if (name == nullptr || (data == nullptr && size != 0)) return false;
  std::string reason;
  const bool ok = B().WriteUserValue(name, data, size, &reason);
  if (!ok && why != nullptr) *why = reason.empty() ? "it could not be written" : reason;
  return ok;
}
bool UpdateUserValue(const char* name, std::size_t limit, const ValueMerge& merge,
                     std::string* why) {
  if (name == nullptr || !merge) return false;
  std::string reason;
  const bool ok = B().UpdateUserValue(name, limit, merge, &reason);
  if (!ok && why != nullptr) *why = reason.empty() ? "it could not be written" : reason;
  return ok;
}

ReadOutcome ReadUserSetting(const char* name, std::size_t limit, std::vector<std::uint8_t>* out) {
  if (name == nullptr || out == nullptr) return {ReadStatus::Absent, "it has no name"};
  out->clear();
  return B().ReadUserSetting(name, limit, out);
}

bool KeyboardOpen() {
  return B().KeyboardOpen();
}
bool KeyboardRead(std::uint8_t state[256]) {
  return B().KeyboardRead(state);
}
void KeyboardClose() {
  B().KeyboardClose();
}
bool GamepadInUse() {
  return B().GamepadInUse();
}
bool BackgroundThreads() {
  return B().BackgroundThreads();
}
bool OnScreenButtons() {
  return B().OnScreenButtons();
}
bool MouseOpen() {
  return B().MouseOpen();
}
void MouseClose() {
  B().MouseClose();
}

std::uint32_t Ticks() {
  return B().Ticks();
}
void SpinPause() {
  B().SpinPause();
}

bool DisplayOpen(int width, int height, int bitsPerPixel) {
  return B().DisplayOpen(width, height, bitsPerPixel);
}
void DisplayClose() {
  B().DisplayClose();
}
void WaitVerticalBlank() {
  B().WaitVerticalBlank();
}
bool Present(const Surface& frame) {
  return B().Present(frame);
}

void SetWindowCaption(const std::string& caption) {
  B().SetWindowCaption(caption);
}
void ToggleFullScreen() {
  B().ToggleFullScreen();
}
void SetWholePixels(bool on) {
  B().SetWholePixels(on);
}
void WaitForInput(std::uint32_t timeoutMs) {
  if (State().queue.empty()) B().WaitForInput(timeoutMs);
}
std::string UserSettingPlace(const char* name) {
  return B().UserSettingPlace(name);
}

bool AudioOpen() {
  return B().AudioOpen();
}
void AudioClose() {
  B().AudioClose();
}
SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format,
                               const char* name) {
  if (data == nullptr && bytes != 0) return nullptr;
  return B().CreateSoundBuffer(data, bytes, format, name != nullptr ? name : "");
}
bool PlaySoundBuffer(SoundBuffer* buffer) {
  return buffer != nullptr && B().PlaySoundBuffer(buffer);
}
void StopSoundBuffer(SoundBuffer* buffer) {
  if (buffer != nullptr) B().StopSoundBuffer(buffer);
}
void ReleaseSoundBuffer(SoundBuffer* buffer) {
  if (buffer != nullptr) B().ReleaseSoundBuffer(buffer);
}

}  // namespace platform

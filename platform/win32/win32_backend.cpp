#include "platform/win32/win32_backend.h"

// The platform headers come first: <windows.h> defines the message names (WM_CREATE, ...) as
// macros, which would rewrite platform.h's own constants of the same values.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <vector>

#include "platform/key_latch.h"
#include "platform/keys.h"
#include "platform/pacing.h"
#include "platform/sharp_scale.h"
#include "platform/viewport.h"
#include "platform/win32/win32_audio.h"
#include "platform/win32/win32_gamepad.h"
#include "platform/win32/win32_resources.h"

// clang-format off
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>
// clang-format on

// The platform functions of the same names, not the Win32 macros.
#undef MessageBox
#undef PostMessage
#undef PeekMessage
#undef DispatchMessage
#undef FindWindow
#undef DialogBox
#undef DefWindowProc

namespace platform::win32 {
namespace {

constexpr const char* GameClass = "WINXCLASS";
constexpr const char* SingleCopyMutex = "Local\\Yelko.WINXCLASS";
constexpr const char* RegistryKey = "Software\\Yelko";
constexpr const char* WindowValue = "Window";  // the window's place, beside the progress
constexpr int StripPixels = 24;  // the status line under the board, at 96 dots per inch
constexpr DWORD WindowedStyle = WS_OVERLAPPEDWINDOW;
// How long a turn of the loop waits for a message while the window has no focus.
constexpr DWORD UnfocusedWaitMs = 500;
// How long after its last sound a resting game lets the sound device go.
constexpr DWORD AudioIdleMs = 3000;
// While a gamepad is connected the game looks at it once a frame, also when it rests.
constexpr DWORD PadPollMs = 16;
constexpr DWORD FullScreenStyle = WS_POPUP;

void Post(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam) {
  const Window w = FindWindow(GameClass, nullptr);
  if (w != 0) PostMessage(w, id, wParam, lParam);
}

// The clipboard is shared with every program, which may hold it open for a moment.
bool OpenClipboardSoon(HWND owner) {
  for (int tries = 0; tries < 10; ++tries) {
    if (::OpenClipboard(owner)) return true;
    ::Sleep(10);
  }
  return false;
}

// The menu bar from the game's table: a line with id 0 opens a popup of the deeper lines after
// it.
void FillMenu(HMENU menu, const std::vector<MenuEntry>& entries, std::size_t& i, int depth) {
  while (i < entries.size() && entries[i].depth == depth) {
    const MenuEntry& e = entries[i++];
    if (e.id == 0) {
      HMENU popup = ::CreatePopupMenu();
      FillMenu(popup, entries, i, depth + 1);
      ::AppendMenuA(menu, MF_POPUP | (e.enabled ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(popup),
                    e.text);
    } else {
      // A tab puts the item's key at the menu's right edge.
      std::string text = e.text;
      if (e.shortcut != nullptr && e.shortcut[0] != '\0') text += std::string("\t") + e.shortcut;
      ::AppendMenuW(menu,
                    MF_STRING | (e.enabled ? MF_ENABLED : MF_GRAYED) |
                        (e.checked ? MF_CHECKED : MF_UNCHECKED),
                    e.id, Utf16(text).c_str());
    }
  }
  // Lines deeper than expected (a malformed table) are skipped rather than looping forever.
  while (i < entries.size() && entries[i].depth > depth) ++i;
}

HMENU BuildMenuBar(const std::vector<MenuEntry>& entries) {
  HMENU bar = ::CreateMenu();
  std::size_t i = 0;
  while (i < entries.size()) {
    const std::size_t before = i;
    FillMenu(bar, entries, i, 0);
    if (i == before) ++i;
  }
  return bar;
}

// The saved window: outer rectangle and full-screen flag, as little-endian 32-bit fields.
struct Placement {
  RECT rect{};
  bool fullScreen = false;
};

std::vector<std::uint8_t> Encode(const Placement& p) {
  std::vector<std::uint8_t> out;
  for (LONG v : {p.rect.left, p.rect.top, p.rect.right, p.rect.bottom}) {
    for (int b = 0; b < 4; ++b) out.push_back(std::uint8_t(std::uint32_t(v) >> (8 * b)));
  }
  out.push_back(p.fullScreen ? 1 : 0);
  return out;
}

// False for anything but a plausible rectangle that lies at least partly on a screen now.
bool Decode(const std::vector<std::uint8_t>& bytes, Placement* p) {
  if (bytes.size() != 17 || bytes[16] > 1) return false;
  LONG v[4];
  for (int i = 0; i < 4; ++i) {
    std::uint32_t u = 0;
    for (int b = 0; b < 4; ++b) u |= std::uint32_t(bytes[std::size_t(4 * i + b)]) << (8 * b);
    v[i] = LONG(std::int32_t(u));
  }
  const RECT r{v[0], v[1], v[2], v[3]};
  const LONG w = r.right - r.left, h = r.bottom - r.top;
  if (w < 100 || h < 100 || w > 32768 || h > 32768) return false;
  if (::MonitorFromRect(&r, MONITOR_DEFAULTTONULL) == nullptr) return false;
  p->rect = r;
  p->fullScreen = bytes[16] == 1;
  return true;
}

// A dialog template in memory (DLGTEMPLATE and its items, in WORDs): the caption, the lines as
// one static text and a row of buttons under it, sized from the text in dialog units (about
// four to a character, ten to a line), its font grown with the window's text.
void AppendText(std::vector<WORD>& t, const std::wstring& text) {
  for (wchar_t c : text) t.push_back(WORD(c));
  t.push_back(0);
}
void AppendLong(std::vector<WORD>& t, DWORD v) {
  t.push_back(LOWORD(v));
  t.push_back(HIWORD(v));
}
void AppendItem(std::vector<WORD>& t, DWORD style, short x, short y, short w, short h, WORD id,
                WORD windowClass, const std::wstring& text) {
  if (t.size() % 2 != 0) t.push_back(0);  // each item starts on a DWORD
  AppendLong(t, style | WS_CHILD | WS_VISIBLE);
  AppendLong(t, 0);
  for (short v : {x, y, w, h}) t.push_back(WORD(v));
  t.push_back(id);
  t.push_back(0xFFFF);  // a system class by its atom
  t.push_back(windowClass);
  AppendText(t, text);
  t.push_back(0);  // no creation data
}

std::vector<WORD> DialogInMemory(const DialogTemplate& content, float scale) {
  constexpr short Margin = 7, LineHeight = 10, ButtonHeight = 14, Gap = 4;
  const std::vector<DialogButton> buttons =
      content.buttons.empty() ? std::vector<DialogButton>{{"OK", IDOK}} : content.buttons;
  std::size_t longest = 0;
  std::wstring text;
  for (const std::string& line : content.lines) {
    const std::wstring wide = Utf16(line);
    longest = std::max(longest, wide.size());
    text += (text.empty() ? L"" : L"\r\n") + wide;
  }
  std::vector<short> widths;
  short row = 0;
  for (const DialogButton& b : buttons) {
    widths.push_back(short(std::max<std::size_t>(50, Utf16(b.text).size() * 4 + 12)));
    row = short(row + widths.back() + (row > 0 ? Gap : 0));
  }
  const short w = short(std::clamp<std::size_t>(longest * 4 + 2 * Margin, 180, 480));
  const short wide = std::max<short>(w, short(row + 2 * Margin));
  const short textHeight = short(content.lines.size() * LineHeight);
  const short h = short(Margin + textHeight + Margin + ButtonHeight + Margin);
  std::vector<WORD> t;
  AppendLong(t, DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  AppendLong(t, 0);
  t.push_back(WORD(1 + buttons.size()));
  for (short v : {short(0), short(0), wide, h}) t.push_back(WORD(v));
  t.push_back(0);  // no menu
  t.push_back(0);  // the dialog class
  AppendText(t, Utf16(content.caption != nullptr ? content.caption : ""));
  t.push_back(WORD(std::lround(8 * scale)));
  AppendText(t, L"MS Shell Dlg");
  AppendItem(t, SS_LEFT | SS_NOPREFIX, Margin, Margin, short(wide - 2 * Margin), textHeight,
             WORD(0xFFFF), 0x0082, text);
  short x = short(wide - Margin - row);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    AppendItem(t, WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), x,
               short(h - Margin - ButtonHeight), widths[i], ButtonHeight, buttons[i].id, 0x0080,
               Utf16(buttons[i].text));
    x = short(x + widths[i] + Gap);
  }
  return t;
}

// The box asking for one line of text: the prompt over an edit field, OK and Cancel under it.
constexpr WORD IdTextField = 100;

std::vector<WORD> TextDialogInMemory(const std::string& caption, const std::string& prompt,
                                     float scale) {
  constexpr short Margin = 7, LineHeight = 10, FieldHeight = 14, ButtonWidth = 50,
                  ButtonHeight = 14, Gap = 4, Width = 240;
  std::wstring text;
  short lines = 1;
  for (wchar_t c : Utf16(prompt)) {
    if (c == L'\n') {
      text += L"\r\n";
      ++lines;
    } else {
      text += c;
    }
  }
  const short textHeight = short(lines * LineHeight);
  const short fieldY = short(Margin + textHeight + Gap);
  const short buttonY = short(fieldY + FieldHeight + Margin);
  const short h = short(buttonY + ButtonHeight + Margin);
  std::vector<WORD> t;
  AppendLong(t, DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  AppendLong(t, 0);
  t.push_back(4);
  for (short v : {short(0), short(0), Width, h}) t.push_back(WORD(v));
  t.push_back(0);  // no menu
  t.push_back(0);  // the dialog class
  AppendText(t, Utf16(caption));
  t.push_back(WORD(std::lround(8 * scale)));
  AppendText(t, L"MS Shell Dlg");
  AppendItem(t, SS_LEFT | SS_NOPREFIX, Margin, Margin, short(Width - 2 * Margin), textHeight,
             WORD(0xFFFF), 0x0082, text);
  AppendItem(t, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Margin, fieldY, short(Width - 2 * Margin),
             FieldHeight, IdTextField, 0x0081, L"");
  const short okX = short(Width - Margin - 2 * ButtonWidth - Gap);
  AppendItem(t, WS_TABSTOP | BS_DEFPUSHBUTTON, okX, buttonY, ButtonWidth, ButtonHeight, IDOK,
             0x0080, L"OK");
  AppendItem(t, WS_TABSTOP | BS_PUSHBUTTON, short(okX + ButtonWidth + Gap), buttonY, ButtonWidth,
             ButtonHeight, IDCANCEL, 0x0080, L"Cancel");
  return t;
}

INT_PTR CALLBACK TextBoxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dlg, GWLP_USERDATA, lParam);
    HWND field = ::GetDlgItem(dlg, IdTextField);
    ::SendMessageW(field, EM_LIMITTEXT, MaxAskedTextChars, 0);
    ::SetFocus(field);
    return FALSE;  // the focus is set
  }
  const WORD command = msg == WM_COMMAND ? LOWORD(wParam) : msg == WM_CLOSE ? IDCANCEL : 0;
  if (command == IDOK) {
    HWND field = ::GetDlgItem(dlg, IdTextField);
    std::wstring text(std::size_t(::GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(std::size_t(::GetWindowTextW(field, text.data(), int(text.size()))));
    *reinterpret_cast<std::string*>(::GetWindowLongPtrW(dlg, GWLP_USERDATA)) = Utf8(text);
    ::EndDialog(dlg, IDOK);
    return TRUE;
  }
  if (command == IDCANCEL) {
    ::EndDialog(dlg, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

class Win32Backend;
Win32Backend* TheBackend = nullptr;
LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);

class Win32Backend final : public Backend {
 public:
  explicit Win32Backend(HINSTANCE instance) : instance_(instance) {}

  ~Win32Backend() override {
    audio_.Close();
    CloseWindow();
    if (font_ != nullptr) ::DeleteObject(font_);
  }

  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // ---- Window system

  bool OpenWindow(const char* title, const std::vector<MenuEntry>& menu) override {
    if (hwnd_ != nullptr) return false;
    if (!classRegistered_) {
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof wc;
      wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
      wc.lpfnWndProc = WndProc;
      wc.hInstance = instance_;
      wc.hIcon = ::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_YELKO));
      wc.hIconSm = static_cast<HICON>(::LoadImageA(instance_, MAKEINTRESOURCEA(IDI_YELKO),
                                                   IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
      wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
      wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
      wc.lpszClassName = GameClass;
      if (::RegisterClassExA(&wc) == 0) return false;
      classRegistered_ = true;
    }
    menu_ = BuildMenuBar(menu);
    HDC screen = ::GetDC(nullptr);
    dpi_ = std::max(96, ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    const Placement place = StartPlacement();
    hwnd_ =
        ::CreateWindowExA(0, GameClass, title, WindowedStyle, place.rect.left, place.rect.top,
                          place.rect.right - place.rect.left, place.rect.bottom - place.rect.top,
                          nullptr, menu_, instance_, nullptr);
    if (hwnd_ == nullptr) {
      ::DestroyMenu(menu_);
      menu_ = nullptr;
      return false;
    }
    windowed_ = place.rect;
    ::DragAcceptFiles(hwnd_, TRUE);  // a collection dropped on the window opens
    hdc_ = ::GetDC(hwnd_);           // the class's own device context (CS_OWNDC), kept for its life
    FitFont(1);
    ::ShowWindow(hwnd_, SW_SHOW);
    if (place.fullScreen) SetFullScreen(true);
    ::UpdateWindow(hwnd_);
    ::SetForegroundWindow(hwnd_);
    return true;
  }

  void CloseWindow() override {
    if (hwnd_ == nullptr) return;
    SavePlacement();
    audio_.Close();  // DirectSound is tied to the window
    HWND w = hwnd_;
    hwnd_ = nullptr;
    hdc_ = nullptr;
    ::DestroyWindow(w);  // destroys the menu with it
    menu_ = nullptr;
    keyboardOpen_ = false;
  }

  void PumpEvents() override {
    if (hwnd_ == nullptr) return;
    // Without the focus the game runs no frame: wait for something to happen (the focus coming
    // back is a message) rather than turning the loop.
    if (!HasFocus()) {
      ::MsgWaitForMultipleObjectsEx(0, nullptr, UnfocusedWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        Post(WM_CLOSE, 0, 0);
        continue;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }

  bool HasFocus() override { return hwnd_ != nullptr && ::GetActiveWindow() == hwnd_; }

  void MenuChanged() override {
    if (menu_ == nullptr) return;
    for (const MenuEntry& e : GameWindowMenu()) {
      if (e.id == 0) continue;
      ::EnableMenuItem(menu_, e.id, MF_BYCOMMAND | (e.enabled ? MF_ENABLED : MF_GRAYED));
      ::CheckMenuItem(menu_, e.id, MF_BYCOMMAND | (e.checked ? MF_CHECKED : MF_UNCHECKED));
    }
    ::DrawMenuBar(hwnd_);
  }

  void StatusChanged() override {
    statusDirty_ = true;
    if (hwnd_ != nullptr && !presenting_) DrawStatus();
  }

  void MessageBox(const char* text, const char* caption) override {
    ::MessageBoxA(hwnd_, text, caption, MB_OK);
    AfterModal();
  }

  // The About box is the resource; any other dialog (more lines, buttons of its own) is made
  // in memory to fit its text.
  void RunDialog(Window dialog, const DialogTemplate& content, DialogProcFn proc) override {
    AboutContext context{dialog, &content, proc};
    if (content.buttons.empty() && content.lines.size() <= IDC_ABOUT_LINES + 1) {
      ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUT), hwnd_, AboutProc,
                        reinterpret_cast<LPARAM>(&context));
    } else {
      const std::vector<WORD> made = DialogInMemory(content, Layout().uiScale);
      ::DialogBoxIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(made.data()), hwnd_,
                                AboutProc, reinterpret_cast<LPARAM>(&context));
    }
    AfterModal();
  }

  bool AskForText(const char* caption, const char* prompt, std::string* text) override {
    if (hwnd_ == nullptr) return false;
    std::string typed;
    const std::vector<WORD> made = TextDialogInMemory(caption, prompt, Layout().uiScale);
    const INT_PTR answer =
        ::DialogBoxIndirectParamW(instance_, reinterpret_cast<LPCDLGTEMPLATEW>(made.data()), hwnd_,
                                  TextBoxProc, reinterpret_cast<LPARAM>(&typed));
    AfterModal();
    if (answer != IDOK) return false;
    *text = typed;
    return true;
  }

  bool HasFileDialog() override { return true; }
  bool ChooseFile(const char* caption) override {
    wchar_t path[4096] = L"";
    const std::wstring title = Utf16(caption);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = L"Collections and levels (*.txt)\0*.txt\0All files\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = DWORD(std::size(path));
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    const BOOL chosen = ::GetOpenFileNameW(&ofn);
    AfterModal();
    if (chosen) GiveFile({Utf8(path), "", "", false});
    return true;
  }

  // Text on the Windows clipboard has CR LF line breaks; the game's has LF.
  std::string ClipboardText() override {
    if (!OpenClipboardSoon(hwnd_)) return {};
    std::string text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
        // Up to its end, or its terminator where a program put one before.
        const std::size_t most = ::GlobalSize(data) / sizeof(wchar_t);
        text = Utf8(std::wstring(wide, std::find(wide, wide + most, L'\0')));
        ::GlobalUnlock(data);
      }
    }
    ::CloseClipboard();
    std::string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\r' || i + 1 >= text.size() || text[i + 1] != '\n') lf += text[i];
    }
    return lf;
  }

  bool SetClipboardText(const std::string& text) override {
    std::wstring wide;
    for (wchar_t c : Utf16(text)) {
      if (c == L'\n' && (wide.empty() || wide.back() != L'\r')) wide += L'\r';
      wide += c;
    }
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (data == nullptr) return false;
    void* to = ::GlobalLock(data);
    if (to == nullptr) {
      ::GlobalFree(data);
      return false;
    }
    std::memcpy(to, wide.c_str(), bytes);
    ::GlobalUnlock(data);
    if (!OpenClipboardSoon(hwnd_)) {
      ::GlobalFree(data);
      return false;
    }
    const bool put = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, data) != nullptr;
    ::CloseClipboard();
    if (!put) ::GlobalFree(data);  // the clipboard owns it only once it took it
    return put;
  }

  bool AsyncKeyDown(int virtualKey) override {
    if (virtualKey == VK_ESCAPE) return KeyLatchAsk(latch_, DIK_ESCAPE);
    if (virtualKey == VK_RETURN) {
      const bool enter = KeyLatchAsk(latch_, DIK_RETURN);
      return KeyLatchAsk(latch_, DIK_NUMPADENTER) || enter;
    }
    return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
  }

  void Beep() override { ::MessageBeep(MB_OK); }

  // ---- Saved values: REG_BINARY values under HKEY_CURRENT_USER\Software\Yelko

  ReadOutcome ReadUserValue(const char* name, std::size_t limit,
                            std::vector<std::uint8_t>* out) override {
    if (const int fault = TakeFileFault(FaultOp::Read); fault != 0) {
      return {ReadStatus::Unreadable, DescribeFileError(fault)};
    }
    HKEY key = nullptr;
    LONG error = ::RegOpenKeyExA(HKEY_CURRENT_USER, RegistryKey, 0, KEY_QUERY_VALUE, &key);
    if (error != ERROR_SUCCESS) {
      if (error == ERROR_FILE_NOT_FOUND) return {ReadStatus::Absent, "it is missing"};
      return {ReadStatus::Unreadable, DescribeFileError(int(error))};
    }
    DWORD type = 0;
    DWORD size = 0;
    // Any value type is read as its bytes, as the progress has always been read.
    error = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (error == ERROR_SUCCESS && size <= limit) {
      out->resize(std::max<DWORD>(size, 1));
      error = ::RegQueryValueExA(key, name, nullptr, &type, out->data(), &size);
    }
    ::RegCloseKey(key);
    ReadOutcome outcome{ReadStatus::Ok, ""};
    if (error == ERROR_FILE_NOT_FOUND) {
      outcome = {ReadStatus::Absent, "it is missing"};
    } else if (error != ERROR_SUCCESS) {
      outcome = {ReadStatus::Unreadable, DescribeFileError(int(error))};
    } else if (size > limit) {
      outcome = {ReadStatus::Unreadable, "it is larger than " + std::to_string(limit) + " bytes"};
    }
    out->resize(outcome ? size : 0);
    return outcome;
  }

  bool WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                      std::string* why) override {
    LONG error = ERROR_SUCCESS;
    if (const int fault = TakeFileFault(FaultOp::Write); fault != 0) {
      error = fault;
    } else if (size > 1u << 20) {
      error = ERROR_INVALID_PARAMETER;
    } else {
      HKEY key = nullptr;
      // The key's class is "binary", as the saved progress has always been stored.
      char keyClass[] = "binary";
      error = ::RegCreateKeyExA(HKEY_CURRENT_USER, RegistryKey, 0, keyClass,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
      if (error == ERROR_SUCCESS) {
        // One value is replaced whole by the registry itself.
        error = ::RegSetValueExA(key, name, 0, REG_BINARY, data, DWORD(size));
        ::RegCloseKey(key);
      }
    }
    if (error != ERROR_SUCCESS && why != nullptr) *why = DescribeFileError(int(error));
    return error == ERROR_SUCCESS;
  }

  // The keys file: a value of the same name, REG_SZ (lines apart by line ends) or REG_MULTI_SZ
  // (a string a line), read as its bytes in UTF-16 and turned into UTF-8 text.
  ReadOutcome ReadUserSetting(const char* name, std::size_t limit,
                              std::vector<std::uint8_t>* out) override {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, RegistryKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
      return {ReadStatus::Absent, "it is missing"};
    }
    DWORD type = 0;
    DWORD size = 0;
    std::wstring text;
    LONG error = ::RegQueryValueExW(key, Utf16(name).c_str(), nullptr, &type, nullptr, &size);
    if (error == ERROR_SUCCESS && size <= 2 * limit) {
      text.resize(size / sizeof(wchar_t) + 1);
      error = ::RegQueryValueExW(key, Utf16(name).c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(text.data()), &size);
      text.resize(size / sizeof(wchar_t));
    }
    ::RegCloseKey(key);
    if (error == ERROR_FILE_NOT_FOUND) return {ReadStatus::Absent, "it is missing"};
    if (error != ERROR_SUCCESS) return {ReadStatus::Unreadable, DescribeFileError(int(error))};
    if (size > 2 * limit || (type != REG_SZ && type != REG_MULTI_SZ && type != REG_EXPAND_SZ)) {
      return {ReadStatus::Unreadable,
              "it is not text of at most " + std::to_string(limit) + " characters"};
    }
    const std::string utf8 = Utf8(text);
    out->assign(utf8.begin(), utf8.end());
    return {ReadStatus::Ok, ""};
  }

  std::string UserSettingPlace(const char* name) override {
    return std::string("the registry, HKEY_CURRENT_USER\\Software\\Yelko, value \"") + name + "\"";
  }

  // ---- Keyboard and mouse

  bool KeyboardOpen() override {
    keyboardOpen_ = hwnd_ != nullptr;
    return keyboardOpen_;
  }

  bool KeyboardRead(std::uint8_t state[256]) override {
    if (!keyboardOpen_) return false;
    KeyLatchSnapshot(latch_, state);
    // Pads are read only while the game has the focus, as keys are.
    if (HasFocus() && pads_.Read(state, Ticks())) gamepadInUse_ = true;
    return true;
  }

  void KeyboardClose() override { keyboardOpen_ = false; }
  bool GamepadInUse() override { return gamepadInUse_; }
  bool BackgroundThreads() override { return true; }
  bool MouseOpen() override { return hwnd_ != nullptr; }
  void MouseClose() override {}

  // ---- Clock: the system timer runs at 1 ms from CreateBackend on.

  std::uint32_t Ticks() override { return ::timeGetTime(); }
  void SpinPause() override { ::Sleep(1); }

  // ---- Display

  bool DisplayOpen(int, int, int) override {
    displayOpen_ = true;  // the desktop's mode is never changed
    return true;
  }

  void DisplayClose() override { displayOpen_ = false; }

  void WaitVerticalBlank() override { WaitForNextTick(pacer_, SystemPacingClock()); }

  void WaitForInput(std::uint32_t timeoutMs) override {
    // A game that has been quiet for a while lets the sound device go until the next sound.
    if (::timeGetTime() - lastSound_ > AudioIdleMs) audio_.Suspend();
    // Gamepads are read, not heard: with one connected the wait is a frame at most.
    const DWORD wait = pads_.AnyConnected() ? std::min<DWORD>(timeoutMs, PadPollMs) : timeoutMs;
    const DWORD since = ::timeGetTime();
    ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // After a real wait the next frame runs at once, and the clock counts its ticks from there.
    if (::timeGetTime() - since >= 1000 / TicksPerSecond) pacer_ = FramePacer{};
  }

  void SetWindowCaption(const std::string& caption) override {
    if (hwnd_ != nullptr) ::SetWindowTextW(hwnd_, Utf16(caption).c_str());
  }

  void ToggleFullScreen() override { SetFullScreen(!fullScreen_); }

  void SetWholePixels(bool on) override {
    wholePixels_ = on;
    if (hwnd_ != nullptr) ::InvalidateRect(hwnd_, nullptr, FALSE);
  }

  bool Present(const Surface& frame) override {
    if (!displayOpen_ || hwnd_ == nullptr || frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < std::size_t(frame.width) * std::size_t(frame.height)) {
      return false;
    }
    // The rows that changed, for the sharp picture to redo.
    for (int y = 0; y < BoardPixels && frame.width == BoardPixels && frame.height == BoardPixels &&
                    frame_.pixels.size() == frame.pixels.size();
         ++y) {
      const std::size_t at = std::size_t(y) * BoardPixels;
      if (std::memcmp(&frame_.pixels[at], &frame.pixels[at], BoardPixels * 4) == 0) continue;
      sharpFirst_ = std::min(sharpFirst_, y);
      sharpLast_ = std::max(sharpLast_, y);
    }
    if (frame_.pixels.size() != frame.pixels.size()) {
      sharpFirst_ = 0;
      sharpLast_ = BoardPixels - 1;
    }
    frame_ = frame;
    presenting_ = true;
    DrawBoard(hdc_);
    if (statusDirty_) DrawStatus();
    presenting_ = false;
    if (fpsLog_) CountPresentedFrame(fpsCount_, ::timeGetTime());
    return true;
  }

  // ---- Audio

  bool AudioOpen() override { return hwnd_ != nullptr && audio_.Open(hwnd_); }
  void AudioClose() override { audio_.Close(); }
  SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format,
                                 const char*) override {
    return audio_.Create(data, bytes, format);
  }
  bool PlaySoundBuffer(SoundBuffer* buffer) override {
    lastSound_ = ::timeGetTime();
    return audio_.Play(buffer);
  }
  void StopSoundBuffer(SoundBuffer* buffer) override { audio_.Stop(buffer); }
  void ReleaseSoundBuffer(SoundBuffer* buffer) override { audio_.Release(buffer); }

  // ---- The window procedure

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_CLOSE:  // the close box: the game decides
        Post(WM_CLOSE, 0, 0);
        return 0;
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers every pixel
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        DrawBoard(dc);
        statusDirty_ = true;
        DrawStatus();
        ::EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_SIZE:
      case WM_MOVE:
        RememberWindowed();
        if (msg == WM_SIZE) ::InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_GETMINMAXINFO: {
        RECT r{0, 0, BoardPixels / 2, BoardPixels / 2 + BaseStrip()};
        ::AdjustWindowRect(&r, WindowedStyle, TRUE);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
        return 0;
      }
      case WM_KILLFOCUS:
        KeyLatchClear(latch_);
        return 0;
      case WM_EXITMENULOOP:
        AfterModal();
        return 0;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (KeyDown(msg, wParam, lParam)) return 0;
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        KeyLatchUp(latch_, ScanCode(lParam));
        break;
      case WM_SYSCHAR:
        if (wParam == VK_RETURN) return 0;  // Alt+Enter: no beep
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
        MouseDown(msg, wParam, lParam);
        return 0;
      case WM_MOUSEMOVE:
        if (dragging_ && (wParam & MK_LBUTTON) != 0) MouseMoved(lParam);
        return 0;
      case WM_LBUTTONUP:
      case WM_CAPTURECHANGED:
        if (dragging_ && ::GetCapture() == hwnd) ::ReleaseCapture();
        dragging_ = false;
        return 0;
      case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) Post(WM_COMMAND, LOWORD(wParam), 0);
        return 0;
      case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
          std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
          const UINT length = ::DragQueryFileW(drop, i, path.data(), UINT(path.size()));
          if (length > 0) GiveFile({Utf8(std::wstring(path.data(), length)), "", "", false});
        }
        ::DragFinish(drop);
        return 0;
      }
      default:
        break;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
  }

  HWND Hwnd() const { return hwnd_; }

 private:
  struct AboutContext {
    Window dialog;
    const DialogTemplate* content;
    DialogProcFn proc;
  };

  static INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* context = reinterpret_cast<AboutContext*>(::GetWindowLongPtrA(dlg, GWLP_USERDATA));
    if (msg == WM_INITDIALOG) {
      context = reinterpret_cast<AboutContext*>(lParam);
      ::SetWindowLongPtrA(dlg, GWLP_USERDATA, lParam);
      if (context->content->caption != nullptr) {
        ::SetWindowTextW(dlg, Utf16(context->content->caption).c_str());
      }
      const auto& lines = context->content->lines;
      for (std::size_t i = 0; i < lines.size() && i <= IDC_ABOUT_LINES; ++i) {
        ::SetDlgItemTextW(dlg, int(IDC_ABOUT_VERSION + i), Utf16(lines[i]).c_str());
      }
      if (context->content->low) {
        // Under the banner of a solved level (board rows 100 to 300), or as low as it fits.
        RECT box{}, client{};
        ::GetWindowRect(dlg, &box);
        HWND owner = ::GetParent(dlg);
        ::GetClientRect(owner, &client);
        const Viewport board = TheBackend->Layout().board;
        POINT top{0, std::min<LONG>(board.y + board.height * 300 / BoardPixels,
                                    client.bottom - (box.bottom - box.top))};
        ::ClientToScreen(owner, &top);
        if (top.y > box.top) {
          ::SetWindowPos(dlg, nullptr, box.left, top.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
      }
      return context->proc(context->dialog, WM_INITDIALOG, 0, 0) != 0 ? TRUE : FALSE;
    }
    if (context == nullptr) return FALSE;
    std::uint64_t command = 0;
    if (msg == WM_COMMAND) command = LOWORD(wParam);
    if (msg == WM_CLOSE) command = IDCANCEL;
    if (command == 0) return FALSE;
    context->proc(context->dialog, WM_COMMAND, command, 0);
    if (DialogEnded(context->dialog)) ::EndDialog(dlg, 1);
    return TRUE;
  }

  // The status line at the screen's own scale; it grows with the board (Layout()).
  int BaseStrip() const { return StripPixels * dpi_ / 96; }

  // The client area's parts now: the status line under the board (the menu bar is the
  // system's, above the client area).
  WindowLayout Layout() const {
    RECT client{};
    if (hwnd_ != nullptr) ::GetClientRect(hwnd_, &client);
    return LayoutWindow(client.right, client.bottom, 0, BaseStrip(), wholePixels_, float(dpi_) / 96,
                        BoardPixels);
  }

  // The first start: the board filling about 85 % of the desktop's work area, centred in it.
  // Later starts: where the player left the window.
  Placement StartPlacement() {
    Placement place;
    std::vector<std::uint8_t> bytes;
    if (ReadUserValue(WindowValue, 64, &bytes) && Decode(bytes, &place)) return place;
    RECT work{0, 0, 1024, 768};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG workW = work.right - work.left, workH = work.bottom - work.top;
    RECT frame{0, 0, 0, 0};  // the caption, menu bar and borders around the client area
    ::AdjustWindowRect(&frame, WindowedStyle, TRUE);
    const LONG frameW = frame.right - frame.left, frameH = frame.bottom - frame.top;
    const ClientSize size = FirstClientSize(int(workW - frameW), int(workH - frameH * 100 / 85), 0,
                                            BaseStrip(), float(dpi_) / 96, BoardPixels);
    RECT r{0, 0, size.width, size.height};
    ::AdjustWindowRect(&r, WindowedStyle, TRUE);
    const LONG w = r.right - r.left, h = r.bottom - r.top;
    place.rect.left = work.left + std::max<LONG>(0, (workW - w) / 2);
    place.rect.top = work.top + std::max<LONG>(0, (workH - h) / 2);
    place.rect.right = place.rect.left + w;
    place.rect.bottom = place.rect.top + h;
    return place;
  }

  void RememberWindowed() {
    if (hwnd_ == nullptr || fullScreen_ || ::IsIconic(hwnd_) || ::IsZoomed(hwnd_)) return;
    ::GetWindowRect(hwnd_, &windowed_);
  }

  void SavePlacement() {
    RememberWindowed();
    const std::vector<std::uint8_t> bytes = Encode({windowed_, fullScreen_});
    // The window closes as the game ends: there is no status line left to say it on.
    if (std::string why; !WriteUserValue(WindowValue, bytes.data(), bytes.size(), &why)) {
      std::fprintf(stderr, "yelko: could not save the window's place: %s\n", why.c_str());
    }
  }

  // Full screen is the window without its frame over the whole monitor; the desktop's mode is
  // never changed. The menu bar stays, so the levels remain at hand.
  void SetFullScreen(bool on) {
    if (hwnd_ == nullptr || on == fullScreen_) return;
    if (on) {
      RememberWindowed();
      MONITORINFO mi{};
      mi.cbSize = sizeof mi;
      ::GetMonitorInfoA(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
      fullScreen_ = true;
      ::SetWindowLongPtrA(hwnd_, GWL_STYLE, FullScreenStyle | WS_VISIBLE);
      ::SetWindowPos(hwnd_, HWND_TOP, mi.rcMonitor.left, mi.rcMonitor.top,
                     mi.rcMonitor.right - mi.rcMonitor.left, mi.rcMonitor.bottom - mi.rcMonitor.top,
                     SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    } else {
      fullScreen_ = false;
      ::SetWindowLongPtrA(hwnd_, GWL_STYLE, WindowedStyle | WS_VISIBLE);
      ::SetWindowPos(hwnd_, nullptr, windowed_.left, windowed_.top,
                     windowed_.right - windowed_.left, windowed_.bottom - windowed_.top,
                     SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
    }
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }

  static std::uint8_t ScanCode(LPARAM lParam) {
    // The DirectInput code: the scan code, with its top bit for the extended keys (arrows).
    const std::uint8_t code = std::uint8_t((lParam >> 16) & 0x7F);
    return std::uint8_t(code | ((lParam & (1 << 24)) != 0 ? 0x80 : 0));
  }

  // True when the system must not see the key: every plain key (the game swallows them);
  // keys with Alt go on to the menu.
  bool KeyDown(UINT msg, WPARAM vk, LPARAM lParam) {
    const bool repeat = (lParam & (1 << 30)) != 0;
    const bool alt = (lParam & (1 << 29)) != 0;
    // Alt+Enter is the window's; the game's own full-screen key (F11 unless the player chose
    // another) comes through the keyboard like any other.
    if (vk == VK_RETURN && alt && msg == WM_SYSKEYDOWN) {
      if (!repeat) SetFullScreen(!fullScreen_);
      // Alt+Enter still goes on to the system, which then knows that Alt was not pressed
      // alone and does not open the menu when it is released.
      return false;
    }
    // Ctrl+C and Ctrl+V are the clipboard's commands, never the C or V key (Ctrl with Alt is
    // AltGr on many layouts, typing a character).
    if (msg == WM_KEYDOWN && (vk == 'C' || vk == 'V') &&
        (::GetKeyState(VK_CONTROL) & 0x8000) != 0 && (::GetKeyState(VK_MENU) & 0x8000) == 0) {
      if (!repeat) Post(WM_COMMAND, vk == 'C' ? CmdCopyCode : CmdPasteCode, 0);
      return true;
    }
    KeyLatchDown(latch_, ScanCode(lParam), repeat);
    gamepadInUse_ = false;
    return msg == WM_KEYDOWN;
  }

  void MouseDown(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = short(LOWORD(lParam));
    const int y = short(HIWORD(lParam));
    const Viewport view = Layout().board;
    int bx = 0, by = 0;
    // The letterbox and the status line send nothing.
    if (!ViewportToBoard(view, x, y, &bx, &by)) return;
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
      dragging_ = true;
      ::SetCapture(hwnd_);  // the drag goes on outside the window until the button is let go
    }
    Post(msg, (wParam & MK_SHIFT) != 0 ? MK_SHIFT : 0, PackPoint(bx, by));
  }

  // A drag that began on the board: the pointer in board pixels, beyond its edges outside it.
  void MouseMoved(LPARAM lParam) {
    const Viewport view = Layout().board;
    if (view.width <= 0 || view.height <= 0) return;
    const auto board = [](int at, int origin, int size) {
      const long long p = (static_cast<long long>(at) - origin) * BoardPixels / size;
      return int(p < -1 ? -1 : p > BoardPixels ? BoardPixels : p);
    };
    Post(WM_MOUSEMOVE, MK_LBUTTON,
         PackPoint(board(short(LOWORD(lParam)), view.x, view.width),
                   board(short(HIWORD(lParam)), view.y, view.height)));
  }

  // After a box or a menu: nothing held counts until pressed again, so that Escape closing a
  // box does not also end the game, nor Enter leave the editor.
  void AfterModal() { KeyLatchAfterModal(latch_); }

  // The status line's font: the system's message font, grown with the board from 1.5x up.
  void FitFont(float ui) {
    if (font_ != nullptr && ui == fontScale_) return;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW lf{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      lf = metrics.lfMessageFont;
    } else {
      lf.lfHeight = -13 * dpi_ / 96;
      std::wcscpy(lf.lfFaceName, L"Tahoma");
    }
    lf.lfHeight = LONG(float(lf.lfHeight) * ui);
    HFONT font = ::CreateFontIndirectW(&lf);
    if (font == nullptr) return;
    if (font_ != nullptr) ::DeleteObject(font_);
    font_ = font;
    fontScale_ = ui;
  }

  // The board as large as fits (platform/viewport.h), black around: whole multiples pixel for
  // pixel, any other size through the sharp scaler, below 1x smoothly.
  void DrawBoard(HDC dc) {
    if (dc == nullptr) return;
    RECT client;
    ::GetClientRect(hwnd_, &client);
    const WindowLayout layout = Layout();
    const Viewport view = layout.board;
    const int areaH = std::max(0, int(client.bottom) - layout.statusHeight);
    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, view.x, view.y, view.x + view.width, view.y + view.height);
    RECT area{0, 0, client.right, areaH};
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::RestoreDC(dc, saved);
    if (frame_.width != BoardPixels || frame_.height != BoardPixels || view.width <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (view.smooth && view.width >= BoardPixels) {
      if (sharp_.side != view.width) {
        PrepareSharpScaler(sharp_, BoardPixels, view.width);
        sharpFirst_ = 0;
        sharpLast_ = BoardPixels - 1;
      }
      int first = 0, last = -1;
      SharpScale(sharp_, frame_.pixels.data(), sharpFirst_, sharpLast_, &first, &last);
      sharpFirst_ = BoardPixels;
      sharpLast_ = -1;
      info.bmiHeader.biWidth = view.width;
      info.bmiHeader.biHeight = -view.height;  // top-down rows
      ::SetDIBitsToDevice(dc, view.x, view.y, DWORD(view.width), DWORD(view.height), 0, 0, 0,
                          UINT(view.height), sharp_.out.data(), &info, DIB_RGB_COLORS);
      return;
    }
    info.bmiHeader.biWidth = frame_.width;
    info.bmiHeader.biHeight = -frame_.height;
    ::SetStretchBltMode(dc, view.smooth ? HALFTONE : COLORONCOLOR);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::StretchDIBits(dc, view.x, view.y, view.width, view.height, 0, 0, frame_.width, frame_.height,
                    frame_.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  }

  // The status line, drawn off screen and copied, so it does not flicker.
  void DrawStatus() {
    if (hwnd_ == nullptr || hdc_ == nullptr) return;
    statusDirty_ = false;
    RECT client;
    ::GetClientRect(hwnd_, &client);
    const WindowLayout layout = Layout();
    const int h = std::min<int>(layout.statusHeight, client.bottom);
    const int w = client.right;
    if (w <= 0 || h <= 0) return;
    FitFont(layout.uiScale);
    HDC mem = ::CreateCompatibleDC(hdc_);
    HBITMAP bitmap = ::CreateCompatibleBitmap(hdc_, w, h);
    HGDIOBJ oldBitmap = ::SelectObject(mem, bitmap);
    HGDIOBJ oldFont = font_ != nullptr ? ::SelectObject(mem, font_) : nullptr;
    RECT r{0, 0, w, h};
    HBRUSH background = ::CreateSolidBrush(RGB(40, 40, 40));
    ::FillRect(mem, &r, background);
    ::DeleteObject(background);
    ::SetBkMode(mem, TRANSPARENT);
    ::SetTextColor(mem, RGB(220, 220, 220));
    r.left += int(8.0f * layout.uiScale) * dpi_ / 96;
    r.right -= int(8.0f * layout.uiScale) * dpi_ / 96;
    // The picture (the editor's next object), as tall as the line less a margin, then the text.
    const Surface& picture = StatusPicture();
    if (picture.width > 0 && picture.height > 0) {
      const int side = std::max(1, h - 4 * dpi_ / 96);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = picture.width;
      info.bmiHeader.biHeight = -picture.height;  // rows top down
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      ::SetStretchBltMode(mem, COLORONCOLOR);
      ::StretchDIBits(mem, r.left, (h - side) / 2, side, side, 0, 0, picture.width, picture.height,
                      picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
      r.left += side + 6 * dpi_ / 96;
    }
    // The whole line, or the first shorter form that fits.
    std::wstring text = Utf16(StatusText());
    for (const std::string& shorter : StatusShorterTexts()) {
      SIZE extent{};
      ::GetTextExtentPoint32W(mem, text.c_str(), int(text.size()), &extent);
      if (extent.cx <= r.right - r.left) break;
      text = Utf16(shorter);
    }
    ::DrawTextW(mem, text.c_str(), int(text.size()), &r,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::BitBlt(hdc_, 0, client.bottom - h, w, h, mem, 0, 0, SRCCOPY);
    if (oldFont != nullptr) ::SelectObject(mem, oldFont);
    ::SelectObject(mem, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(mem);
  }

  HINSTANCE instance_;
  bool fpsLog_ = std::getenv("YELKO_FPS_LOG") != nullptr;
  FrameRateLog fpsCount_;
  bool classRegistered_ = false;
  HWND hwnd_ = nullptr;
  HDC hdc_ = nullptr;
  HMENU menu_ = nullptr;
  HFONT font_ = nullptr;
  float fontScale_ = 1;
  bool wholePixels_ = false;
  SharpScaler sharp_;
  int sharpFirst_ = 0;  // the rows of frame_ the sharp picture does not show yet
  int sharpLast_ = BoardPixels - 1;
  int dpi_ = 96;
  RECT windowed_{};
  bool fullScreen_ = false;
  Surface frame_;
  bool displayOpen_ = false;
  bool statusDirty_ = true;
  bool presenting_ = false;
  KeyLatch latch_;
  bool keyboardOpen_ = false;
  bool gamepadInUse_ = false;
  bool dragging_ = false;  // the left button went down on the board and is still held
  Gamepads pads_;
  FramePacer pacer_;
  Audio audio_;
  DWORD lastSound_ = 0;  // when the game last played a sound
};

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (TheBackend != nullptr && (TheBackend->Hwnd() == hwnd || TheBackend->Hwnd() == nullptr)) {
    return TheBackend->Handle(hwnd, msg, wParam, lParam);
  }
  return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

HANDLE singleCopy = nullptr;

void Report(const std::string& text, std::string* error) {
  if (error != nullptr) *error = text;
  ::MessageBoxA(nullptr, text.c_str(), "Yelko", MB_OK | MB_ICONERROR);
}

}  // namespace

std::uintptr_t InstanceHandle() {
  return reinterpret_cast<std::uintptr_t>(::GetModuleHandleA(nullptr));
}

std::vector<std::string> Utf8Arguments() {
  std::vector<std::string> out;
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) out.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
  }
  return out;
}

void UseParentConsole() {
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

Backend* CreateBackend(std::string* error, bool* alreadyRunning) {
  if (alreadyRunning != nullptr) *alreadyRunning = false;
  if (TheBackend != nullptr) {
    if (error != nullptr) *error = "the Windows backend is already in use";
    return nullptr;
  }
  // One copy at a time: a second one brings the first to the front and leaves.
  singleCopy = ::CreateMutexA(nullptr, FALSE, SingleCopyMutex);
  if (singleCopy != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(singleCopy);
    singleCopy = nullptr;
    if (HWND other = ::FindWindowA(GameClass, nullptr)) {
      if (::IsIconic(other)) ::ShowWindow(other, SW_RESTORE);
      ::SetForegroundWindow(other);
    }
    if (alreadyRunning != nullptr) *alreadyRunning = true;
    return nullptr;
  }
  // Board pixels are screen pixels: no blurry scaling by the system on a high-DPI screen.
  ::SetProcessDPIAware();
  // The levels, sheets and sounds lie beside the program, wherever it was started from.
  wchar_t path[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
  if (n == 0 || n >= std::size(path)) {
    Report("cannot find the folder of yelko.exe", error);
    return nullptr;
  }
  std::wstring folder(path, n);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  if (!::SetCurrentDirectoryW(folder.c_str())) {
    Report("cannot open the folder of yelko.exe", error);
    return nullptr;
  }
  ::timeBeginPeriod(1);
  TheBackend = new Win32Backend(::GetModuleHandleA(nullptr));
  return TheBackend;
}

void DestroyBackend(Backend* backend) {
  if (backend == nullptr || backend != TheBackend) return;
  delete TheBackend;
  TheBackend = nullptr;
  ::timeEndPeriod(1);
  if (singleCopy != nullptr) ::CloseHandle(singleCopy);
  singleCopy = nullptr;
}

}  // namespace platform::win32

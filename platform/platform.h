// The one door from the game to the machine it runs on.
//
// The game was written against a desktop of windows, message queues, a keyboard snapshot, a
// blitter and a sound mixer. Everything it needs of those services is declared here, as free
// functions; nothing outside platform/ includes SDL or any system header for them.
//
// Four backends stand behind this interface: platform/sdl/ for the Linux desktop,
// platform/win32/ for Windows, platform/web/ for the browser and platform/headless/ for tests and
// replays. Code that is the same for all (the message queue, the menu state, surfaces and blits,
// RIFF reading, files) lives in platform/ itself, so a frame drawn headless is the very frame a
// player sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/surface.h"

namespace platform {

// ---------------------------------------------------------------------------------------------
// Window system

using Window = std::uint32_t;  // 0: no window

// Message identifiers, with the values the window procedure knows them by.
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_INITDIALOG = 0x0110;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
// The pointer moved over the board with the left button held since a press on it (wParam
// MK_LBUTTON). Queued moves are merged: only the last position of a run waits in the queue.
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
// A file was given to the game (dropped on its window, or chosen in a file dialog): the game
// takes it with TakeGivenFile.
inline constexpr std::uint32_t WM_DROPFILES = 0x0233;
// A mouse message's wParam: the left button is held; Shift was held at the press. A right
// press picked from the page's palette carries the object to set in bits 16 to 23.
inline constexpr std::uint64_t MK_LBUTTON = 0x0001;
inline constexpr std::uint64_t MK_SHIFT = 0x0004;

// Virtual keys the game asks of the asynchronous key test.
inline constexpr int VK_RETURN = 13;
inline constexpr int VK_ESCAPE = 27;

struct Message {
  Window window = 0;
  std::uint32_t id = 0;
  std::uint64_t wParam = 0;
  std::int64_t lParam = 0;
};

using WindowProcFn = std::int64_t (*)(Window, std::uint32_t, std::uint64_t, std::int64_t);
using DialogProcFn = std::int64_t (*)(Window dialog, std::uint32_t, std::uint64_t, std::int64_t);

// Packs client coordinates the way a mouse message carries them: x in the low 16 bits, y in the
// next 16, each as a signed 16-bit value.
std::int64_t PackPoint(int x, int y);

// One line of a window's menu. `depth` 0 is a title on the menu bar, 1 an item under it, 2 an
// item of a submenu; a line with id 0 opens the lines of the next depth that follow it.
struct MenuEntry {
  const char* text;
  std::uint16_t id;
  std::uint8_t depth;
  bool enabled;
  bool checked = false;            // drawn with a check mark (the level in play)
  const char* shortcut = nullptr;  // the key that does the same, shown beside the text
};

// The clipboard's commands. Ctrl+C and Ctrl+V pressed in the game window arrive as these, as a
// WM_COMMAND like a menu click, and never as the C or V key.
inline constexpr std::uint16_t CmdCopyCode = 47;
inline constexpr std::uint16_t CmdPasteCode = 48;

// A button of a dialog, and the command it sends the dialog's procedure.
struct DialogButton {
  std::string text;
  std::uint16_t id = 0;
};

// A modal dialog's content: a caption and lines of static text, with its buttons; without any,
// one OK button (command 1). The first button is the default (Enter); Escape and the close box
// send command 2.
struct DialogTemplate {
  const char* caption;
  std::vector<std::string> lines;
  std::vector<DialogButton> buttons = {};
  bool low = false;  // shown in the board's lower half where it fits (leaving its top to see)
};

bool RegisterWindowClass(const char* className, WindowProcFn proc);
// Creates the one game window. Its procedure receives WM_CREATE before this returns. 0 on failure.
Window CreateGameWindow(const char* className, const char* title, std::vector<MenuEntry> menu);
// Removes at most one queued message without waiting. False when none was queued.
bool PeekMessage(Message* out);
// Runs the window procedure of the message's window to completion and returns its result.
std::int64_t DispatchMessage(const Message& message);
void PostMessage(Window window, std::uint32_t id, std::uint64_t wParam, std::int64_t lParam);
void PostQuitMessage(int exitCode);
// Sends WM_DESTROY to the window's procedure, then forgets the window.
bool DestroyWindow(Window window);
// The default handling: WM_CLOSE destroys the window; everything else is answered with 0.
std::int64_t DefWindowProc(Window window, std::uint32_t id, std::uint64_t wParam,
                           std::int64_t lParam);
// The window that has the keyboard focus, or 0.
Window GetActiveWindow();
// The window of that class (and that title, when one is given), or 0.
Window FindWindow(const char* className, const char* title);
bool EnableMenuItem(Window window, std::uint16_t id, bool enabled);
bool IsMenuItemEnabled(Window window, std::uint16_t id);
bool CheckMenuItem(Window window, std::uint16_t id, bool checked);
bool IsMenuItemChecked(Window window, std::uint16_t id);
// The window's menu lines as they stand (empty for no window).
const std::vector<MenuEntry>& GetMenu(Window window);
// The one line of text under the board (moves, par, what the keys do). The backend shows it
// outside the 560 x 560 frame, so the board's picture is never touched by it: the text, or where
// it does not fit the window's width, the first of the shorter forms that does.
void SetStatusText(const std::string& text, std::vector<std::string> shorter = {});
const std::string& StatusText();
const std::vector<std::string>& StatusShorterTexts();
// A small picture shown before the status line's text, as tall as the line (the editor's next
// object, drawn as it looks); an empty surface shows none.
void SetStatusPicture(const Surface& picture);
const Surface& StatusPicture();
// A modal box with the text and an OK button; returns when dismissed. Owner 0: no owner.
void MessageBox(Window owner, const char* text, const char* caption);
// A small modal box asking for one line of text (up to MaxAskedTextChars characters), with OK
// and Cancel; Enter is OK, Escape and the close box Cancel. True with *text set on OK. The text
// a player pastes into it (Ctrl+V) goes in, as typed text does; line breaks and other control
// characters never do. Returns at once with false where no box can be shown.
inline constexpr std::size_t MaxAskedTextChars = 400;
bool AskForText(Window owner, const char* caption, const char* prompt, std::string* text);
// The system clipboard's text: "" when it is empty, holds no text or cannot be read.
std::string ClipboardText();
// Puts the text on the clipboard; false when it cannot.
bool SetClipboardText(const std::string& text);
// A file given to the game from outside: its path, or where there is none (the page) its name
// and the text it holds.
struct GivenFile {
  std::string path;
  std::string name;
  std::string text;
  bool hasText = false;
};
// Backends: queues the file (at most a few wait) and posts WM_DROPFILES to the game window.
void GiveFile(GivenFile file);
// The oldest file given and not yet taken; false when none waits.
bool TakeGivenFile(GivenFile* out);
// True where the system has a dialog to choose a file with (Windows, the page).
bool HasFileDialog();
// Opens that dialog; the file chosen arrives as a WM_DROPFILES, now or later (the page asks
// without waiting). False where there is no dialog.
bool ChooseFile(Window owner, const char* caption);
// Runs a modal dialog: the procedure gets WM_INITDIALOG, then a WM_COMMAND for each button
// press, until it calls EndDialog. Messages for other windows keep being dispatched meanwhile.
void DialogBox(Window owner, const DialogTemplate& dialog, DialogProcFn proc);
bool EndDialog(Window dialog, std::int64_t result);
// True while the key is held, whatever window has the focus.
bool AsyncKeyDown(int virtualKey);
// A short audible signal.
void Beep();

// ---------------------------------------------------------------------------------------------
// The player's saved values: the level to resume, the best move counts, the window's place.
// Each is a small named binary value: on Linux a file of that name in UserDataDirectory(), on
// Windows a REG_BINARY value under HKEY_CURRENT_USER\Software\Yelko, in the browser a record
// of its own in the page's IndexedDB.

// Not Ok when the value does not exist (Absent) or exists but cannot be read or holds more than
// limit bytes (Unreadable, which no writer may then replace as if it were absent).
ReadOutcome ReadUserValue(const char* name, std::size_t limit, std::vector<std::uint8_t>* out);
// Replaces the value whole or not at all. False on failure (the old value then stands), with
// *why (when given) saying why in plain words.
bool WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                    std::string* why = nullptr);
// Changes the value in place: *bytes holds it as stored now (empty when absent); returns false
// when it needs no change.
using ValueMerge = std::function<bool(std::vector<std::uint8_t>* bytes)>;
// Reads the value, merges and writes it back under a lock every copy of the game takes (other
// processes, other tabs), so that what another copy wrote meanwhile is kept. A value that cannot
// be read is left alone: false, with *why saying so.
bool UpdateUserValue(const char* name, std::size_t limit, const ValueMerge& merge,
                     std::string* why = nullptr);

// Settings a player may edit by hand (the keys file): on Linux the file of that name in
// UserConfigDirectory(), on Windows a value of that name under HKEY_CURRENT_USER\Software\Yelko
// (REG_SZ, or REG_MULTI_SZ with one line a string). Read as ReadUserValue reads.
ReadOutcome ReadUserSetting(const char* name, std::size_t limit, std::vector<std::uint8_t>* out);
// Where that setting is kept, in words a player can follow ("" when nowhere).
std::string UserSettingPlace(const char* name);

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse devices

// Opens the keyboard device. False when there is none.
bool KeyboardOpen();
// Fills 256 bytes indexed by DirectInput scan code, 0x80 for each held key. False when the
// keyboard cannot be read (state then untouched).
bool KeyboardRead(std::uint8_t state[256]);
void KeyboardClose();
// True while the player is using a gamepad (its buttons arrive as keys of the snapshot), so
// that the status line can name buttons instead of keys.
bool GamepadInUse();
// True when searches may run on a thread of their own (see Backend::BackgroundThreads).
bool BackgroundThreads();
// True when the game's keys are also buttons on the screen (a touch screen), so that the status
// line need not name keys.
bool OnScreenButtons();
bool MouseOpen();
void MouseClose();

// ---------------------------------------------------------------------------------------------
// Clock

// Milliseconds since an arbitrary start, wrapping modulo 2^32.
std::uint32_t Ticks();
// Called on every turn of a busy wait: lets the clock move on (the headless clock advances one
// millisecond; the desktop gives the processor back for a moment).
void SpinPause();

// ---------------------------------------------------------------------------------------------
// Display

// Readies the display for a game window. The desktop's mode is never changed: the requested
// mode is only recorded. False when there is no display.
bool DisplayOpen(int width, int height, int bitsPerPixel);
void DisplayClose();
// Blocks until the next 60 Hz display tick.
void WaitVerticalBlank();
// Shows the 560 x 560 frame in the window's board area, scaled to fit the window (a click is
// mapped back to board pixels before it reaches the game).
bool Present(const Surface& frame);

// The caption the window shows; the window keeps being found (FindWindow) by the title it was
// made with.
void SetWindowCaption(const std::string& caption);
// Full screen on or off (the desktop's mode is never changed).
void ToggleFullScreen();
// Whether the board is drawn only at whole multiples of its size (false: it fills the window,
// pixels kept sharp).
void SetWholePixels(bool on);
// The game has nothing to do: waits until the player does something (a key, a click, the
// window's focus or size changing) or timeoutMs pass. The next frame then starts at once and
// the frame clock runs on from there. Returns at once where frames are counted, not timed (the
// replay runner).
void WaitForInput(std::uint32_t timeoutMs);

// ---------------------------------------------------------------------------------------------
// Audio

struct PcmFormat {
  std::uint32_t rate = 11025;
  std::uint16_t channels = 1;
  std::uint16_t bits = 8;
};

// A static buffer of samples the device can play; made and owned by the backend.
struct SoundBuffer {
  virtual ~SoundBuffer() = default;
};

// Opens the audio device, which mixes every playing buffer. False when there is none.
bool AudioOpen();
void AudioClose();
// Copies the samples into a new buffer. `name` labels it (the file it came from). Null when the
// device is closed or the format is not one the buffer can hold.
SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format,
                               const char* name);
// Plays the buffer once from its start (a playing buffer starts over).
bool PlaySoundBuffer(SoundBuffer* buffer);
// Stops the buffer and rewinds it.
void StopSoundBuffer(SoundBuffer* buffer);
void ReleaseSoundBuffer(SoundBuffer* buffer);

}  // namespace platform

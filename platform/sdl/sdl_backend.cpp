#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <SDL_ttf.h>
#include <dlfcn.h>
#include <glob.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/key_latch.h"
#include "platform/keys.h"
#include "platform/pacing.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_box.h"
#include "platform/sdl/sdl_draw.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_menu.h"
#include "platform/sdl/sdl_settings.h"
#include "platform/viewport.h"

namespace platform::sdl {
namespace {

constexpr int FontPixels = 13;
constexpr const char* GameClass = "WINXCLASS";

// A stick counts as a D-pad press past StickPress and lets go below StickRelease.
constexpr int StickPress = 16000;
constexpr int StickRelease = 8000;
// How long a turn of the loop waits for an event while the window has no focus.
constexpr int UnfocusedWaitMs = 500;
// A window smaller than this (in points, around the board) is of no use: half the board, where
// the status line still has room for the moves and the par.
constexpr int MinBoardSide = 280;

// The Player's cell in the pieces sheet, for the window icon.
constexpr int IconX = 83;
constexpr int IconY = 1;
constexpr int IconSide = 40;

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && v[0] != '\0';
}

void Post(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam) {
  const Window w = FindWindow(GameClass, nullptr);
  if (w != 0) PostMessage(w, id, wParam, lParam);
}

// The icon: the Player from the game's "pieces.bmp", black transparent. None when the sheet is
// missing or too small.
void SetIcon(SDL_Window* window) {
  SDL_Surface* sheet = SDL_LoadBMP(GameDataPath("pieces.bmp").c_str());
  if (sheet == nullptr) return;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(sheet, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(sheet);
  if (argb == nullptr) return;
  SDL_Surface* icon = nullptr;
  if (argb->w >= IconX + IconSide && argb->h >= IconY + IconSide && SDL_LockSurface(argb) == 0) {
    icon = SDL_CreateRGBSurfaceWithFormat(0, IconSide, IconSide, 32, SDL_PIXELFORMAT_ARGB8888);
    if (icon != nullptr && SDL_LockSurface(icon) == 0) {
      for (int y = 0; y < IconSide; ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(
                               static_cast<const std::uint8_t*>(argb->pixels) +
                               std::size_t(IconY + y) * std::size_t(argb->pitch)) +
                           IconX;
        auto* to = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(icon->pixels) +
                                                    std::size_t(y) * std::size_t(icon->pitch));
        for (int x = 0; x < IconSide; ++x) {
          const std::uint32_t rgb = from[x] & 0xFFFFFF;
          to[x] = rgb == 0 ? 0 : (rgb | 0xFF000000u);
        }
      }
      SDL_UnlockSurface(icon);
    }
    SDL_UnlockSurface(argb);
  }
  SDL_FreeSurface(argb);
  if (icon != nullptr) {
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
  }
}

// The X server's bell, for a beep without an audio device. libX11 is already loaded by SDL; we
// only look it up, so the program does not link it.
void RingBell(SDL_Window* window) {
  if (window == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (x11 == nullptr) return;
  using BellFn = int (*)(Display*, int);
  using FlushFn = int (*)(Display*);
  auto bell = reinterpret_cast<BellFn>(dlsym(x11, "XBell"));
  auto flush = reinterpret_cast<FlushFn>(dlsym(x11, "XFlush"));
  if (bell != nullptr && flush != nullptr) {
    bell(info.info.x11.display, 0);
    flush(info.info.x11.display);
  }
  dlclose(x11);
}

// Whether an X11 window manager runs (one that follows the desktop conventions names itself on
// the root window). Without one nobody acts on a request for full screen, so the window covers
// its display itself. Anything but X11 is taken to have one.
bool HaveWindowManager(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (x11 == nullptr) return true;
  using AtomFn = unsigned long (*)(Display*, const char*, int);
  using PropertyFn = int (*)(Display*, unsigned long, unsigned long, long, long, int, unsigned long,
                             unsigned long*, int*, unsigned long*, unsigned long*, unsigned char**);
  using FreeFn = int (*)(void*);
  auto atom = reinterpret_cast<AtomFn>(dlsym(x11, "XInternAtom"));
  auto property = reinterpret_cast<PropertyFn>(dlsym(x11, "XGetWindowProperty"));
  auto release = reinterpret_cast<FreeFn>(dlsym(x11, "XFree"));
  using RootFn = unsigned long (*)(Display*);
  auto root = reinterpret_cast<RootFn>(dlsym(x11, "XDefaultRootWindow"));
  bool found = true;
  if (atom != nullptr && property != nullptr && release != nullptr && root != nullptr) {
    Display* display = info.info.x11.display;
    const unsigned long check = atom(display, "_NET_SUPPORTING_WM_CHECK", 1);
    unsigned long type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    found = check != 0 &&
            property(display, root(display), check, 0, 1, 0, 0 /* AnyPropertyType */, &type,
                     &format, &count, &after, &data) == 0 &&
            count > 0;
    if (data != nullptr) release(data);
  }
  dlclose(x11);
  return found;
}

// An X11 desktop's scale factor is not the window's: X11 windows count pixels, and the desktop
// asks for larger text through the Xft.dpi resource (192 at 200 %). 1 without one, or on
// anything but X11, where SDL's drawable size carries the scale instead.
float DesktopTextScale(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 1;
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (x11 == nullptr) return 1;
  using ResourcesFn = char* (*)(Display*);
  auto resources = reinterpret_cast<ResourcesFn>(dlsym(x11, "XResourceManagerString"));
  const char* text = resources != nullptr ? resources(info.info.x11.display) : nullptr;
  float scale = 1;
  const char* at = text != nullptr ? std::strstr(text, "Xft.dpi:") : nullptr;
  if (at != nullptr && (at == text || at[-1] == '\n')) {
    const float dpi = std::strtof(at + 8, nullptr);
    if (dpi >= 110 && dpi <= 480) scale = dpi / 96;
  }
  dlclose(x11);
  return scale;
}

// Whether the machine has a GPU to draw with: a DRM render node. Without one SDL's OpenGL
// renderer would run on a software rasteriser, which costs more than SDL's own software
// renderer for our few rectangles.
bool HaveGpu() {
  glob_t found{};
  const bool any = glob("/dev/dri/renderD*", 0, nullptr, &found) == 0 && found.gl_pathc > 0;
  globfree(&found);
  return any;
}

// True when a window of that place fits a display that shows enough of its top (the menu bar)
// for it to be grabbed (the screens may have changed since it was saved).
bool OnSomeDisplay(const WindowPlace& place) {
  const SDL_Rect top{place.x, place.y, place.width, 50};
  for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
    SDL_Rect bounds;
    SDL_Rect common;
    if (SDL_GetDisplayBounds(i, &bounds) == 0 && place.width <= bounds.w &&
        place.height <= bounds.h && SDL_IntersectRect(&top, &bounds, &common) == SDL_TRUE &&
        common.w >= 100 && common.h >= 50) {
      return true;
    }
  }
  return false;
}

class SdlBackend final : public Backend {
 public:
  explicit SdlBackend(TTF_Font* font) {
    UseFont(font, 1.0f);
    fpsLog_ = Set("YELKO_FPS_LOG");
  }

  ~SdlBackend() override {
    for (SDL_GameController* pad : pads_) SDL_GameControllerClose(pad);
    CloseAudio(audio_);
    while (!audio_.sounds.empty()) ReleaseSound(audio_, audio_.sounds.back());
    CloseWindow();
    if (screen_.font != nullptr) TTF_CloseFont(screen_.font);
  }

  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  // ---- Window system

  bool OpenWindow(const char* title, const std::vector<MenuEntry>& menu) override {
    if (screen_.window != nullptr) return false;
    bar_ = BuildMenuBar(menu);
    screen_.bar = &bar_;
    LayoutMenuBar(bar_, screen_);
    WindowPlace place;
    const bool known = LoadWindowPlace(&place) && OnSomeDisplay(place);
    screen_.window =
        SDL_CreateWindow(title, known ? place.x : int(SDL_WINDOWPOS_CENTERED),
                         known ? place.y : int(SDL_WINDOWPOS_CENTERED),
                         known ? place.width : BoardPixels, known ? place.height : BoardPixels,
                         SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (screen_.window == nullptr) return false;
    if (!Set("SDL_RENDER_DRIVER") && !HaveGpu()) {
      SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    }
    screen_.renderer = SDL_CreateRenderer(screen_.window, -1, 0);
    if (screen_.renderer == nullptr) {
      screen_.renderer = SDL_CreateRenderer(screen_.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (screen_.renderer == nullptr) {
      SDL_DestroyWindow(screen_.window);
      screen_.window = nullptr;
      return false;
    }
    if (fpsLog_) {
      SDL_RendererInfo info;
      if (SDL_GetRendererInfo(screen_.renderer, &info) == 0) {
        std::fprintf(stderr, "yelko: drawing with SDL's %s renderer\n", info.name);
      }
    }
    textScale_ = DesktopTextScale(screen_.window);
    FitFontToScreen();

    // The menu bar and the status line in the window's units (points).
    const int chrome =
        int(std::ceil(float(screen_.barHeight + screen_.statusHeight) / PixelRatio()));
    SDL_SetWindowMinimumSize(screen_.window, MinBoardSide, MinBoardSide + chrome);
    if (!known) {
      // The first start: centred, filling about 85 % of the desktop's height.
      SDL_Rect usable{0, 0, BoardPixels, BoardPixels + chrome};
      SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(screen_.window)), &usable);
      const ClientSize size =
          FirstClientSize(usable.w, usable.h, chrome / 2, chrome - chrome / 2, 1, BoardPixels);
      SDL_SetWindowSize(screen_.window, size.width, size.height);
      SDL_SetWindowPosition(screen_.window, int(SDL_WINDOWPOS_CENTERED),
                            int(SDL_WINDOWPOS_CENTERED));
      FitFontToScreen();
    }
    SetIcon(screen_.window);
    screen_.frame.assign(std::size_t(BoardPixels) * BoardPixels, 0);
    SDL_ShowWindow(screen_.window);
    if (place.fullScreen) SetFullScreen(true);
    Repaint();
    SDL_RaiseWindow(screen_.window);
    return true;
  }

  void CloseWindow() override {
    if (screen_.window == nullptr) return;
    // The window closes as the game ends: there is no status line left to say it on.
    if (std::string why; !SaveWindowPlace(PlaceToRemember(), &why)) {
      std::fprintf(stderr, "yelko: could not save the window's place: %s\n", why.c_str());
    }
    ReleaseScene(screen_);
    SDL_DestroyRenderer(screen_.renderer);
    screen_.renderer = nullptr;
    SDL_DestroyWindow(screen_.window);
    screen_.window = nullptr;
    keyboardOpen_ = false;
  }

  void PumpEvents() override {
    if (screen_.window == nullptr) return;
    // Without the focus the game runs no frame: wait for something to happen (the focus coming
    // back is an event) rather than turning the loop.
    if (!HasFocus()) SDL_WaitEventTimeout(nullptr, UnfocusedWaitMs);
    SDL_Event e;
    while (SDL_PollEvent(&e)) Handle(e);
  }

  bool HasFocus() override {
    return screen_.window != nullptr &&
           (SDL_GetWindowFlags(screen_.window) & SDL_WINDOW_INPUT_FOCUS) != 0;
  }

  void MenuChanged() override {
    screen_.chromeDirty = true;
    Repaint();
  }

  // The text is drawn with the next frame; without frames (no focus) at once.
  void StatusChanged() override {
    screen_.chromeDirty = true;  // the picture may change with the text unchanged
    if (!HasFocus()) Repaint();
  }

  void MessageBox(const char* text, const char* caption) override {
    bool close = false;
    Ask(caption, SplitLines(text), {}, &close);
  }

  void RunDialog(Window dialog, const DialogTemplate& content, DialogProcFn proc) override {
    bool close = false;
    while (!DialogEnded(dialog)) {
      const int answer = Ask(content.caption != nullptr ? content.caption : "", content.lines,
                             content.buttons, &close, content.low);
      proc(dialog, WM_COMMAND, std::uint64_t(answer), 0);
    }
  }

  bool AskForText(const char* caption, const char* prompt, std::string* text) override {
    if (screen_.window == nullptr) return false;
    bool close = false;
    const bool ok = RunTextBox(screen_, caption, prompt, text, &close);
    AfterModal();
    if (close) Post(WM_CLOSE, 0, 0);
    return ok;
  }

  std::string ClipboardText() override {
    std::string text;
    if (char* held = SDL_GetClipboardText()) {  // "" when there is none
      text = held;
      SDL_free(held);
    }
    return text;
  }

  bool SetClipboardText(const std::string& text) override {
    return SDL_SetClipboardText(text.c_str()) == 0;
  }

  bool AsyncKeyDown(int virtualKey) override {
    if (virtualKey == VK_ESCAPE) return KeyLatchAsk(keys_, DIK_ESCAPE);
    if (virtualKey == VK_RETURN) {
      const bool enter = KeyLatchAsk(keys_, DIK_RETURN);
      return KeyLatchAsk(keys_, DIK_NUMPADENTER) || enter;
    }
    return false;
  }

  void Beep() override {
    if (!PlayBeep(audio_)) RingBell(screen_.window);
  }

  // ---- Keyboard and mouse

  bool KeyboardOpen() override {
    keyboardOpen_ = screen_.window != nullptr;
    return keyboardOpen_;
  }

  // Every key held now or tapped since the last read, from the keyboard and the gamepad.
  bool KeyboardRead(std::uint8_t state[256]) override {
    if (!keyboardOpen_) return false;
    std::uint8_t pad[256];
    KeyLatchSnapshot(keys_, state);
    KeyLatchSnapshot(pad_, pad);
    for (int i = 0; i < 256; ++i) state[i] |= pad[i];
    return true;
  }

  bool GamepadInUse() override { return gamepadInUse_; }
  bool BackgroundThreads() override { return true; }

  void KeyboardClose() override { keyboardOpen_ = false; }
  bool MouseOpen() override { return screen_.window != nullptr; }
  void MouseClose() override {}

  // ---- Clock

  std::uint32_t Ticks() override { return SDL_GetTicks(); }
  void SpinPause() override { SDL_Delay(1); }

  // ---- Display

  bool DisplayOpen(int width, int height, int bitsPerPixel) override {
    requestedWidth_ = width;  // recorded only: the desktop's mode is never changed
    requestedHeight_ = height;
    requestedBits_ = bitsPerPixel;
    displayOpen_ = true;
    return true;
  }

  void DisplayClose() override { displayOpen_ = false; }

  void WaitVerticalBlank() override { WaitForNextTick(pacer_, SystemPacingClock()); }

  void WaitForInput(std::uint32_t timeoutMs) override {
    const Uint64 since = SDL_GetTicks64();
    SDL_WaitEventTimeout(nullptr, int(std::min<std::uint32_t>(timeoutMs, 60000)));
    // After a real wait the next frame runs at once, and the clock counts its ticks from there.
    if (SDL_GetTicks64() - since >= 1000 / TicksPerSecond) pacer_ = FramePacer{};
  }

  void SetWindowCaption(const std::string& caption) override {
    if (screen_.window != nullptr) SDL_SetWindowTitle(screen_.window, caption.c_str());
  }

  void ToggleFullScreen() override { SetFullScreen(!IsFullScreen()); }

  void SetWholePixels(bool on) override {
    screen_.wholePixels = on;
    FitFontToScreen();
    Repaint();
  }

  bool Present(const Surface& frame) override {
    if (!displayOpen_ || screen_.window == nullptr || frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < std::size_t(frame.width) * std::size_t(frame.height)) {
      return false;
    }
    if (fpsLog_) CountPresentedFrame(fpsCount_, SDL_GetTicks64());
    // A frame like the one on screen, with the menu bar and the status line unchanged, is
    // already shown: a still board costs nothing.
    const bool chromeSame = !screen_.chromeDirty && screen_.statusShown == StatusText();
    const int w = std::min(frame.width, BoardPixels);
    const int h = std::min(frame.height, BoardPixels);
    int first = BoardPixels;  // the rows that changed: only those go to the texture
    int last = -1;
    for (int y = 0; y < h; ++y) {
      std::uint32_t* to = &screen_.frame[std::size_t(y) * BoardPixels];
      const std::uint32_t* from = &frame.pixels[std::size_t(y) * std::size_t(frame.width)];
      const std::size_t bytes = std::size_t(w) * sizeof(std::uint32_t);
      if (std::memcmp(to, from, bytes) == 0) continue;
      std::memcpy(to, from, bytes);
      first = std::min(first, y);
      last = y;
    }
    if (last < 0 && chromeSame) return true;
    return ShowFrame(screen_, first, last);
  }

  // ---- Audio

  bool AudioOpen() override { return OpenAudio(audio_); }
  void AudioClose() override { CloseAudio(audio_); }
  SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format,
                                 const char*) override {
    return MakeSound(audio_, data, bytes, format);
  }
  bool PlaySoundBuffer(SoundBuffer* buffer) override { return PlaySound(audio_, buffer); }
  void StopSoundBuffer(SoundBuffer* buffer) override { StopSound(audio_, buffer); }
  void ReleaseSoundBuffer(SoundBuffer* buffer) override { ReleaseSound(audio_, buffer); }

 private:
  void Handle(SDL_Event& e) {
    ScaleMouse(screen_, e);
    switch (e.type) {
      case SDL_QUIT:  // the close box, or a signal to end
        Post(WM_CLOSE, 0, 0);
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          FitFontToScreen();
          Repaint();
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
          KeyLatchClear(keys_);
          KeyLatchClear(pad_);
          stickX_ = stickY_ = 0;  // a stick still pushed counts again when it next moves
        }
        break;
      case SDL_DROPFILE:  // a file dropped on the window, or given to the running game
        if (e.drop.file != nullptr) {
          GiveFile({e.drop.file, "", "", false});
          SDL_free(e.drop.file);
        }
        break;
      case SDL_RENDER_TARGETS_RESET:
      case SDL_RENDER_DEVICE_RESET:  // the textures are gone: make them again
        ReleaseScene(screen_);
        Repaint();
        break;
      case SDL_KEYDOWN:
        gamepadInUse_ = false;
        if (!KeyDown(e.key)) {
          KeyLatchDown(keys_, DirectInputCode(e.key.keysym.scancode), e.key.repeat != 0);
        }
        break;
      case SDL_KEYUP:
        if (const std::uint8_t code = DirectInputCode(e.key.keysym.scancode)) {
          KeyLatchUp(keys_, code);
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        gamepadInUse_ = false;
        MouseDown(e.button);
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT) dragging_ = false;
        break;
      case SDL_MOUSEMOTION:
        if (dragging_ && (e.motion.state & SDL_BUTTON_LMASK) != 0) MouseMoved(e.motion);
        break;
      case SDL_CONTROLLERDEVICEADDED:
        if (SDL_GameController* pad = SDL_GameControllerOpen(e.cdevice.which)) {
          pads_.push_back(pad);
        }
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        for (std::size_t i = 0; i < pads_.size(); ++i) {
          SDL_Joystick* stick = SDL_GameControllerGetJoystick(pads_[i]);
          if (stick != nullptr && SDL_JoystickInstanceID(stick) == e.cdevice.which) {
            SDL_GameControllerClose(pads_[i]);
            pads_.erase(pads_.begin() + std::ptrdiff_t(i));
            break;
          }
        }
        KeyLatchClear(pad_);
        stickX_ = stickY_ = 0;
        break;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        if (const std::uint8_t code = GamepadButtonCode(e.cbutton.button)) {
          gamepadInUse_ = true;
          if (e.type == SDL_CONTROLLERBUTTONDOWN) {
            KeyLatchDown(pad_, code);
          } else {
            KeyLatchUp(pad_, code);
          }
        }
        break;
      case SDL_CONTROLLERAXISMOTION:
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) {
          Stick(stickX_, e.caxis.value, PAD_LEFT, PAD_RIGHT);
        } else if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
          Stick(stickY_, e.caxis.value, PAD_UP, PAD_DOWN);
        }
        break;
      default:
        IgnoreDrop(e);  // text dropped: nothing the game takes
        break;
    }
  }

  // The left stick as a D-pad: one direction at a time per axis, with some play around the
  // middle so that a resting stick does not wander between pressed and released.
  void Stick(int& direction, int value, std::uint8_t lowKey, std::uint8_t highKey) {
    int now = direction;
    if (value <= -StickPress) now = -1;
    if (value >= StickPress) now = 1;
    if (value > -StickRelease && value < StickRelease) now = 0;
    if (now == direction) return;
    if (direction != 0) KeyLatchUp(pad_, direction < 0 ? lowKey : highKey);
    if (now != 0) {
      KeyLatchDown(pad_, now < 0 ? lowKey : highKey);
      gamepadInUse_ = true;
    }
    direction = now;
  }

  // A key the window takes for itself (a menu, full screen) returns true and is not seen by
  // the game's keyboard.
  bool KeyDown(const SDL_KeyboardEvent& key) {
    const SDL_Keycode sym = key.keysym.sym;
    const Uint16 mod = key.keysym.mod;
    const bool alt = (mod & KMOD_ALT) != 0 && (mod & (KMOD_CTRL | KMOD_GUI)) == 0;
    if (alt && sym >= SDLK_a && sym <= SDLK_z) {
      const int title = TitleByMnemonic(bar_, char(sym));
      if (title >= 0) {
        RunMenuOf(title, true);
        return true;
      }
    }
    // Ctrl+C and Ctrl+V are the clipboard's commands, never the C or V key.
    const bool ctrl = (mod & KMOD_CTRL) != 0 && (mod & (KMOD_ALT | KMOD_GUI)) == 0;
    if (ctrl && (sym == SDLK_c || sym == SDLK_v)) {
      if (key.repeat == 0) Post(WM_COMMAND, sym == SDLK_c ? CmdCopyCode : CmdPasteCode, 0);
      return true;
    }
    if (sym == SDLK_F10 && (mod & (KMOD_ALT | KMOD_CTRL | KMOD_SHIFT | KMOD_GUI)) == 0 &&
        !bar_.titles.empty()) {
      RunMenuOf(0, true);
      return true;
    }
    // Alt+Enter is the window's: the Enter that made the window full screen never leaves the
    // editor. The game's own full-screen key (F11 unless the player chose another) comes
    // through the keyboard like any other.
    if (alt && (sym == SDLK_RETURN || sym == SDLK_KP_ENTER)) {
      if (key.repeat == 0) SetFullScreen(!IsFullScreen());
      return true;
    }
    return false;
  }

  bool IsFullScreen() const {
    return screen_.window != nullptr &&
           (coversDisplay_ || (SDL_GetWindowFlags(screen_.window) & SDL_WINDOW_FULLSCREEN) != 0);
  }

  // Desktop full screen: the window covers its display, whose mode never changes.
  void SetFullScreen(bool on) {
    if (screen_.window == nullptr || on == IsFullScreen()) return;
    if (on) normalPlace_ = CurrentPlace();
    SDL_Rect display{};
    if (on && !HaveWindowManager(screen_.window) &&
        SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(screen_.window)), &display) ==
            0) {
      coversDisplay_ = true;
      SDL_SetWindowBordered(screen_.window, SDL_FALSE);
      SDL_SetWindowPosition(screen_.window, display.x, display.y);
      SDL_SetWindowSize(screen_.window, display.w, display.h);
    } else if (coversDisplay_) {
      coversDisplay_ = false;
      SDL_SetWindowBordered(screen_.window, SDL_TRUE);
    } else {
      SDL_SetWindowFullscreen(screen_.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }
    if (!on && normalPlace_.width > 0) {
      // Back to the size and place it had, also where no window manager restores them.
      SDL_SetWindowSize(screen_.window, normalPlace_.width, normalPlace_.height);
      SDL_SetWindowPosition(screen_.window, normalPlace_.x, normalPlace_.y);
    }
    Repaint();
  }

  // The window's place (its inside): while full screen, the one it had before.
  WindowPlace CurrentPlace() {
    if (IsFullScreen()) {
      WindowPlace p = normalPlace_;
      p.fullScreen = true;
      return p;
    }
    WindowPlace p;
    SDL_GetWindowPosition(screen_.window, &p.x, &p.y);
    SDL_GetWindowSize(screen_.window, &p.width, &p.height);
    // A window manager puts a new window's frame, not its inside, at the place asked for: keep
    // the frame's place, or the window would creep down by its title bar on every start.
    int top = 0;
    int left = 0;
    if (SDL_GetWindowBordersSize(screen_.window, &top, &left, nullptr, nullptr) == 0) {
      frameLeft_ = left;
      frameTop_ = top;
    }
    return p;
  }

  WindowPlace PlaceToRemember() {
    WindowPlace p = CurrentPlace();
    p.x -= frameLeft_;
    p.y -= frameTop_;
    return p;
  }

  void MouseDown(const SDL_MouseButtonEvent& button) {
    if (button.y < screen_.barHeight) {
      // The menu bar lies outside the board: a press there only opens a menu.
      if (button.button == SDL_BUTTON_LEFT) {
        const int title = TitleAt(bar_, screen_, button.x, button.y);
        if (title >= 0) RunMenuOf(title, false);
      }
      return;
    }
    // The board pixel under the pointer; the letterbox and the status line are no board.
    if (button.y >= screen_.height - screen_.statusHeight) return;
    int x = 0;
    int y = 0;
    if (!ViewportToBoard(BoardView(screen_), button.x, button.y, &x, &y, BoardPixels)) return;
    // A desktop counts presses in pairs: the second of a quick pair is a double click, the
    // third starts a new pair.
    const bool doubleClick = button.clicks >= 2 && button.clicks % 2 == 0;
    std::uint32_t id = 0;
    if (button.button == SDL_BUTTON_LEFT) id = doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    if (button.button == SDL_BUTTON_RIGHT) id = doubleClick ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
    if (button.button == SDL_BUTTON_LEFT) dragging_ = true;
    const std::uint64_t shift = (SDL_GetModState() & KMOD_SHIFT) != 0 ? MK_SHIFT : 0;
    if (id != 0) Post(id, shift, PackPoint(x, y));
  }

  // A drag that began on the board goes on wherever the pointer goes: the game keeps what
  // lies on the board. Outside the board's picture the point is beyond its edges.
  void MouseMoved(const SDL_MouseMotionEvent& motion) {
    const Viewport view = BoardView(screen_);
    if (view.width <= 0 || view.height <= 0) return;
    const auto board = [](int at, int origin, int size) {
      const long long p = (static_cast<long long>(at) - origin) * BoardPixels / size;
      return int(std::clamp<long long>(p, -1, BoardPixels));
    };
    Post(WM_MOUSEMOVE, MK_LBUTTON,
         PackPoint(board(motion.x, view.x, view.width), board(motion.y, view.y, view.height)));
  }

  void RunMenuOf(int title, bool fromKeyboard) {
    bool close = false;
    const std::uint16_t command = RunMenu(bar_, screen_, title, fromKeyboard, &close);
    AfterModal();
    if (command != 0) Post(WM_COMMAND, command, 0);
    if (close) Post(WM_CLOSE, 0, 0);
  }

  // Runs a modal box and returns its answer (a button's id, or BoxCancel).
  int Ask(const char* caption, const std::vector<std::string>& lines,
          const std::vector<DialogButton>& buttons, bool* close, bool low = false) {
    if (screen_.window == nullptr) {
      // No window yet: the system's box, owned by nobody.
      std::string text;
      for (const std::string& line : lines) text += line + "\n";
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text.c_str(), nullptr);
      return BoxOk;
    }
    const int answer = RunBox(screen_, caption, lines, buttons, close, low);
    AfterModal();
    if (*close) Post(WM_CLOSE, 0, 0);
    return answer;
  }

  // After a menu or box: paint the board again; the keys that answered it count only once
  // pressed again (platform/key_latch.h).
  void AfterModal() {
    EndOverlay(screen_);
    Repaint();
    KeyLatchAfterModal(keys_);
    // The box or menu took the gamepad's releases too.
    KeyLatchAfterModal(pad_);
    stickX_ = stickY_ = 0;
  }

  void Repaint() { RenderScene(screen_, false); }

  void UseFont(TTF_Font* font, float ratio) {
    if (screen_.font != nullptr && screen_.font != font) TTF_CloseFont(screen_.font);
    screen_.font = font;
    fontRatio_ = ratio;
    screen_.uiScale = ratio;
    screen_.lineHeight = font != nullptr ? TTF_FontHeight(font) : int(15 * ratio);
    screen_.barHeight = BarHeight(screen_.lineHeight, ratio);
    screen_.statusHeight = screen_.barHeight;
    screen_.chromeDirty = true;
  }

  static int BarHeight(int lineHeight, float ratio) {
    return std::max(int(20 * ratio), lineHeight + int(6 * ratio));
  }

  // The text is drawn at the screen's own scale (on a screen with a scale factor the drawable
  // has more pixels than the window has points: a font of as many more pixels stays sharp and
  // keeps its size), and grows with the board once the board is shown at 1.5x or more.
  void FitFontToScreen() {
    if (screen_.renderer == nullptr) return;
    const float density = PixelRatio();
    const float base = std::clamp(density * textScale_, 1.0f, 4.0f);
    // The chrome at the base scale, from the font in use now.
    const int line = int(float(screen_.lineHeight) * base / fontRatio_ + 0.5f);
    const int bar = BarHeight(line, base);
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(screen_.renderer, &w, &h);
    const float ui =
        LayoutWindow(w, h, bar, bar, screen_.wholePixels, density, BoardPixels).uiScale;
    const float ratio = std::min(base * ui, 16.0f);
    if (std::abs(ratio - fontRatio_) < 0.01f) return;
    TTF_Font* font = OpenUiFont(int(float(FontPixels) * ratio + 0.5f));
    if (font == nullptr) return;
    UseFont(font, ratio);
    LayoutMenuBar(bar_, screen_);
  }

  // Drawable pixels per window point: above 1 on a screen with a scale factor.
  float PixelRatio() const {
    int w = 0;
    int h = 0;
    int pw = 0;
    int ph = 0;
    if (screen_.renderer == nullptr || SDL_GetRendererOutputSize(screen_.renderer, &w, &h) != 0) {
      return 1;
    }
    SDL_GetWindowSize(screen_.window, &pw, &ph);
    return pw > 0 ? std::clamp(float(w) / float(pw), 1.0f, 4.0f) : 1.0f;
  }

  Screen screen_;
  MenuBar bar_;
  Audio audio_;
  FramePacer pacer_;
  bool keyboardOpen_ = false;
  bool displayOpen_ = false;
  int requestedWidth_ = 0;
  int requestedHeight_ = 0;
  int requestedBits_ = 0;
  KeyLatch keys_;
  KeyLatch pad_;
  std::vector<SDL_GameController*> pads_;
  int stickX_ = 0;
  int stickY_ = 0;
  bool gamepadInUse_ = false;
  bool dragging_ = false;  // the left button went down on the board and is still held
  float fontRatio_ = 1;    // the size of the text against FontPixels
  float textScale_ = 1;    // the X11 desktop's own scale for text
  WindowPlace normalPlace_;
  int frameLeft_ = 0;  // the window manager's frame, as last seen with the window not full screen
  int frameTop_ = 0;
  bool coversDisplay_ = false;  // full screen by our own hand (no window manager)
  bool fpsLog_ = false;
  FrameRateLog fpsCount_;
};

}  // namespace

Backend* CreateBackend(std::string* error) {
  std::string ignored;
  std::string& why = error != nullptr ? *error : ignored;
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("SDL_VIDEODRIVER")) {
    why = "no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return nullptr;
  }
  // A desktop game window: leave the compositor alone, and count double clicks only when the
  // second press lands where the first did.
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_DOUBLE_CLICK_RADIUS, "4");
  // Only the desktops the environment names: otherwise SDL falls back to its offscreen driver
  // when the X server is gone, and the game would run in a window no one can see.
  if (!Set("SDL_VIDEODRIVER")) {
    std::string drivers;
    if (Set("DISPLAY")) drivers = "x11";
    if (Set("WAYLAND_DISPLAY")) drivers += drivers.empty() ? "wayland" : ",wayland";
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  }
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    const char* display = Set("DISPLAY") ? std::getenv("DISPLAY") : std::getenv("WAYLAND_DISPLAY");
    why = std::string("cannot open the display ") + (display != nullptr ? display : "") + " (" +
          SDL_GetError() + ")";
    return nullptr;
  }
  // Gamepads come and go while the game runs; without the subsystem there is just no pad.
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
  // SDL's software renderer draws into the window's own image; on X11 that is a shared-memory
  // image, not an OpenGL surface, which without a GPU would be a software rasteriser that
  // compiles shaders at start and costs more per frame.
  if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  TTF_Font* font = TTF_Init() == 0 ? OpenUiFont(FontPixels) : nullptr;
  return new SdlBackend(font);
}

void DestroyBackend(Backend* backend) {
  if (backend == nullptr) return;
  delete backend;
  if (TTF_WasInit() != 0) TTF_Quit();
  CloseUiFonts();
  SDL_Quit();
}

}  // namespace platform::sdl

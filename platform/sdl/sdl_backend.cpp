#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <SDL_ttf.h>
#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/pacing.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_box.h"
#include "platform/sdl/sdl_draw.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_menu.h"

namespace platform::sdl {
namespace {

constexpr int FontPixels = 13;
constexpr const char* GameClass = "WINXCLASS";

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

// The icon: the Player from "pieces.bmp" in the current directory, black transparent. None
// when the sheet is missing or too small.
void SetIcon(SDL_Window* window) {
  SDL_Surface* sheet = SDL_LoadBMP("pieces.bmp");
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

class SdlBackend final : public Backend {
 public:
  explicit SdlBackend(TTF_Font* font) {
    screen_.font = font;
    if (font != nullptr) screen_.lineHeight = TTF_FontHeight(font);
    screen_.barHeight = std::max(20, screen_.lineHeight + 6);
    fpsLog_ = Set("YELKO_FPS_LOG");
  }

  ~SdlBackend() override {
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
    LayoutMenuBar(bar_, screen_);
    screen_.window =
        SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, ClientWidth,
                         screen_.barHeight + ClientHeight, SDL_WINDOW_SHOWN);
    if (screen_.window == nullptr) return false;
    SetIcon(screen_.window);
    screen_.frame.assign(std::size_t(ClientWidth) * ClientHeight, 0);
    Repaint();
    SDL_RaiseWindow(screen_.window);
    return true;
  }

  void CloseWindow() override {
    if (screen_.window == nullptr) return;
    SDL_DestroyWindow(screen_.window);
    screen_.window = nullptr;
    keyboardOpen_ = false;
  }

  void PumpEvents() override {
    if (screen_.window == nullptr) return;
    // Without the focus the game runs no frame: wait for something to happen rather than
    // turning the loop as fast as the processor allows.
    if (!HasFocus()) SDL_WaitEventTimeout(nullptr, 10);
    SDL_Event e;
    while (SDL_PollEvent(&e)) Handle(e);
  }

  bool HasFocus() override {
    return screen_.window != nullptr &&
           (SDL_GetWindowFlags(screen_.window) & SDL_WINDOW_INPUT_FOCUS) != 0;
  }

  void MenuChanged() override {
    SDL_Surface* s = screen_.window != nullptr ? SDL_GetWindowSurface(screen_.window) : nullptr;
    if (s == nullptr) return;
    DrawMenuBar(bar_, screen_, s, -1);
    const SDL_Rect r{0, 0, s->w, screen_.barHeight};
    SDL_UpdateWindowSurfaceRects(screen_.window, &r, 1);
  }

  void MessageBox(const char* text, const char* caption) override {
    bool close = false;
    Ask(caption, SplitLines(text), &close);
  }

  void RunDialog(Window dialog, const DialogTemplate& content, DialogProcFn proc) override {
    bool close = false;
    while (!DialogEnded(dialog)) {
      const int answer =
          Ask(content.caption != nullptr ? content.caption : "", content.lines, &close);
      proc(dialog, WM_COMMAND, std::uint64_t(answer), 0);
    }
  }

  bool AsyncKeyDown(int virtualKey) override {
    if (virtualKey == VK_ESCAPE) return Held(SDL_SCANCODE_ESCAPE);
    if (virtualKey == VK_RETURN) return Held(SDL_SCANCODE_RETURN) || Held(SDL_SCANCODE_KP_ENTER);
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

  bool KeyboardRead(std::uint8_t state[256]) override {
    if (!keyboardOpen_) return false;
    std::memset(state, 0, 256);
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
      const auto scancode = static_cast<SDL_Scancode>(sc);
      if (!Held(scancode)) continue;
      if (const std::uint8_t code = DirectInputCode(scancode)) state[code] = 0x80;
    }
    return true;
  }

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

  bool Present(const Surface& frame) override {
    if (!displayOpen_ || screen_.window == nullptr || frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < std::size_t(frame.width) * std::size_t(frame.height)) {
      return false;
    }
    const int w = std::min(frame.width, ClientWidth);
    const int h = std::min(frame.height, ClientHeight);
    for (int y = 0; y < h; ++y) {
      std::memcpy(&screen_.frame[std::size_t(y) * ClientWidth],
                  &frame.pixels[std::size_t(y) * std::size_t(frame.width)],
                  std::size_t(w) * sizeof(std::uint32_t));
    }
    SDL_Surface* s = SDL_GetWindowSurface(screen_.window);
    if (s == nullptr) return false;
    DrawFrame(screen_, s);
    const SDL_Rect board{0, screen_.barHeight, ClientWidth, ClientHeight};
    SDL_UpdateWindowSurfaceRects(screen_.window, &board, 1);
    if (fpsLog_) CountFrame();
    return true;
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
  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:  // the close box, or a signal to end
        Post(WM_CLOSE, 0, 0);
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) Repaint();
        break;
      case SDL_KEYDOWN:
        KeyDown(e.key);
        break;
      case SDL_KEYUP:
        if (e.key.keysym.scancode < SDL_NUM_SCANCODES) suppressed_[e.key.keysym.scancode] = false;
        break;
      case SDL_MOUSEBUTTONDOWN:
        MouseDown(e.button);
        break;
      default:
        break;
    }
  }

  void KeyDown(const SDL_KeyboardEvent& key) {
    const SDL_Keycode sym = key.keysym.sym;
    const Uint16 mod = key.keysym.mod;
    if ((mod & KMOD_ALT) != 0 && (mod & (KMOD_CTRL | KMOD_GUI)) == 0 && sym >= SDLK_a &&
        sym <= SDLK_z) {
      const int title = TitleByMnemonic(bar_, char(sym));
      if (title >= 0) {
        RunMenuOf(title, true);
        return;
      }
    }
    if (sym == SDLK_F10 && (mod & (KMOD_ALT | KMOD_CTRL | KMOD_SHIFT | KMOD_GUI)) == 0 &&
        !bar_.titles.empty()) {
      RunMenuOf(0, true);
      return;
    }
    // The game swallows key messages; they carry what a desktop's would, for completeness.
    const std::int64_t lParam = 1 | std::int64_t(DirectInputCode(key.keysym.scancode)) << 16 |
                                (key.repeat != 0 ? std::int64_t(1) << 30 : 0);
    Post(WM_KEYDOWN, VirtualKey(key.keysym.scancode), lParam);
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
    const int x = button.x;
    const int y = button.y - screen_.barHeight;
    if (x < 0 || x >= ClientWidth || y < 0 || y >= ClientHeight) return;
    // A desktop counts presses in pairs: the second of a quick pair is a double click, the
    // third starts a new pair.
    const bool doubleClick = button.clicks >= 2 && button.clicks % 2 == 0;
    std::uint32_t id = 0;
    if (button.button == SDL_BUTTON_LEFT) id = doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    if (button.button == SDL_BUTTON_RIGHT) id = doubleClick ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
    if (id != 0) Post(id, 0, PackPoint(x, y));
  }

  void RunMenuOf(int title, bool fromKeyboard) {
    bool close = false;
    const std::uint16_t command = RunMenu(bar_, screen_, title, fromKeyboard, &close);
    AfterModal();
    if (command != 0) Post(WM_COMMAND, command, 0);
    if (close) Post(WM_CLOSE, 0, 0);
  }

  // Runs a modal box and returns its answer (BoxOk or BoxCancel).
  int Ask(const char* caption, const std::vector<std::string>& lines, bool* close) {
    if (screen_.window == nullptr) {
      // No window yet: the system's box, owned by nobody.
      std::string text;
      for (const std::string& line : lines) text += line + "\n";
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text.c_str(), nullptr);
      return BoxOk;
    }
    const int answer = RunBox(screen_, caption, lines, close);
    AfterModal();
    if (*close) Post(WM_CLOSE, 0, 0);
    return answer;
  }

  // After a menu or box: paint the board again, and let the keys that answered it (Enter,
  // Escape, an arrow) reach the game only once they have been released, so that Escape closing
  // a menu does not also end the game, nor Enter leave the editor.
  void AfterModal() {
    Repaint();
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
      if (keys[sc] != 0) suppressed_[std::size_t(sc)] = true;
    }
  }

  bool Held(SDL_Scancode scancode) {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    if (keys[scancode] == 0) {
      suppressed_[scancode] = false;
      return false;
    }
    return !suppressed_[scancode];
  }

  void Repaint() {
    SDL_Surface* s = screen_.window != nullptr ? SDL_GetWindowSurface(screen_.window) : nullptr;
    if (s == nullptr) return;
    DrawMenuBar(bar_, screen_, s, -1);
    DrawFrame(screen_, s);
    SDL_UpdateWindowSurface(screen_.window);
  }

  // YELKO_FPS_LOG: the presented frame rate on stderr every five seconds. A stretch in which
  // no frame ran (a menu, a box, no focus) starts the count again.
  void CountFrame() {
    const Uint64 now = SDL_GetTicks64();
    if (fpsFrames_ == 0 || now - fpsLast_ > 250) {
      fpsStart_ = now;
      fpsFrames_ = 0;
    }
    fpsLast_ = now;
    ++fpsFrames_;
    if (now - fpsStart_ >= 5000) {
      std::fprintf(stderr, "yelko: %.2f frames/s over %.2f s\n",
                   double(fpsFrames_ - 1) * 1000.0 / double(now - fpsStart_),
                   double(now - fpsStart_) / 1000.0);
      fpsStart_ = now;
      fpsFrames_ = 1;
    }
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
  std::array<bool, SDL_NUM_SCANCODES> suppressed_{};
  bool fpsLog_ = false;
  Uint64 fpsStart_ = 0;
  Uint64 fpsLast_ = 0;
  int fpsFrames_ = 0;
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
  // On X11 the window's own shared-memory image is the fastest way to show a frame this small;
  // SDL would otherwise go through OpenGL, which without a GPU is a software rasteriser that
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

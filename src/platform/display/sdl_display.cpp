// The SDL2 window: uploads the screen on each present and turns mouse and keys into input.
#include <SDL2/SDL.h>

#include "platform/display/display.h"
#include "platform/gdi/screen.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "winuser.h"

namespace platform::display {

namespace {

struct Window {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0, zoom = 1;
  bool fingerDown = false;
  bool pollerAdded = false;
  bool videoUp = false;
  std::function<void()> modeHook;
  std::function<void()> closeHook;
};

Window& W() {
  static Window w;
  return w;
}

// Only the drivers of a display that is there. Left to itself SDL also tries Wayland without a
// Wayland display (libwayland then complains on stderr before we can say anything) and falls
// back to drivers that show nothing. A driver asked for by name is used as asked.
bool ChooseVideoDrivers(std::string* error) {
  if (const char* asked = SDL_getenv("SDL_VIDEODRIVER"); asked && *asked) return true;
  const char* x11 = SDL_getenv("DISPLAY");
  const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
  const bool hasX11 = x11 && *x11, hasWayland = wayland && *wayland;
  if (!hasX11 && !hasWayland) {
    if (error) *error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, hasX11 && hasWayland ? "x11,wayland" : hasX11 ? "x11" : "wayland");
  return true;
}

void Present() {
  Window& w = W();
  if (!w.texture) return;
  if (gdi::ScreenWidth() != w.width || gdi::ScreenHeight() != w.height) return;  // screen remade
  SDL_UpdateTexture(w.texture, nullptr, gdi::ScreenPixels(), w.width * 4);
  SDL_RenderClear(w.renderer);
  SDL_RenderCopy(w.renderer, w.texture, nullptr, nullptr);
  SDL_RenderPresent(w.renderer);
}

void Close() {
  Window& w = W();
  if (w.closeHook) {
    w.closeHook();
    return;
  }
  HWND target = GetForegroundWindow();
  if (!target) target = GetActiveWindow();
  if (target) PostMessageW(target, WM_CLOSE, 0, 0);
}

// Right Alt is the Hangul / Latin key on a Korean keyboard.
bool IsModeKey(const SDL_Keysym& key) { return key.sym == SDLK_RALT || key.scancode == SDL_SCANCODE_LANG1; }

unsigned TypingKey(int scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
  }
  return 0;
}

void Pump() {
  Window& w = W();
  if (!w.window) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) {
          w.fingerDown = true;
          wm::InjectMouse(WM_LBUTTONDOWN, e.button.x / w.zoom, e.button.y / w.zoom);
        }
        break;
      case SDL_MOUSEMOTION:
        // A finger has no hover: only moves while it touches count.
        if (w.fingerDown) wm::InjectMouse(WM_MOUSEMOVE, e.motion.x / w.zoom, e.motion.y / w.zoom);
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT && w.fingerDown) {
          w.fingerDown = false;
          wm::InjectMouse(WM_LBUTTONUP, e.button.x / w.zoom, e.button.y / w.zoom);
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (IsModeKey(e.key.keysym)) {
          if (e.type == SDL_KEYDOWN && !e.key.repeat && w.modeHook) w.modeHook();
        } else if (unsigned vk = KeyToVirtualKey(e.key.keysym.scancode, e.key.keysym.sym)) {
          wm::InjectKey(vk, e.type == SDL_KEYDOWN);
        }
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) Present();
        else if (e.window.event == SDL_WINDOWEVENT_CLOSE) Close();
        break;
      case SDL_QUIT:
        Close();
        break;
    }
  }
}

}  // namespace

unsigned KeyToVirtualKey(int scancode, int key) {
  if (unsigned vk = TypingKey(scancode)) return vk;
  switch (key) {
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;  // the Back key
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_F1: return VK_F1;  // soft keys
    case SDLK_F2: return VK_F2;
    case SDLK_F3: return VK_F3;  // Talk
    case SDLK_F4: return VK_F4;  // End
  }
  return 0;
}

bool OpenDisplay(bool headless, int width, int height, int dpi, int zoom, std::string* error) {
  if (width <= 0 || height <= 0 || dpi <= 0) {
    if (error) *error = "bad screen size";
    return false;
  }
  gdi::CreateScreen(width, height, dpi, dpi);
  if (headless) return true;
  Window& w = W();
  if (w.window) CloseDisplay();
  if (zoom < 1) zoom = 1;
  if (!ChooseVideoDrivers(error)) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (error) *error = SDL_GetError();
    return false;
  }
  w.videoUp = true;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");  // zoomed pixels stay sharp
  w.window = SDL_CreateWindow("Parlo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * zoom,
                              height * zoom, 0);
  if (w.window) w.renderer = SDL_CreateRenderer(w.window, -1, 0);
  if (w.renderer)
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  if (!w.texture) {
    if (error) *error = std::string("cannot open a window: ") + SDL_GetError();
    CloseDisplay();
    return false;
  }
  w.width = width;
  w.height = height;
  w.zoom = zoom;
  SDL_StopTextInput();  // characters come from the keys, through the input method
  wm::SetPresentHook(Present);
  if (!w.pollerAdded) {
    wm::AddIdlePoller(Pump);
    w.pollerAdded = true;
  }
  Present();
  return true;
}

void CloseDisplay() {
  Window& w = W();
  if (w.texture) SDL_DestroyTexture(w.texture);
  if (w.renderer) SDL_DestroyRenderer(w.renderer);
  if (w.window) SDL_DestroyWindow(w.window);
  if (w.videoUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  w.videoUp = false;
  w.texture = nullptr;
  w.renderer = nullptr;
  w.window = nullptr;
  wm::SetPresentHook(nullptr);
}

bool IsWindowed() { return W().window != nullptr; }

void SetModeKeyHook(std::function<void()> hook) { W().modeHook = std::move(hook); }
void SetCloseHook(std::function<void()> hook) { W().closeHook = std::move(hook); }

}  // namespace platform::display

#include "platform/sdl/sdl_platform.h"

#include <SDL.h>
#include <imgui.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/headless/png_writer.h"
#include "platform/posix/termination_signals.h"
#include "platform/posix/user_dirs.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

// Menus and dialogs stay responsive between the engine's own presents.
constexpr std::uint32_t kUiFrameMs = 16;
// Pictures drawn after an input event, for ImGui to answer it.
constexpr int kUiFramesAfterEvent = 3;
// Focus changes this soon after a screen-mode change belong to the change.
constexpr std::uint32_t kModeSettleMs = 500;

bool mapKey(const SDL_Keysym& ks, KeyEvent& e) {
  e = KeyEvent{};
  e.shift = (ks.mod & KMOD_SHIFT) != 0;
  e.alt = (ks.mod & KMOD_ALT) != 0;
  e.ctrl = (ks.mod & KMOD_CTRL) != 0;
  switch (ks.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: e.key = Key::Enter; return true;
    case SDLK_SPACE: e.key = Key::Space; return true;
    case SDLK_ESCAPE: e.key = Key::Escape; return true;
    case SDLK_PAGEUP: e.key = Key::PageUp; return true;
    case SDLK_PAGEDOWN: e.key = Key::PageDown; return true;
    case SDLK_HOME: e.key = Key::Home; return true;
    case SDLK_LEFT: e.key = Key::Left; return true;
    case SDLK_UP: e.key = Key::Up; return true;
    case SDLK_RIGHT: e.key = Key::Right; return true;
    case SDLK_DOWN: e.key = Key::Down; return true;
    case SDLK_F1: e.key = Key::F1; return true;
    case SDLK_F2: e.key = Key::F2; return true;
    case SDLK_F4: e.key = Key::F4; return true;
    default: break;
  }
  if (ks.sym >= SDLK_a && ks.sym <= SDLK_z) {
    e.key = Key::Other;
    e.letter = static_cast<char>('A' + (ks.sym - SDLK_a));
    return true;
  }
  return false;
}

bool mapPadButton(Uint8 button, PadButton& b) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: b = PadButton::A; return true;
    case SDL_CONTROLLER_BUTTON_B: b = PadButton::B; return true;
    case SDL_CONTROLLER_BUTTON_X: b = PadButton::X; return true;
    case SDL_CONTROLLER_BUTTON_Y: b = PadButton::Y; return true;
    case SDL_CONTROLLER_BUTTON_START: b = PadButton::Start; return true;
    case SDL_CONTROLLER_BUTTON_BACK: b = PadButton::Back; return true;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: b = PadButton::LeftShoulder; return true;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: b = PadButton::RightShoulder; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: b = PadButton::Up; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: b = PadButton::Down; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: b = PadButton::Left; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: b = PadButton::Right; return true;
    default: return false;
  }
}

// The key a box takes a controller button for: A is Enter, B is Esc.
int modalKeyOfPad(Uint8 button) {
  if (button == SDL_CONTROLLER_BUTTON_A) return SDL_SCANCODE_RETURN;
  if (button == SDL_CONTROLLER_BUTTON_B) return SDL_SCANCODE_ESCAPE;
  return 0;
}

int buttonIndex(Uint8 sdlButton, MouseButton& b) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: b = MouseButton::Left; return 0;
    case SDL_BUTTON_MIDDLE: b = MouseButton::Middle; return 1;
    case SDL_BUTTON_RIGHT: b = MouseButton::Right; return 2;
    default: return -1;
  }
}

SDL_Rect toSdl(const Rect& r) { return SDL_Rect{r.x, r.y, r.width, r.height}; }

bool sameRect(const Rect& a, const Rect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool samePlan(const PresentPlan& a, const PresentPlan& b) {
  return a.drawFrame == b.drawFrame && a.hasBand == b.hasBand && sameRect(a.source, b.source) &&
         sameRect(a.target, b.target) && sameRect(a.band, b.band);
}

// What the menu bar shows, folded into one number: any change of caption, state or
// visibility needs a new picture of it.
std::size_t menuSignature(const MenuItem& item) {
  std::size_t h = std::hash<std::string>{}(item.caption);
  h = h * 31 + (item.visible ? 1 : 0) + (item.enabled ? 2 : 0) + (item.checked ? 4 : 0);
  for (const MenuItem& child : item.items) h = h * 131 + menuSignature(child);
  return h;
}

// A rectangle of the 800x600 frame placed into the game area's pixels.
SDL_Rect scaled(const Rect& r, const Rect& area) {
  auto sx = [&](int x) { return area.x + static_cast<int>(static_cast<long long>(x) * area.width / kGameWidth); };
  auto sy = [&](int y) { return area.y + static_cast<int>(static_cast<long long>(y) * area.height / kGameHeight); };
  int x0 = sx(r.x), y0 = sy(r.y);
  return SDL_Rect{x0, y0, sx(r.right()) - x0, sy(r.bottom()) - y0};
}

// Whether the renderer just made draws through a GL that runs on the processor
// (llvmpipe, softpipe, swrast); its context is the current one.
bool renderedBySoftwareGl() {
  using GetString = const unsigned char* (*)(unsigned);
  constexpr unsigned kGlRenderer = 0x1F01;
  if (SDL_GL_GetCurrentContext() == nullptr) return false;
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString != nullptr ? getString(kGlRenderer) : nullptr;
  if (name == nullptr) return false;
  const std::string renderer(reinterpret_cast<const char*>(name));
  for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
    if (renderer.find(soft) != std::string::npos) return true;
  return false;
}

}  // namespace

SdlPlatform::SdlPlatform() = default;

SdlPlatform::~SdlPlatform() {
  closeAudio();
  for (SDL_GameController* pad : pads_) SDL_GameControllerClose(pad);
  ui_.shutdown();
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  if (videoReady_) SDL_Quit();
}

bool SdlPlatform::openAudio(AudioSource* source) {
  if (audioDevice_ != 0) return true;
  auto silent = [this](const char* why) {
    if (!audioReported_)
      std::fprintf(stderr, "mirelune: no sound device (%s): the game goes on without sound\n", why);
    audioReported_ = true;
    return false;
  };
  if (source == nullptr) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return silent(SDL_GetError());
  SDL_AudioSpec want{};
  want.freq = AudioSource::kRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = &SdlPlatform::audioCallback;
  want.userdata = this;
  // No changes allowed: SDL converts for a device that wants another format.
  audioSource_ = source;
  audioDevice_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (audioDevice_ == 0) {
    audioSource_ = nullptr;
    const std::string why = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return silent(why.c_str());
  }
  SDL_PauseAudioDevice(audioDevice_, 0);
  return true;
}

void SdlPlatform::closeAudio() {
  if (audioDevice_ == 0) return;
  SDL_CloseAudioDevice(audioDevice_);
  audioDevice_ = 0;
  audioSource_ = nullptr;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlPlatform::lockAudio() {
  if (audioDevice_ != 0) SDL_LockAudioDevice(audioDevice_);
}

void SdlPlatform::unlockAudio() {
  if (audioDevice_ != 0) SDL_UnlockAudioDevice(audioDevice_);
}

void SdlPlatform::audioCallback(void* self, std::uint8_t* stream, int bytes) {
  // SDL holds the device lock around this call.
  auto* p = static_cast<SdlPlatform*>(self);
  p->audioSource_->mix(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(bytes) / 4);
}

bool SdlPlatform::initVideo(std::string& error) {
  // The display mode is never changed, and a game keeps its window when focus moves.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // Our own handlers end the run without the exit question; SDL's would turn SIGTERM
  // and SIGINT into the close box's quit event, which asks.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
    error = std::string("cannot start SDL video: ") + SDL_GetError();
    return false;
  }
  videoReady_ = true;
  // Controllers are welcome, not needed: without the subsystem the game has none.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) padsReady_ = true;
  return true;
}

bool SdlPlatform::createWindow(std::string& error) {
  if (!videoReady_) {
    error = "SDL video is not started";
    return false;
  }
  window_ = SDL_CreateWindow(captionUtf8_.empty() ? "Mirelune" : captionUtf8_.c_str(), SDL_WINDOWPOS_CENTERED,
                             SDL_WINDOWPOS_CENTERED, kGameWidth, kGameHeight,
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
  if (window_ == nullptr) {
    error = std::string("cannot create the window: ") + SDL_GetError();
    return false;
  }
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
  if (renderer_ != nullptr && renderedBySoftwareGl()) {
    // A GL emulated on the processor (no graphics driver, a virtual X server) costs far
    // more per picture than SDL's own software renderer.
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
  }
  if (renderer_ == nullptr) {
    // The software renderer's pictures go to the window as they are, not through GL.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  }
  if (const char* debug = std::getenv("MIRELUNE_DEBUG_RENDERER"); debug != nullptr && *debug != '\0') {
    SDL_RendererInfo info;
    if (renderer_ != nullptr && SDL_GetRendererInfo(renderer_, &info) == 0)
      std::fprintf(stderr, "mirelune: drawing with SDL's %s renderer\n", info.name);
  }
  if (renderer_ == nullptr) {
    error = std::string("cannot create a renderer: ") + SDL_GetError();
    return false;
  }
  // Scaling of the zoom and of full screen: smooth, as a stretching copy would look.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kGameWidth,
                               kGameHeight);
  if (texture_ == nullptr) {
    error = std::string("cannot create the frame texture: ") + SDL_GetError();
    return false;
  }
  SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
  if (!ui_.init(window_, renderer_)) {
    error = "cannot start the menus (Dear ImGui)";
    return false;
  }
  setScreenMode(windowed_);
  SDL_ShowWindow(window_);
  shown_ = true;
  renderFrame();
  return true;
}

std::uint32_t SdlPlatform::ticks() { return SDL_GetTicks(); }

void SdlPlatform::sleep(std::uint32_t ms) { SDL_Delay(ms); }

std::int64_t SdlPlatform::unixTime() { return static_cast<std::int64_t>(std::time(nullptr)); }

bool SdlPlatform::ctrlHeld() {
  if (!active_) return false;
  const Uint8* keys = SDL_GetKeyboardState(nullptr);
  if (keys[SDL_SCANCODE_LCTRL] || keys[SDL_SCANCODE_RCTRL]) return true;
  // A trigger pressed past half way holds skip as Ctrl does.
  constexpr Sint16 kTriggerHeld = 16384;
  for (SDL_GameController* pad : pads_) {
    if (SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > kTriggerHeld ||
        SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kTriggerHeld)
      return true;
  }
  return false;
}

void SdlPlatform::handlePadDevice(const SDL_Event& e) {
  if (e.type == SDL_CONTROLLERDEVICEADDED) {
    if (SDL_GameController* pad = SDL_GameControllerOpen(e.cdevice.which)) pads_.push_back(pad);
    return;
  }
  // Removed: the instance id names it. Its held buttons are let go.
  for (std::size_t i = 0; i < pads_.size(); ++i) {
    SDL_Joystick* joystick = SDL_GameControllerGetJoystick(pads_[i]);
    if (joystick == nullptr || SDL_JoystickInstanceID(joystick) != e.cdevice.which) continue;
    SDL_GameControllerClose(pads_[i]);
    pads_.erase(pads_.begin() + static_cast<std::ptrdiff_t>(i));
    if (sink_ != nullptr)
      for (PadButton b : {PadButton::A, PadButton::B, PadButton::LeftShoulder, PadButton::RightShoulder,
                          PadButton::Up, PadButton::Down, PadButton::Left, PadButton::Right})
        sink_->padButton(b, false);
    return;
  }
}

void SdlPlatform::setCaption(std::string_view sjis) {
  // Debug mode sets the caption at every step; the window system hears only changes.
  std::string utf8 = sjisToUtf8(sjis);
  if (utf8 == captionUtf8_ && window_ != nullptr) return;
  captionUtf8_ = std::move(utf8);
  showCaption();
}

void SdlPlatform::showCaption() {
  if (window_ == nullptr) return;
  if (captionNote_.empty()) SDL_SetWindowTitle(window_, captionUtf8_.c_str());
  else SDL_SetWindowTitle(window_, (captionUtf8_ + " — " + captionNote_).c_str());
}

void SdlPlatform::takeScreenshot() {
  constexpr std::uint32_t kNoteMs = 3000;
  std::vector<std::uint32_t> picture;
  if (shownPixels_.empty()) return;
  PresentRequest request = shownRequest_;
  request.pixels = shownPixels_.data();
  request.suppressed = false;
  renderPresent(request, picture);
  std::string folder = UserDirs::fromEnvironment().pictures + "/Mirelune";
  std::string error;
  bool ok = makeFolders(folder, &error);
  std::string path;
  if (ok) {
    std::string name = screenshotFileName(screenshotId_, unixTime(), [&](const std::string& n) {
      return ::access((folder + "/" + n).c_str(), F_OK) == 0;
    });
    path = folder + "/" + name;
    ok = writePng(path, picture.data(), kGameWidth, kGameHeight, &error);
  }
  if (ok) {
    std::fprintf(stderr, "mirelune: screenshot %s\n", path.c_str());
    captionNote_ = "スクリーンショットを保存しました: " + path;
  } else {
    std::fprintf(stderr, "mirelune: cannot write the screenshot: %s\n", error.c_str());
    captionNote_ = "スクリーンショットを保存できません: " + error;
  }
  captionNoteUntil_ = SDL_GetTicks() + kNoteMs;
  showCaption();
}

void SdlPlatform::setClipboardText(std::string_view sjis) { SDL_SetClipboardText(sjisToUtf8(sjis).c_str()); }

bool SdlPlatform::openUrl(std::string_view url) { return SDL_OpenURL(std::string(url).c_str()) == 0; }

void SdlPlatform::raiseWindow() {
  if (window_ != nullptr) SDL_RaiseWindow(window_);
}

void SdlPlatform::openPopupMenu(MenuItem* root) { ui_.requestPopup(root); }

void SdlPlatform::acceptDroppedFiles(bool accept) {
  acceptDrops_ = accept;
  SDL_EventState(SDL_DROPFILE, accept ? SDL_ENABLE : SDL_DISABLE);
  SDL_EventState(SDL_DROPCOMPLETE, accept ? SDL_ENABLE : SDL_DISABLE);
}

void SdlPlatform::setScreenMode(bool windowed) {
  windowed_ = windowed;
  if (window_ == nullptr) return;
  if (windowed) {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowBordered(window_, SDL_TRUE);
    SDL_SetWindowResizable(window_, SDL_TRUE);
    SDL_SetWindowMinimumSize(window_, kGameWidth / 2, kGameHeight / 2 + ui_.menuBarHeight());
    int w = windowW_, h = windowH_;
    if (w <= 0 || h <= 0) defaultWindowSize(w, h);
    SDL_SetWindowSize(window_, w, h);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  } else {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  redrawSoon();  // the new layout
  modeChangedAt_ = SDL_GetTicks();
}

void SdlPlatform::defaultWindowSize(int& width, int& height) const {
  int scale = 1;
  float ddpi = 0;
  SDL_DisplayMode desk;
  const int display = window_ != nullptr ? SDL_GetWindowDisplayIndex(window_) : 0;
  // A dense screen (about 144 dpi and up) that has room for it gets the frame doubled,
  // so the text is as large as on an ordinary screen and still sharp.
  if (SDL_GetDisplayDPI(display, &ddpi, nullptr, nullptr) == 0 && ddpi >= 144.0f &&
      SDL_GetDesktopDisplayMode(display, &desk) == 0 && desk.w >= 2 * kGameWidth &&
      desk.h >= 2 * kGameHeight + 2 * ui_.menuBarHeight() + 64)
    scale = 2;
  width = kGameWidth * scale;
  height = kGameHeight * scale + ui_.menuBarHeight();
}

void SdlPlatform::setSmoothScaling(bool smooth) {
  smooth_ = smooth;
  redrawSoon();
}

void SdlPlatform::setWindowSize(int width, int height) {
  // A size from the settings file is taken only within reason.
  if (width < kGameWidth / 2 || height < kGameHeight / 2 || width > 16384 || height > 16384) return;
  windowW_ = width;
  windowH_ = height;
}

bool SdlPlatform::windowSize(int& width, int& height) {
  if (windowW_ <= 0 || windowH_ <= 0) return false;
  width = windowW_;
  height = windowH_;
  return true;
}

DesktopMode SdlPlatform::desktopMode() {
  DesktopMode d;
  SDL_DisplayMode m;
  if (SDL_GetDesktopDisplayMode(0, &m) == 0) {
    d.width = m.w;
    d.height = m.h;
    d.bitsPerPixel = static_cast<int>(SDL_BITSPERPIXEL(m.format));
  }
  return d;
}

std::vector<int> SdlPlatform::refreshRates() {
  std::vector<int> rates;
  SDL_DisplayMode desk;
  if (SDL_GetDesktopDisplayMode(0, &desk) != 0) return rates;
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
    if (m.w == kGameWidth && m.h == kGameHeight && SDL_BITSPERPIXEL(m.format) == SDL_BITSPERPIXEL(desk.format))
      rates.push_back(m.refresh_rate);
  }
  return rates;
}

void SdlPlatform::waitForMessages(std::uint32_t ms) {
  SDL_WaitEventTimeout(nullptr, static_cast<int>(ms));
  checkTermination();
  // Menus opened over an idle game still need their pictures.
  if (SDL_GetTicks() - lastRender_ >= kUiFrameMs && needsRender()) renderFrame();
}

int SdlPlatform::menuBarPixels() const {
  if (!windowed_ || window_ == nullptr) return 0;
  int ww = 0, wh = 0, pw = 0, ph = 0;
  SDL_GetWindowSize(window_, &ww, &wh);
  SDL_GetRendererOutputSize(renderer_, &pw, &ph);
  return wh > 0 ? static_cast<int>(static_cast<long long>(ui_.menuBarHeight()) * ph / wh) : ui_.menuBarHeight();
}

Rect SdlPlatform::gameArea() const {
  int w = 0, h = 0;
  if (renderer_ != nullptr) SDL_GetRendererOutputSize(renderer_, &w, &h);
  const int top = menuBarPixels();
  Rect area = placeGameArea(w, h - top, smooth_);
  area.y += top;
  return area;
}

bool SdlPlatform::toGame(int x, int y, int& gameX, int& gameY) const {
  int ww = 0, wh = 0, pw = 0, ph = 0;
  SDL_GetWindowSize(window_, &ww, &wh);
  SDL_GetRendererOutputSize(renderer_, &pw, &ph);
  return windowToGame(gameArea(), x, y, ww, wh, pw, ph, gameX, gameY);
}

void SdlPlatform::setActive(bool active) {
  if (active == active_) return;
  active_ = active;
  // Entering or leaving full screen makes some window managers move the focus away
  // and back; answering those with another mode change would never end.
  if (SDL_GetTicks() - modeChangedAt_ < kModeSettleMs) return;
  if (sink_ != nullptr) sink_->activationChanged(active);
}

void SdlPlatform::handleWindowEvent(const SDL_Event& e) {
  switch (e.window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED: setActive(true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: setActive(false); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // Only the window's own size is remembered, not the full screen's.
      if (windowed_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) == 0 &&
          SDL_GetTicks() - modeChangedAt_ >= kModeSettleMs) {
        windowW_ = e.window.data1;
        windowH_ = e.window.data2;
      }
      redrawSoon();
      break;
    case SDL_WINDOWEVENT_EXPOSED: redrawSoon(); break;
    default: break;
  }
}

void SdlPlatform::handleInput(const SDL_Event& e) {
  if (sink_ == nullptr) return;
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (e.key.keysym.sym == SDLK_F12) {
        if (e.type == SDL_KEYDOWN && !e.key.repeat) takeScreenshot();
        return;
      }
      KeyEvent k;
      if (!mapKey(e.key.keysym, k)) return;
      // A key release always reaches the game, so no button stays held behind a menu.
      if (e.type == SDL_KEYDOWN) {
        if (ui_.popupActive() && k.key == Key::Escape) ui_.dismissPopup();
        if (ui_.wantsKeyboard()) return;
        // A dialog with the focus takes the keys it answers (Esc, Enter); the game's
        // other keys and shortcuts still reach it. A click on the game gives them back.
        if (OpenDialog* d = focusedDialog(); d != nullptr && (k.key == Key::Escape || k.key == Key::Enter) &&
                                             !k.alt && !k.ctrl && !k.shift) {
          (k.key == Key::Escape ? d->escape : d->enter) = true;
          return;
        }
        sink_->keyDown(k);
      } else {
        sink_->keyUp(k);
      }
      return;
    }
    case SDL_MOUSEMOTION: {
      int gx, gy;
      if (ui_.wantsMouse()) return;
      if (toGame(e.motion.x, e.motion.y, gx, gy)) sink_->mouseMove(gx, gy);
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      MouseButton b;
      int idx = buttonIndex(e.button.button, b);
      if (idx < 0) return;
      int gx, gy;
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        if (ui_.wantsMouse() || overDialog(e.button.x, e.button.y) || !toGame(e.button.x, e.button.y, gx, gy))
          return;
        mouseInGame_[idx] = true;
        sink_->mouseMove(gx, gy);
        sink_->mouseButton(b, true);
      } else {
        // Only a release whose press went to the game: a click that closed a menu is
        // the menu's.
        if (!mouseInGame_[idx]) return;
        mouseInGame_[idx] = false;
        sink_->mouseButton(b, false);
      }
      return;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      PadButton b;
      if (!mapPadButton(e.cbutton.button, b)) return;
      const bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
      // Menus, the popup and boxes are ImGui's while open: a press goes to them.
      if (down && (ui_.popupActive() || ui_.anyPopupOpen())) {
        if (b == PadButton::B || b == PadButton::Start) ui_.dismissPopup();
        return;
      }
      sink_->padButton(b, down);
      return;
    }
    case SDL_MOUSEWHEEL: {
      if (ui_.wantsMouse() || e.wheel.y == 0) return;
      int mx = 0, my = 0;
      SDL_GetMouseState(&mx, &my);
      if (overDialog(mx, my)) return;
      sink_->wheel(e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
      return;
    }
    default: return;
  }
}

void SdlPlatform::pumpEvents(Pump mode) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    ui_.processEvent(e);
    // ImGui answers input over a frame or two (hover, clicks, menus opening).
    uiBusyFrames_ = kUiFramesAfterEvent;
    if (e.type == SDL_WINDOWEVENT) {
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        if (mode == Pump::Game && sink_ != nullptr) sink_->closeRequested();
      } else {
        handleWindowEvent(e);
      }
      continue;
    }
    if (e.type == SDL_DROPFILE || e.type == SDL_DROPTEXT) {
      // Drops while a box is open are the box's, and are let go.
      if (e.drop.file != nullptr) {
        if (e.type == SDL_DROPFILE && acceptDrops_ && mode == Pump::Game) drops_.emplace_back(e.drop.file);
        SDL_free(e.drop.file);
      }
      continue;
    }
    if (e.type == SDL_DROPCOMPLETE) {
      std::vector<std::string> files;
      files.swap(drops_);
      if (!files.empty() && sink_ != nullptr) sink_->filesDropped(files);
      continue;
    }
    if (e.type == SDL_CONTROLLERDEVICEADDED || e.type == SDL_CONTROLLERDEVICEREMOVED) {
      handlePadDevice(e);
      continue;
    }
    if (e.type == SDL_QUIT) {
      // The close box (or the session asking the program to end): the exit question.
      if (mode == Pump::Game && sink_ != nullptr) sink_->closeRequested();
      continue;
    }
    if (mode == Pump::Game) {
      handleInput(e);
    } else if (e.type == SDL_KEYDOWN) {
      if (!e.key.repeat) modalKeys_.push_back(e.key.keysym.scancode);
    } else if (e.type == SDL_CONTROLLERBUTTONDOWN && modalKeyOfPad(e.cbutton.button) != 0) {
      // A box answers the pad as it answers Enter and Esc.
      modalKeys_.push_back(modalKeyOfPad(e.cbutton.button));
    } else if (e.type == SDL_KEYUP || e.type == SDL_MOUSEBUTTONUP || e.type == SDL_CONTROLLERBUTTONUP) {
      // Releases still reach the game, so nothing pressed before the box stays held.
      handleInput(e);
    }
  }
}

void SdlPlatform::checkTermination() {
  if (terminationSeen_ || modalDepth_ > 0 || terminationSignal() == 0) return;
  terminationSeen_ = true;
  if (sink_ != nullptr) sink_->endRequested();
}

void SdlPlatform::processMessages() {
  if (window_ == nullptr) return;
  pumpEvents(modalDepth_ > 0 ? Pump::Modal : Pump::Game);
  checkTermination();
  if (!captionNote_.empty() && static_cast<std::int32_t>(SDL_GetTicks() - captionNoteUntil_) >= 0) {
    captionNote_.clear();
    showCaption();
  }
  if (SDL_GetTicks() - lastRender_ >= kUiFrameMs && needsRender()) renderFrame();
  runPendingClicks();
}

void SdlPlatform::runPendingClicks() {
  while (!pendingClicks_.empty()) {
    std::vector<std::function<void()>> clicks;
    clicks.swap(pendingClicks_);
    for (auto& click : clicks) click();
  }
}

void SdlPlatform::present(const PresentRequest& request) {
  if (window_ == nullptr) return;
  PresentPlan plan = planPresent(request);
  if (plan.drawFrame || plan.hasBand) {
    // Paint suppression keeps the window's picture as it is. A frame equal to the one
    // shown (a page waiting for a click) is neither uploaded nor drawn again.
    if (plan.drawFrame) {
      const std::size_t n = static_cast<std::size_t>(kGameWidth) * kGameHeight;
      if (shownPixels_.size() != n || std::memcmp(shownPixels_.data(), request.pixels, n * 4) != 0) {
        shownPixels_.assign(request.pixels, request.pixels + n);
        SDL_UpdateTexture(texture_, nullptr, request.pixels, kGameWidth * 4);
        dirty_ = true;
      }
    }
    if (!haveFrame_ || !samePlan(plan, plan_)) dirty_ = true;
    shownRequest_ = request;
    plan_ = plan;
    haveFrame_ = true;
  }
  if (needsRender()) renderFrame();
}

bool SdlPlatform::needsRender() {
  if (dirty_ || uiBusyFrames_ > 0 || modalDepth_ > 0 || ui_.popupActive() || ui_.anyPopupOpen()) return true;
  // An edit of an open dialog blinks its caret.
  if (!dialogs_.empty() && ImGui::GetIO().WantTextInput) return true;
  // A caption or check mark of the menu bar changed (skip mode, quick items...).
  if (windowed_ && menuBar_ != nullptr) {
    const std::size_t signature = menuSignature(*menuBar_);
    if (signature != menuSignature_) {
      menuSignature_ = signature;
      return true;
    }
  }
  return false;
}

void SdlPlatform::redrawSoon() {
  lastRender_ = 0;
  dirty_ = true;
}

void SdlPlatform::renderFrame(const std::function<void()>& modalContents) {
  if (window_ == nullptr || ui_.inFrame()) return;
  lastRender_ = SDL_GetTicks();
  dirty_ = false;
  if (uiBusyFrames_ > 0) --uiBusyFrames_;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  Rect area = gameArea();
  if (haveFrame_ && plan_.drawFrame) {
    SDL_Rect src = toSdl(plan_.source);
    SDL_Rect dst = scaled(plan_.target, area);
    // Whole multiples keep their pixels sharp; any other size (and the zoom) is smoothed.
    const bool sharp = wholeMultiple(area) && plan_.source.width == plan_.target.width &&
                       plan_.source.height == plan_.target.height;
    SDL_SetTextureScaleMode(texture_, sharp ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    SDL_RenderCopy(renderer_, texture_, &src, &dst);
  }
  ui_.beginFrame();
  if (windowed_ && menuBar_ != nullptr) ui_.drawMenuBar(*menuBar_, modalDepth_ == 0, pendingClicks_);
  if (modalDepth_ == 0) ui_.drawPopup(pendingClicks_);
  drawDialogs();
  if (modalContents) modalContents();
  ui_.endFrame(renderer_);
  SDL_RenderPresent(renderer_);
}

bool SdlPlatform::modalKey(int scancode) const {
  for (int k : modalKeys_)
    if (k == scancode) return true;
  return false;
}

bool SdlPlatform::openDialog(ModelessDialog dialog) {
  if (window_ == nullptr || !shown_ || !ui_.ready()) return false;
  // ImGui lays a new window out over its first pictures (tab bars, sizes).
  redrawSoon();
  uiBusyFrames_ = kUiFramesAfterEvent;
  for (OpenDialog& d : dialogs_) {
    if (d.dialog.id != dialog.id) continue;
    d.raise = true;
    return true;
  }
  OpenDialog opened;
  opened.dialog = std::move(dialog);
  dialogs_.push_back(std::move(opened));
  return true;
}

void SdlPlatform::dialogsChanged() {
  if (!dialogs_.empty()) redrawSoon();
}

bool SdlPlatform::dialogOpen(std::string_view id) const {
  for (const OpenDialog& d : dialogs_)
    if (d.dialog.id == id) return true;
  return false;
}

SdlPlatform::OpenDialog* SdlPlatform::focusedDialog() {
  if (modalDepth_ > 0) return nullptr;
  for (OpenDialog& d : dialogs_)
    if (d.last.focused) return &d;
  return nullptr;
}

bool SdlPlatform::overDialog(int x, int y) const {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  for (const OpenDialog& d : dialogs_) {
    const DialogFrame& f = d.last;
    if (fx >= f.x && fy >= f.y && fx < f.x + f.width && fy < f.y + f.height) return true;
  }
  return false;
}

void SdlPlatform::drawDialogs() {
  // By index: a window's drawing may open another one.
  for (std::size_t i = 0; i < dialogs_.size();) {
    DialogFrame frame;
    frame.escape = dialogs_[i].escape;
    frame.enter = dialogs_[i].enter;
    dialogs_[i].escape = dialogs_[i].enter = false;
    if (dialogs_[i].raise) {
      ImGui::SetNextWindowFocus();
      dialogs_[i].raise = false;
    }
    const std::function<bool(DialogFrame&)> draw = dialogs_[i].dialog.draw;
    if (draw && draw(frame)) {
      dialogs_[i].last = frame;
      ++i;
      continue;
    }
    if (dialogs_[i].dialog.closed) pendingClicks_.push_back(std::move(dialogs_[i].dialog.closed));
    dialogs_.erase(dialogs_.begin() + static_cast<std::ptrdiff_t>(i));
    dirty_ = true;  // the next picture shows the game where the window was
  }
}

bool SdlPlatform::modalPossible() const { return window_ != nullptr && shown_ && ui_.ready() && !ui_.inFrame(); }

void SdlPlatform::runModal(const std::function<bool()>& drawContents, const std::function<void()>& afterFrame) {
  ++modalDepth_;
  bool open = true;
  // A termination signal closes the box with its default answer; the run then ends.
  while (open && terminationSignal() == 0) {
    pumpEvents(Pump::Modal);
    renderFrame([&] { open = drawContents(); });
    modalKeys_.clear();
    if (afterFrame) afterFrame();
    SDL_Delay(10);
  }
  --modalDepth_;
  redrawSoon();
}

}  // namespace ml

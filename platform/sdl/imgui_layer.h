// Dear ImGui on the SDL window: context, the Japanese font, one frame at a time, and the
// drawing of the application's menus. Menu clicks are collected, not run: they run
// after the frame ends, where they may open modal boxes of their own.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ui_model.h"

struct SDL_Window;
struct SDL_Renderer;
union SDL_Event;

namespace ml {

class ImGuiLayer {
 public:
  ImGuiLayer() = default;
  ~ImGuiLayer();
  ImGuiLayer(const ImGuiLayer&) = delete;
  ImGuiLayer& operator=(const ImGuiLayer&) = delete;

  bool init(SDL_Window* window, SDL_Renderer* renderer);
  void shutdown();
  bool ready() const { return ready_; }

  void processEvent(const SDL_Event& e);
  void beginFrame();
  void endFrame(SDL_Renderer* renderer);
  bool inFrame() const { return inFrame_; }

  // Height of the menu bar in pixels (fixed once the font is loaded).
  int menuBarHeight() const { return menuBarHeight_; }
  // Whether ImGui uses the mouse or keyboard now (open menus, popups, dialogs, edits).
  bool wantsMouse() const;
  bool wantsKeyboard() const;
  bool anyPopupOpen() const;

  // Draws the menu bar at the top; clicked items are appended to `clicked`.
  void drawMenuBar(MenuItem& root, bool enabled, std::vector<std::function<void()>>& clicked);
  // Opens the popup at the mouse on the next drawPopup.
  void requestPopup(MenuItem* root);
  void drawPopup(std::vector<std::function<void()>>& clicked);
  // Closes the popup at the next frame (Esc).
  void dismissPopup() { popupDismiss_ = popupRoot_ != nullptr; }
  bool popupActive() const { return popupRoot_ != nullptr; }

  // A Shift-JIS text as ImGui wants it, cached.
  const char* utf8(const std::string& sjis);

 private:
  void drawItems(std::vector<MenuItem>& items, std::vector<std::function<void()>>& clicked);

  bool ready_ = false;
  bool inFrame_ = false;
  int menuBarHeight_ = 0;
  MenuItem* popupRoot_ = nullptr;
  bool popupPending_ = false;
  bool popupDismiss_ = false;
  std::vector<unsigned short> glyphRanges_;
  std::unordered_map<std::string, std::string> utf8Cache_;
};

// Path of the installed Japanese gothic font (IPAGothic), empty when there is none.
std::string japaneseUiFontPath();

}  // namespace ml

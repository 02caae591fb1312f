#include "platform/sdl/imgui_layer.h"

#include <SDL.h>
#include <fontconfig/fontconfig.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <cmath>

#include "platform/text_encoding.h"

namespace ml {

namespace {

constexpr float kUiFontPixels = 16.0f;

}  // namespace

std::string japaneseUiFontPath() {
  std::string path;
  if (!FcInit()) return path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic:lang=ja"));
  if (pattern == nullptr) return path;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* file = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
    path = reinterpret_cast<const char*>(file);
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

ImGuiLayer::~ImGuiLayer() { shutdown(); }

bool ImGuiLayer::init(SDL_Window* window, SDL_Renderer* renderer) {
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // nothing of the UI's layout is kept between runs
  io.LogFilename = nullptr;
  ImGui::StyleColorsLight();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 0.0f;
  style.PopupRounding = 0.0f;

  // Japanese menus and dialogs: the Japanese ranges plus the arrows, shapes and box
  // symbols that captions and scripts use.
  static const ImWchar kExtra[] = {0x2190, 0x21FF, 0x2200, 0x22FF, 0x2460, 0x24FF, 0x2500, 0x257F,
                                   0x25A0, 0x25FF, 0x2600, 0x26FF, 0};
  ImFontGlyphRangesBuilder builder;
  builder.AddRanges(io.Fonts->GetGlyphRangesJapanese());
  builder.AddRanges(kExtra);
  ImVector<ImWchar> ranges;
  builder.BuildRanges(&ranges);
  glyphRanges_.assign(ranges.begin(), ranges.end());
  std::string fontPath = japaneseUiFontPath();
  ImFont* font = nullptr;
  if (!fontPath.empty())
    font = io.Fonts->AddFontFromFileTTF(fontPath.c_str(), kUiFontPixels, nullptr, glyphRanges_.data());
  if (font == nullptr) {
    SDL_Log("mirelune: no Japanese font for menus and dialogs (install fonts-ipafont-gothic)");
    io.Fonts->AddFontDefault();
  }
  if (!ImGui_ImplSDL2_InitForSDLRenderer(window)) return false;
  if (!ImGui_ImplSDLRenderer_Init(renderer)) return false;
  ready_ = true;
  // The bar is one framed line: font height and the frame padding above and below.
  // (The font's own size is known only once the atlas is built.)
  menuBarHeight_ = static_cast<int>(std::ceil((font ? kUiFontPixels : 13.0f) + style.FramePadding.y * 2));
  return true;
}

void ImGuiLayer::shutdown() {
  if (!ready_) return;
  ImGui_ImplSDLRenderer_Shutdown();
  ImGui_ImplSDL2_Shutdown();
  ImGui::DestroyContext();
  ready_ = false;
}

void ImGuiLayer::processEvent(const SDL_Event& e) {
  if (ready_) ImGui_ImplSDL2_ProcessEvent(&e);
}

void ImGuiLayer::beginFrame() {
  ImGui_ImplSDLRenderer_NewFrame();
  ImGui_ImplSDL2_NewFrame();
  ImGui::NewFrame();
  inFrame_ = true;
}

void ImGuiLayer::endFrame(SDL_Renderer* renderer) {
  ImGui::Render();
  ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
  inFrame_ = false;
}

bool ImGuiLayer::wantsMouse() const { return ready_ && ImGui::GetIO().WantCaptureMouse; }

bool ImGuiLayer::wantsKeyboard() const {
  return ready_ && (ImGui::GetIO().WantTextInput || anyPopupOpen());
}

bool ImGuiLayer::anyPopupOpen() const {
  return ready_ && (popupRoot_ != nullptr ||
                    ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel));
}

const char* ImGuiLayer::utf8(const std::string& sjis) {
  auto it = utf8Cache_.find(sjis);
  if (it == utf8Cache_.end()) {
    if (utf8Cache_.size() > 4096) utf8Cache_.clear();
    it = utf8Cache_.emplace(sjis, sjisToUtf8(sjis)).first;
  }
  return it->second.c_str();
}

void ImGuiLayer::drawItems(std::vector<MenuItem>& items, std::vector<std::function<void()>>& clicked) {
  bool lastWasSeparator = true;  // no separator at the top of a menu
  for (MenuItem& item : items) {
    if (!item.visible) continue;
    if (item.separator) {
      if (!lastWasSeparator) ImGui::Separator();
      lastWasSeparator = true;
      continue;
    }
    lastWasSeparator = false;
    std::string label = std::string(utf8(menuDisplayText(item.caption))) + "##" + item.name;
    if (!item.items.empty()) {
      if (ImGui::BeginMenu(label.c_str(), item.enabled)) {
        drawItems(item.items, clicked);
        ImGui::EndMenu();
      }
      continue;
    }
    const char* shortcut = item.shortcut.empty() ? nullptr : item.shortcut.c_str();
    if (ImGui::MenuItem(label.c_str(), shortcut, item.checked, item.enabled) && item.onClick)
      clicked.push_back(item.onClick);
  }
}

void ImGuiLayer::drawMenuBar(MenuItem& root, bool enabled, std::vector<std::function<void()>>& clicked) {
  if (!ImGui::BeginMainMenuBar()) return;
  if (!enabled) ImGui::BeginDisabled();
  for (MenuItem& top : root.items) {
    if (!top.visible || top.separator) continue;
    std::string label = std::string(utf8(menuDisplayText(top.caption))) + "##" + top.name;
    if (ImGui::BeginMenu(label.c_str(), top.enabled)) {
      drawItems(top.items, clicked);
      ImGui::EndMenu();
    }
  }
  if (!enabled) ImGui::EndDisabled();
  ImGui::EndMainMenuBar();
}

void ImGuiLayer::requestPopup(MenuItem* root) {
  popupRoot_ = root;
  popupPending_ = root != nullptr;
}

void ImGuiLayer::drawPopup(std::vector<std::function<void()>>& clicked) {
  if (popupRoot_ == nullptr) return;
  if (popupPending_) {
    ImGui::OpenPopup("##PopupMenu1");
    popupPending_ = false;
  }
  if (ImGui::BeginPopup("##PopupMenu1")) {
    if (popupDismiss_) {
      ImGui::CloseCurrentPopup();
      popupDismiss_ = false;
    } else {
      drawItems(popupRoot_->items, clicked);
    }
    ImGui::EndPopup();
  } else {
    popupRoot_ = nullptr;  // closed by a click or Esc
  }
}

}  // namespace ml

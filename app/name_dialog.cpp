#include "app/name_dialog.h"

#include <imgui.h>

#include <algorithm>
#include <cstring>

#include <SDL.h>

#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

void copyToBuffer(NameDialogState& s, const std::string& utf8) {
  const std::size_t n = std::min(utf8.size(), sizeof s.buffer - 1);
  std::memcpy(s.buffer, utf8.data(), n);
  s.buffer[n] = 0;
}

// Every change of the edit is filtered at once; the caret stays after what it
// followed.
int filterCallback(ImGuiInputTextCallbackData* data) {
  auto& s = *static_cast<NameDialogState*>(data->UserData);
  const std::string typed(data->Buf, static_cast<std::size_t>(data->BufTextLen));
  const std::string before(data->Buf, static_cast<std::size_t>(std::clamp(data->CursorPos, 0, data->BufTextLen)));
  s.entry.setText(utf8ToSjis(typed));
  const std::string kept = sjisToUtf8(s.entry.text);
  if (kept != typed) {
    const std::string keptBefore = sjisToUtf8(filterNameText(utf8ToSjis(before), s.entry.maxBytes()));
    data->DeleteChars(0, data->BufTextLen);
    data->InsertChars(0, kept.c_str());
    data->CursorPos = std::min(static_cast<int>(keptBefore.size()), data->BufTextLen);
    data->SelectionStart = data->SelectionEnd = data->CursorPos;
  }
  return 0;
}

}  // namespace

bool drawNameDialog(NameDialogState& s) {
  const char* title = "名前の変更###TNameForm";
  if (!s.opened) {
    copyToBuffer(s, sjisToUtf8(s.entry.text));
    ImGui::OpenPopup(title);
    s.opened = true;
  }
  ImGuiViewport* vp = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(ImVec2(vp->Pos.x + vp->Size.x * 0.5f, vp->Pos.y + vp->Size.y * 0.5f), ImGuiCond_Always,
                          ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(290, 0), ImGuiCond_Always);
  if (ImGui::BeginPopupModal(title, nullptr, ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize)) {
    if (s.focusEdit) {
      ImGui::SetKeyboardFocusHere();
      s.focusEdit = false;
    }
    ImGui::SetNextItemWidth(-1);
    const bool enter = ImGui::InputText("##EdName", s.buffer, sizeof s.buffer,
                                        ImGuiInputTextFlags_CallbackEdit | ImGuiInputTextFlags_EnterReturnsTrue,
                                        filterCallback, &s);
    if (ImGui::Button("デフォルト##BtDefault")) {
      s.entry.useDefault();
      copyToBuffer(s, sjisToUtf8(s.entry.text));
      s.focusEdit = true;
    }
    ImGui::SameLine();
    ImGui::BeginDisabled(!s.entry.okEnabled());
    const bool enterKey = enter || (s.keyPressed && s.keyPressed(false));
    if ((ImGui::Button("OK##BtOk", ImVec2(60, 0)) || enterKey) && s.entry.okEnabled()) s.confirmed = s.done = true;
    ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("キャンセル##BtCansel") || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)) ||
        (s.keyPressed && s.keyPressed(true)))
      s.done = true;
    if (s.done) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
  }
  return !s.done;
}

bool showNameDialog(Platform& platform, std::string& givenSjis) {
  NameDialogState state(NameEntry(utf8ToSjis("ヨルク"), givenSjis));
  if (auto* sdl = dynamic_cast<SdlPlatform*>(&platform)) {
    state.keyPressed = [sdl](bool escape) {
      if (escape) return sdl->modalKey(SDL_SCANCODE_ESCAPE);
      return sdl->modalKey(SDL_SCANCODE_RETURN) || sdl->modalKey(SDL_SCANCODE_KP_ENTER);
    };
  }
  if (!platform.runDialog([&state] { return drawNameDialog(state); })) return false;
  if (!state.confirmed || !state.entry.okEnabled()) return false;
  givenSjis = state.entry.text;
  return true;
}

}  // namespace ml

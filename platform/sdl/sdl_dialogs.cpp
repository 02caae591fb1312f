// The modal pieces of the window: message boxes, the current-line dialog, the font
// dialog and the text dialogs, all ImGui windows over the frozen game; before the
// window exists message boxes are SDL's own.
#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sdl/font_list.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {


// Centres the next window on the viewport.
void centreNext() {
  ImGuiViewport* vp = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(ImVec2(vp->Pos.x + vp->Size.x * 0.5f, vp->Pos.y + vp->Size.y * 0.5f), ImGuiCond_Always,
                          ImVec2(0.5f, 0.5f));
}

void drawIcon(BoxIcon icon) {
  if (icon == BoxIcon::None) return;
  const float r = 14.0f;
  ImVec2 p = ImGui::GetCursorScreenPos();
  ImVec2 c(p.x + r, p.y + r);
  ImU32 colour = icon == BoxIcon::Error      ? IM_COL32(200, 40, 40, 255)
                 : icon == BoxIcon::Question ? IM_COL32(40, 90, 200, 255)
                                             : IM_COL32(40, 120, 200, 255);
  const char* glyph = icon == BoxIcon::Error ? "x" : icon == BoxIcon::Question ? "?" : "i";
  ImDrawList* dl = ImGui::GetWindowDrawList();
  dl->AddCircleFilled(c, r, colour);
  ImVec2 ts = ImGui::CalcTextSize(glyph);
  dl->AddText(ImVec2(c.x - ts.x * 0.5f, c.y - ts.y * 0.5f), IM_COL32_WHITE, glyph);
  ImGui::Dummy(ImVec2(2 * r + 8, 2 * r));
  ImGui::SameLine();
}

// A read-only field: ImGui edits char buffers, so the text is copied into one.
void readOnlyField(const char* label, const std::string& utf8, float width) {
  std::string buf = utf8;
  ImGui::TextUnformatted(label);
  ImGui::SameLine(90);
  ImGui::SetNextItemWidth(width);
  std::string id = std::string("##") + label;
  ImGui::InputText(id.c_str(), buf.data(), buf.size() + 1, ImGuiInputTextFlags_ReadOnly);
}

// The edit's text runs through the form's filter after every change, in Shift-JIS as
// the dialog's limits are written; the caret stays where it was, or at the end when the
// text got shorter than that.
int filterEditCallback(ImGuiInputTextCallbackData* data) {
  if (data->EventFlag != ImGuiInputTextFlags_CallbackEdit) return 0;
  const auto* form = static_cast<const TextEntryForm*>(data->UserData);
  if (!form || !form->filter) return 0;
  const std::string typed(data->Buf, static_cast<std::size_t>(data->BufTextLen));
  const std::string filtered = sjisToUtf8(form->filter(utf8ToSjis(typed)));
  if (filtered == typed) return 0;
  const int caret = data->CursorPos;
  data->DeleteChars(0, data->BufTextLen);
  data->InsertChars(0, filtered.c_str());
  data->CursorPos = std::min(caret, data->BufTextLen);
  // Never inside a UTF-8 sequence.
  while (data->CursorPos > 0 && (static_cast<unsigned char>(data->Buf[data->CursorPos]) & 0xC0) == 0x80)
    --data->CursorPos;
  data->SelectionStart = data->SelectionEnd = data->CursorPos;
  return 0;
}

}  // namespace

bool SdlPlatform::editText(TextEntryForm& form) {
  auto keyPressed = [this](SDL_Scancode code) { return modalKey(code); };
  if (!modalPossible()) return false;
  // Room for the longest text the filter lets through, in UTF-8 (3 bytes a character).
  std::vector<char> buffer(1024, '\0');
  const std::string initial = sjisToUtf8(form.filter ? form.filter(form.text) : form.text);
  std::snprintf(buffer.data(), buffer.size(), "%s", initial.c_str());
  std::vector<std::string> labels;
  for (const std::string& l : form.labels) labels.push_back(sjisToUtf8(l));
  const std::string editLabel = sjisToUtf8(form.editLabel);
  const std::string title = sjisToUtf8(form.caption) + "###" + form.name;
  const std::string editId = "##" + (form.editName.empty() ? form.name : form.editName);
  bool done = false, confirmed = false, opened = false, focused = false;
  // An input method composes its characters through SDL's text input.
  const bool textInputWasActive = SDL_IsTextInputActive() == SDL_TRUE;
  SDL_StartTextInput();
  runModal([&] {
    if (!opened) {
      ImGui::OpenPopup(title.c_str());
      opened = true;
    }
    centreNext();
    ImGui::SetNextWindowSize(ImVec2(394, 0), ImGuiCond_Always);
    if (ImGui::BeginPopupModal(title.c_str(), nullptr, ImGuiWindowFlags_NoMove)) {
      for (const std::string& l : labels) ImGui::TextUnformatted(l.c_str());
      ImGui::Spacing();
      ImGui::TextUnformatted(editLabel.c_str());
      ImGui::SameLine();
      ImGui::SetNextItemWidth(-1);
      if (!focused) {
        ImGui::SetKeyboardFocusHere();
        focused = true;
      }
      if (ImGui::InputText(editId.c_str(), buffer.data(), buffer.size(),
                           ImGuiInputTextFlags_CallbackEdit | ImGuiInputTextFlags_EnterReturnsTrue,
                           filterEditCallback, &form))
        confirmed = done = true;
      // The input method shows what it composes next to the edit.
      const ImVec2 at = ImGui::GetItemRectMin(), size = ImGui::GetItemRectSize();
      SDL_Rect area{static_cast<int>(at.x), static_cast<int>(at.y), static_cast<int>(size.x),
                    static_cast<int>(size.y)};
      SDL_SetTextInputRect(&area);
      ImGui::Spacing();
      if (ImGui::Button("OK", ImVec2(90, 0))) confirmed = done = true;
      ImGui::SameLine();
      if (ImGui::Button("キャンセル", ImVec2(90, 0)) || keyPressed(SDL_SCANCODE_ESCAPE)) done = true;
      if (done) ImGui::CloseCurrentPopup();
      ImGui::EndPopup();
    }
    return !done;
  });
  if (!textInputWasActive) SDL_StopTextInput();
  if (!confirmed) return false;
  const std::string typed = utf8ToSjis(buffer.data());
  form.text = form.filter ? form.filter(typed) : typed;
  return true;
}

BoxAnswer SdlPlatform::messageBox(std::string_view captionSjis, std::string_view textSjis, BoxButtons buttons,
                                  BoxIcon icon, bool defaultNo) {
  auto keyPressed = [this](SDL_Scancode code) { return modalKey(code); };
  auto enterPressed = [this] { return modalKey(SDL_SCANCODE_RETURN) || modalKey(SDL_SCANCODE_KP_ENTER); };
  std::string caption = sjisToUtf8(captionSjis);
  std::string text = sjisToUtf8(textSjis);
  BoxAnswer fallback = buttons == BoxButtons::Ok ? BoxAnswer::Ok : defaultNo ? BoxAnswer::No : BoxAnswer::Yes;
  BoxAnswer answer = fallback;

  if (!modalPossible()) {
    SDL_MessageBoxButtonData data[2];
    int count = 0;
    if (buttons == BoxButtons::Ok) {
      data[count++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
    } else {
      Uint32 yesFlags = defaultNo ? 0 : SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
      Uint32 noFlags = defaultNo ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
      data[count++] = {yesFlags, 1, "はい"};
      data[count++] = {noFlags, 2, "いいえ"};
    }
    Uint32 kind = icon == BoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxData box{kind, window_, caption.c_str(), text.c_str(), count, data, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) == 0 && pressed >= 0)
      answer = pressed == 0 ? BoxAnswer::Ok : pressed == 1 ? BoxAnswer::Yes : BoxAnswer::No;
  } else {
    bool done = false;
    bool opened = false;
    std::string title = caption + "###MessageBox" + std::to_string(modalDepth_);
    runModal([&] {
      if (!opened) {
        ImGui::OpenPopup(title.c_str());
        opened = true;
      }
      centreNext();
      if (ImGui::BeginPopupModal(title.c_str(), nullptr,
                                 ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove)) {
        drawIcon(icon);
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + 420.0f);
        ImGui::TextUnformatted(text.c_str());
        ImGui::PopTextWrapPos();
        ImGui::Spacing();
        if (buttons == BoxButtons::Ok) {
          if (ImGui::Button("OK", ImVec2(90, 0)) || enterPressed() || keyPressed(SDL_SCANCODE_ESCAPE)) {
            answer = BoxAnswer::Ok;
            done = true;
          }
        } else {
          // The default button is drawn active; Enter takes it, Y and N their own.
          auto button = [&](const char* label, bool isDefault) {
            if (isDefault) ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetStyleColorVec4(ImGuiCol_ButtonActive));
            bool hit = ImGui::Button(label, ImVec2(90, 0));
            if (isDefault) ImGui::PopStyleColor();
            return hit;
          };
          if (button("はい(Y)", !defaultNo) || keyPressed(SDL_SCANCODE_Y)) {
            answer = BoxAnswer::Yes;
            done = true;
          }
          ImGui::SameLine();
          if (button("いいえ(N)", defaultNo) || keyPressed(SDL_SCANCODE_N)) {
            answer = BoxAnswer::No;
            done = true;
          }
          if (!done && enterPressed()) {
            answer = fallback;
            done = true;
          }
        }
        if (done) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
      }
      return !done;
    });
  }
  std::string line = "MessageBox: [" + caption + "] " + text;
  line += answer == BoxAnswer::Ok ? " -> OK" : answer == BoxAnswer::Yes ? " -> Yes" : " -> No";
  std::fprintf(stderr, "%s\n", oneLine(line).c_str());
  return answer;
}

void SdlPlatform::showDebugForm(DebugFormData& form) {
  auto keyPressed = [this](SDL_Scancode code) { return modalKey(code); };
  auto enterPressed = [this] { return modalKey(SDL_SCANCODE_RETURN) || modalKey(SDL_SCANCODE_KP_ENTER); };
  if (!modalPossible()) return;
  std::string line = sjisToUtf8(form.lineText);
  std::string memo;
  auto fillMemo = [&] {
    memo.clear();
    for (const std::string& m : form.memo) memo += sjisToUtf8(m) + "\n";
  };
  fillMemo();
  std::string bg = sjisToUtf8(form.background), bgm = sjisToUtf8(form.bgm), se = sjisToUtf8(form.se),
              vo = sjisToUtf8(form.voice);
  std::string sp[4];
  for (int i = 0; i < 4; ++i) sp[i] = sjisToUtf8(form.sprites[i]);
  bool done = false, opened = false, searchRequested = false;
  const std::string title = "デバッグ###TDebugForm";
  runModal(
      [&] {
        if (!opened) {
          ImGui::OpenPopup(title.c_str());
          opened = true;
        }
        centreNext();
        ImGui::SetNextWindowSize(ImVec2(420, 0), ImGuiCond_Always);
        if (ImGui::BeginPopupModal(title.c_str(), nullptr, ImGuiWindowFlags_NoMove)) {
          readOnlyField("実行中の行", line, -1);
          ImGui::TextUnformatted("メッセージ");
          std::string buf = memo;
          ImGui::InputTextMultiline("##Memo", buf.data(), buf.size() + 1, ImVec2(-1, 110),
                                    ImGuiInputTextFlags_ReadOnly);
          readOnlyField("背景", bg, -1);
          const char* spriteLabels[4] = {"立ち１", "立ち２", "立ち３", "立ち４"};
          for (int i = 0; i < 4; ++i) readOnlyField(spriteLabels[i], sp[i], -1);
          readOnlyField("ＢＧＭ", bgm, -1);
          readOnlyField("ＳＥ", se, -1);
          readOnlyField("音声", vo, -1);
          ImGui::Spacing();
          if (form.unreadButton) {
            if (ImGui::Button("未読位置確認##BtUnread")) searchRequested = true;
            ImGui::SameLine();
          }
          if (ImGui::Button("閉じる##BtClose", ImVec2(90, 0)) || enterPressed() || keyPressed(SDL_SCANCODE_ESCAPE)) {
            done = true;
            ImGui::CloseCurrentPopup();
          }
          ImGui::EndPopup();
        }
        return !done;
      },
      [&] {
        // The search may report errors of its own; it runs between pictures.
        if (!searchRequested) return;
        searchRequested = false;
        if (form.findUnread) {
          form.memo = form.findUnread();
          fillMemo();
        }
      });
}

bool SdlPlatform::chooseFont(FontChoice& choice) {
  auto keyPressed = [this](SDL_Scancode code) { return modalKey(code); };
  auto enterPressed = [this] { return modalKey(SDL_SCANCODE_RETURN) || modalKey(SDL_SCANCODE_KP_ENTER); };
  if (!modalPossible()) return false;
  std::vector<std::string> faces = installedTrueTypeFaces();
  std::string current = sjisToUtf8(choice.face);
  int selected = -1;
  for (size_t i = 0; i < faces.size(); ++i)
    if (faces[i] == current) selected = static_cast<int>(i);
  FontChoice work = choice;
  bool done = false, confirmed = false, opened = false, scrolled = false;
  const std::string title = "フォント###FontDialog";
  runModal([&] {
    if (!opened) {
      ImGui::OpenPopup(title.c_str());
      opened = true;
    }
    centreNext();
    ImGui::SetNextWindowSize(ImVec2(380, 0), ImGuiCond_Always);
    if (ImGui::BeginPopupModal(title.c_str(), nullptr, ImGuiWindowFlags_NoMove)) {
      ImGui::TextUnformatted("フォント名");
      if (ImGui::BeginListBox("##Faces", ImVec2(-1, 220))) {
        for (size_t i = 0; i < faces.size(); ++i) {
          bool isSel = static_cast<int>(i) == selected;
          if (ImGui::Selectable(faces[i].c_str(), isSel)) selected = static_cast<int>(i);
          if (isSel && !scrolled) {
            ImGui::SetScrollHereY();
            scrolled = true;
          }
        }
        ImGui::EndListBox();
      }
      ImGui::Checkbox("太字", &work.bold);
      ImGui::SameLine();
      ImGui::Checkbox("斜体", &work.italic);
      ImGui::SameLine();
      ImGui::Checkbox("下線", &work.underline);
      ImGui::SameLine();
      ImGui::Checkbox("取り消し線", &work.strikeout);
      ImGui::Spacing();
      // Only an installed face can be confirmed.
      ImGui::BeginDisabled(selected < 0);
      if (ImGui::Button("OK", ImVec2(90, 0)) || (selected >= 0 && enterPressed())) {
        confirmed = done = true;
      }
      ImGui::EndDisabled();
      ImGui::SameLine();
      if (ImGui::Button("キャンセル", ImVec2(90, 0)) || keyPressed(SDL_SCANCODE_ESCAPE)) done = true;
      if (done) ImGui::CloseCurrentPopup();
      ImGui::EndPopup();
    }
    return !done;
  });
  if (!confirmed || selected < 0) return false;
  work.face = utf8ToSjis(faces[static_cast<size_t>(selected)]);
  choice = work;
  return true;
}

bool SdlPlatform::runDialog(const std::function<bool()>& drawFrame) {
  if (!modalPossible()) return false;
  runModal(drawFrame);
  return true;
}

}  // namespace ml

#include "app/option_dialog.h"

#include <imgui.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/flag_view.h"
#include "app/option_form.h"
#include "platform/platform.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr float kOptionWidth = 423, kOptionHeight = 431;
constexpr float kHelpWidth = 423, kHelpHeight = 253;

void centre(float w, float h) {
  ImGuiViewport* vp = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(ImVec2(vp->Pos.x + vp->Size.x * 0.5f, vp->Pos.y + vp->Size.y * 0.5f), ImGuiCond_Always,
                          ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(w, h), ImGuiCond_Always);
}

// Where a dialog over the running game first appears: in the middle, as the modal
// ones; the player may move it aside to watch the game.
void placeDialog(float w, float h) {
  ImGuiViewport* vp = ImGui::GetMainViewport();
  ImGui::SetNextWindowPos(ImVec2(vp->Pos.x + vp->Size.x * 0.5f, vp->Pos.y + vp->Size.y * 0.5f), ImGuiCond_Appearing,
                          ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(w, h), ImGuiCond_Always);
}

constexpr ImGuiWindowFlags kDialogFlags =
    ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;

// Tells the platform, from inside the window, whether it has the keys and where it lies.
void noteWindow(DialogFrame& frame) {
  frame.focused = ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows);
  const ImVec2 pos = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
  frame.x = pos.x;
  frame.y = pos.y;
  frame.width = size.x;
  frame.height = size.y;
}

void heading(const char* text) {
  ImGui::Spacing();
  ImGui::TextUnformatted(text);
  ImGui::Separator();
}

void hint(const char* text) {
  if (ImGui::IsItemHovered()) ImGui::SetTooltip("%s", text);
}

bool check(const char* label, bool& value) { return ImGui::Checkbox(label, &value); }

// A slider whose value shows in its label; true when it moved.
bool slider(const char* label, int& value, int min, int max, const char* format = "%d") {
  ImGui::SetNextItemWidth(260);
  return ImGui::SliderInt(label, &value, min, max, format, ImGuiSliderFlags_AlwaysClamp);
}

void radios(const char* const* labels, int count, int& value) {
  for (int i = 0; i < count; ++i) {
    if (i != 0) ImGui::SameLine();
    ImGui::RadioButton(labels[i], &value, i);
  }
}

void live(OptionForm& f, bool moved) {
  if (moved && f.slidersMoved) f.slidersMoved();
}

void messagePage(OptionForm& f) {
  Settings& s = f.values;
  heading("メッセージの速度");
  int speed = f.messageSpeedPosition();
  ImGui::TextUnformatted("遅い");
  ImGui::SameLine();
  if (slider("最速##TbMsgSpeed", speed, 0, 4, "")) f.setMessageSpeedPosition(speed);
  heading("主人公の名前");
  const std::string name = sjisToUtf8(s.user.name);
  ImGui::SetNextItemWidth(160);
  ImGui::BeginDisabled();
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s", name.c_str());
  ImGui::InputText("##EdName", buf, sizeof buf, ImGuiInputTextFlags_ReadOnly);
  ImGui::EndDisabled();
  ImGui::SameLine();
  if (ImGui::Button("変更##BtName")) f.nameRequested = f.done = true;
  heading("既読時の処理");
  check("既読ならメッセージの色を落とす##CbReaded", s.message.readed);
  ImGui::BeginDisabled(!f.readedBrightnessEnabled());
  live(f, slider("明るさ##TbReaded", s.message.readedLumi, 0, 255));
  ImGui::EndDisabled();
}

void soundPage(OptionForm& f) {
  Settings& s = f.values;
  heading("ボリューム");
  if (check("音楽##CbBgmOn", s.volume.bgmOn) && f.musicTicked) f.musicTicked(s.volume.bgmOn);
  hint("ＢＧＭのオン・オフ（ゲーム中のみ反映されます）");
  ImGui::SameLine(90);
  live(f, slider("##TbBgm", s.volume.bgm, 0, 100));
  check("ＳＥ##CbSeOn", s.volume.seOn);
  hint("ＳＥのオン・オフ");
  ImGui::SameLine(90);
  live(f, slider("##TbSe", s.volume.se, 0, 100));
  check("音声##CbVoOn", s.volume.voOn);
  hint("音声のオン・オフ");
  ImGui::SameLine(90);
  live(f, slider("##TbVoice", s.volume.voice, 0, 100));
  slider("パン##TbPan", s.volume.pan, 0, 100);
  heading("ゲーム中音声の再生レート");
  static const char* const rates[] = {"標準##RbVoNorm", "倍速##RbVo2By", "時短１##RbVoT1", "時短２##RbVoT2"};
  radios(rates, 4, s.voice.rate);
  heading("キャラごとの音声再生");
  auto entryName = [&](int i) {
    if (i == OptionForm::kOtherEntry) return std::string("その他");
    return i < static_cast<int>(f.speakerNames.size()) ? sjisToUtf8(f.speakerNames[static_cast<std::size_t>(i)])
                                                       : std::string();
  };
  ImGui::SetNextItemWidth(140);
  if (ImGui::BeginCombo("##CBoxChrVoice", entryName(f.charaEntry()).c_str())) {
    for (int i = 0; i < OptionForm::kCharaEntries; ++i)
      if (ImGui::Selectable(entryName(i).c_str(), i == f.charaEntry())) f.selectChara(i);
    ImGui::EndCombo();
  }
  ImGui::SameLine();
  bool ticked = f.charaTicked();
  if (check("音声再生する##CbChrVoice", ticked)) f.setCharaTicked(ticked);
  check("ＢＧＭを一度に読み込む##CbAllBgm", s.bgm.allBgm);
}

void sound2Page(OptionForm& f) {
  Settings& s = f.values;
  heading("アイコンの説明");
  check("有効##CbGuide", s.voice.guide);
  ImGui::BeginDisabled(!f.guideEnabled());
  ImGui::SetNextItemWidth(140);
  const int rows = static_cast<int>(f.guideNames.size());
  const int sel = s.voice.guideNo >= 0 && s.voice.guideNo < rows ? s.voice.guideNo : 0;
  auto guideName = [&](int i) { return i < rows ? sjisToUtf8(f.guideNames[static_cast<std::size_t>(i)]) : std::string(); };
  if (ImGui::BeginCombo("##CBoxGuide", guideName(sel).c_str())) {
    for (int i = 0; i < rows; ++i)
      if (ImGui::Selectable(guideName(i).c_str(), i == sel)) s.voice.guideNo = i;
    ImGui::EndCombo();
  }
  ImGui::SameLine();
  if (ImGui::Button("テスト再生##BtGuide") && f.guideTest) f.guideTest();
  ImGui::EndDisabled();
  ImGui::TextUnformatted("※ アイコンの説明の音声はＳＥのチャンネルを使用します");
}

void otherPage(OptionForm& f) {
  Settings& s = f.values;
  heading("画像切り換えの速度");
  int fade = f.fadePosition();
  ImGui::TextUnformatted("最速");
  ImGui::SameLine();
  if (slider("遅い##TbFade", fade, 0, 11, "")) f.setFadePosition(fade);
  heading("追加表示");
  static const char* const times[] = {"なし##RbTime0", "既読率##RbTime1", "現在時刻##RbTime2"};
  radios(times, 3, s.display.time);
  ImGui::BeginDisabled(!f.dateEnabled());
  check("日付##CbDispDate", s.display.date);
  ImGui::EndDisabled();
  heading("表示位置");
  ImGui::BeginDisabled(!f.timePositionEnabled());
  static const char* const places[] = {"左上##RbTimeTop", "左下##RbTimeDown", "右上##RbTimeTop2", "右下##RbTimeDown2"};
  radios(places, 4, s.display.timeTop);
  ImGui::EndDisabled();
}

void systemPage(OptionForm& f) {
  Settings& s = f.values;
  heading("画面更新のしきい値");
  static const char* const fps[] = {"１５ＦＰＳ##RbFps15", "３０ＦＰＳ##RbFps30", "６０ＦＰＳ##RbFps60", "なし##RbFpsNo"};
  radios(fps, 4, s.display.drawWait);
  heading("全画面時のリフレッシュレート");
  ImGui::SetNextItemWidth(120);
  const char* shown = f.refreshEntry >= 0 ? f.refreshRates[static_cast<std::size_t>(f.refreshEntry)].c_str() : "";
  if (ImGui::BeginCombo("##CBoxRefresh", shown)) {
    for (int i = 0; i < static_cast<int>(f.refreshRates.size()); ++i)
      if (ImGui::Selectable(f.refreshRates[static_cast<std::size_t>(i)].c_str(), i == f.refreshEntry)) f.refreshEntry = i;
    ImGui::EndCombo();
  }
  check("ムービーを再生する##CbMovie", s.movie.play);
}

void pages(OptionForm& f) {
  Settings& s = f.values;
  if (!ImGui::BeginTabBar("##PageControl", ImGuiTabBarFlags_FittingPolicyScroll)) return;
  if (ImGui::BeginTabItem("メッセージ")) {
    messagePage(f);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("スキップ")) {
    heading("スキップ時の処理");
    check("未読位置だったらスキップ解除##CbSkipUnread2", s.skip2.unread);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("自動再生")) {
    heading("自動再生時の処理");
    ImGui::TextUnformatted("待ち時間  ０秒");
    ImGui::SameLine();
    slider("１０秒##TbSkipWait", s.skip.wait, 0, 10);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("選択肢")) {
    heading("次の選択肢へ移動中の処理");
    check("未読位置だったら解除##CbSkipSelect", s.skipSelect.unread);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("ウィンドウ")) {
    heading("ウィンドウの色");
    live(f, slider("透明度##TbAlpha", s.window.alpha, 0, 255));
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("サウンド")) {
    soundPage(f);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("サウンド２")) {
    sound2Page(f);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("セーブ・ロード")) {
    check("セーブ時に上書きの確認をする##CbOverWriteCheck", s.save.overWriteCheck);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("ＵＩ")) {
    check("右クリックでコンテキストメニューを開く##CbContext", s.key.context);
    check("左クリックした時に画面効果をキャンセル##CbEffCancel", s.effect.clickCancel);
    check("演出上のウエイトをキャンセル##CbWaitCancel", s.effect.waitCancel);
    check("非アクティブ時も動作を続ける##CbNoActive", s.system.noActive);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("バックログ")) {
    heading("キーリピート開始までの時間");
    ImGui::TextUnformatted("０秒");
    ImGui::SameLine();
    slider("２秒##TbKeyRep", s.key.repeat, 0, 8, "");
    heading("グラフィックの明るさ");
    ImGui::TextUnformatted("暗い");
    ImGui::SameLine();
    slider("明るい##TbBackLogLumi", s.log.lumi, 0, 255, "");
    check("グラフィックをログに合わせて変更する##CbLogCg", s.log.cg);
    check("ＢＧＭ・ＳＥをログに合わせて変更する##CbLogBgm", s.log.bgm);
    check("音声を自動で再生する##CbLogVoice", s.log.voice);
    check("ログ終了時の位置から再開する##CbLogExit", s.log.exit);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("その他")) {
    otherPage(f);
    ImGui::EndTabItem();
  }
  if (ImGui::BeginTabItem("システム")) {
    systemPage(f);
    ImGui::EndTabItem();
  }
  ImGui::EndTabBar();
}

bool drawOptionDialog(OptionForm& f, DialogFrame& frame) {
  placeDialog(kOptionWidth, kOptionHeight);
  bool open = true;
  if (ImGui::Begin("設定###TOptionForm", &open, kDialogFlags)) {
    noteWindow(frame);
    ImGui::BeginChild("##Pages", ImVec2(0, -ImGui::GetFrameHeightWithSpacing() - 4));
    pages(f);
    ImGui::EndChild();
    ImGui::SetCursorPosX(ImGui::GetWindowWidth() - 90);
    if (ImGui::Button("OK##BtOk", ImVec2(80, 0))) f.confirmed = f.done = true;
  }
  ImGui::End();
  // Esc is the cancel button's: the sliders go back to where they were.
  if (frame.escape && !f.done) f.cancelled = f.done = true;
  if (!open) f.done = true;  // the close box keeps what the sliders already did
  return !f.done;
}

}  // namespace

bool showOptionDialog(Platform& platform, OptionForm& form, const std::function<void()>& closed) {
  return platform.openDialog({"TOptionForm", [&form](DialogFrame& frame) { return drawOptionDialog(form, frame); },
                              closed});
}

bool showFlagDialog(Platform& platform, FlagView& view, const std::function<void()>& refresh,
                    const std::function<void()>& lookUp, const std::function<void()>& closed) {
  // The edits' buffers live as long as the window.
  struct Edits {
    char start[16];
    char macro[128];
    bool done = false;
  };
  auto edits = std::make_shared<Edits>();
  std::snprintf(edits->start, sizeof edits->start, "%s", view.startText.c_str());
  std::snprintf(edits->macro, sizeof edits->macro, "%s", sjisToUtf8(view.macro).c_str());
  auto draw = [&view, refresh, lookUp, edits](DialogFrame& frame) {
    char* start = edits->start;
    char* macro = edits->macro;
    placeDialog(338, 445);
    bool open = true;
    if (ImGui::Begin("フラグ###TFlagForm", &open, kDialogFlags)) {
      noteWindow(frame);
      ImGui::TextUnformatted("開始番号 F");
      ImGui::SameLine();
      ImGui::SetNextItemWidth(60);
      if (ImGui::InputText("##EdStart", start, sizeof edits->start)) {
        view.startText = start;
        refresh();
      }
      ImGui::SameLine();
      const bool prev = ImGui::Button("-100##BtPrev");
      ImGui::SameLine();
      const bool next = ImGui::Button("+100##BtNext");
      if (prev || next) {
        if (prev) view.previous();
        if (next) view.next();
        std::snprintf(start, sizeof edits->start, "%s", view.startText.c_str());
        refresh();
      }
      if (ImGui::BeginTable("##SgFlag", FlagView::kColumns, ImGuiTableFlags_Borders)) {
        for (const auto& row : view.flags) {
          ImGui::TableNextRow();
          for (const std::string& cell : row) {
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(cell.c_str());
          }
        }
        ImGui::EndTable();
      }
      // The letters in two lines of thirteen: the window is narrow.
      for (int half = 0; half < 2; ++half) {
        if (ImGui::BeginTable(half == 0 ? "##SgSystem1" : "##SgSystem2", 13, ImGuiTableFlags_Borders)) {
          for (const auto& row : view.system) {
            ImGui::TableNextRow();
            for (int l = half * 13; l < half * 13 + 13; ++l) {
              ImGui::TableNextColumn();
              ImGui::TextUnformatted(row[static_cast<std::size_t>(l)].c_str());
            }
          }
          ImGui::EndTable();
        }
      }
      ImGui::Spacing();
      ImGui::TextUnformatted("マクロ");
      ImGui::Separator();
      ImGui::SetNextItemWidth(200);
      if (ImGui::InputText("マクロ##EdMacro", macro, sizeof edits->macro)) {
        view.macro = utf8ToSjis(macro);
        lookUp();
      }
      const std::string definition = sjisToUtf8(view.definition);
      ImGui::Text("定義  %s", definition.c_str());
      ImGui::Text("値    %s", view.value.c_str());
      if (ImGui::Button("OK", ImVec2(80, 0))) edits->done = true;
      ImGui::SameLine();
      if (ImGui::Button("キャンセル", ImVec2(80, 0))) edits->done = true;
    }
    ImGui::End();
    if (!open || frame.escape) edits->done = true;
    return !edits->done;
  };
  return platform.openDialog({"TFlagForm", draw, closed});
}

bool showDriveDialog(Platform& platform, const std::vector<std::string>& roots, int& selected) {
  const char* title = "ドライブの設定###TDrvForm";
  bool done = false;
  return platform.runDialog([&] {
    if (!ImGui::IsPopupOpen(title)) ImGui::OpenPopup(title);
    centre(216, 127);
    if (ImGui::BeginPopupModal(title, nullptr, ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize)) {
      ImGui::TextUnformatted("ゲームディスクの場所を指定して下さい");
      ImGui::SetNextItemWidth(-1);
      const char* shown = selected >= 0 ? roots[static_cast<std::size_t>(selected)].c_str() : "";
      if (ImGui::BeginCombo("##CBox", shown)) {
        for (int i = 0; i < static_cast<int>(roots.size()); ++i)
          if (ImGui::Selectable(roots[static_cast<std::size_t>(i)].c_str(), i == selected)) selected = i;
        ImGui::EndCombo();
      }
      if (ImGui::Button("Ok", ImVec2(80, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter))) done = true;
      if (done) ImGui::CloseCurrentPopup();
      ImGui::EndPopup();
    }
    return !done;
  });
}

bool showTextWindow(Platform& platform, const std::string& captionSjis, const std::vector<std::string>& linesSjis) {
  auto text = std::make_shared<std::string>();
  for (const std::string& l : linesSjis) *text += sjisToUtf8(l) + "\n";
  const std::string title = sjisToUtf8(captionSjis) + "###THelpForm";
  auto draw = [text, title](DialogFrame& frame) {
    placeDialog(kHelpWidth, kHelpHeight);
    bool open = true, done = false;
    if (ImGui::Begin(title.c_str(), &open, kDialogFlags)) {
      noteWindow(frame);
      ImGui::InputTextMultiline("##Memo1", text->data(), text->size() + 1,
                                ImVec2(-1, -ImGui::GetFrameHeightWithSpacing() - 4), ImGuiInputTextFlags_ReadOnly);
      ImGui::SetCursorPosX(ImGui::GetWindowWidth() - 90);
      if (ImGui::Button("閉じる##BtClose", ImVec2(80, 0))) done = true;
    }
    ImGui::End();
    // "閉じる" is the default button: Enter closes as Esc does.
    return open && !done && !frame.escape && !frame.enter;
  };
  return platform.openDialog({"THelpForm", draw, {}});
}

}  // namespace ml

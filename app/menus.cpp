#include "app/menus.h"

#include <charconv>
#include <filesystem>

#include "app/application.h"
#include "app/debug_form.h"
#include "engine/runtime.h"
#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

constexpr std::size_t kCopyBufferBytes = 5120;

MenuItem separator(std::string name) {
  MenuItem m;
  m.name = std::move(name);
  m.separator = true;
  return m;
}

}  // namespace

Menus::Menus(Application& app) : app_(app) { build(); }

Runtime& Menus::rt() { return app_.runtime(); }

MenuItem Menus::makeItem(std::string name, std::string_view captionUtf8, void (Menus::*click)(),
                         std::string_view shortcut) {
  MenuItem m;
  m.name = std::move(name);
  m.caption = utf8ToSjis(captionUtf8);
  m.shortcut = std::string(shortcut);
  if (click != nullptr) m.onClick = [this, click] { (this->*click)(); };
  return m;
}

void Menus::build() {
  auto menu = [this](std::string name, std::string_view caption, std::vector<MenuItem> items) {
    MenuItem m = makeItem(std::move(name), caption);
    m.items = std::move(items);
    return m;
  };

  MenuItem open = makeItem("MnOpen", "開く(&O)...");
  open.visible = false;
  MenuItem qload = makeItem("MnQLoad", "クイックロード(&1)", &Menus::quickLoadClick, "Shift+F1");
  MenuItem qsave = makeItem("MnQSave", "クイックセーブ(&2)", &Menus::quickSaveClick, "Shift+F2");
  qload.enabled = qsave.enabled = false;
  MenuItem kaisouExit = makeItem("MnKaisouExit", "メニューに戻る(&R)");
  kaisouExit.onClick = [this] { rt().requests().menuReturnRequested = true; };
  kaisouExit.visible = false;
  MenuItem exitItem = makeItem("MnExit", "終了(&X)", nullptr, "Alt+F4");
  exitItem.onClick = [this] { app_.closeWindow(); };

  MenuItem next = makeItem("MnNext", "次の選択肢へ(&N)", &Menus::nextClick, "Shift+Down");
  MenuItem prev = makeItem("MnPrev", "最後に選択した選択肢へ(&P)", &Menus::prevClick, "Shift+Up");
  next.enabled = prev.enabled = false;

  MenuItem window = makeItem("MnWindow", "ウィンドウ(&W)");
  window.checked = true;
  window.onClick = [this] { screenItemClick("MnWindow"); };
  MenuItem full16 = makeItem("MnFull16", "全画面 640x480x16");
  full16.onClick = [this] { screenItemClick("MnFull16"); };
  MenuItem full32 = makeItem("MnFull32", "全画面 640x480x32");
  full32.onClick = [this] { screenItemClick("MnFull32"); };
  full32.visible = false;
  // How the frame fills a larger window or the full screen (kept in the settings file).
  MenuItem smooth = makeItem("MnSmoothScale", "なめらかに拡大(&S)");
  smooth.onClick = [this] {
    MenuItem& m = item("MnSmoothScale");
    m.checked = !m.checked;
    app_.platform().setSmoothScaling(m.checked);
  };

  MenuItem makeCg = makeItem("MnMakeCg", "仮データを自動作成する(&M)");
  makeCg.onClick = [this] {
    MenuItem& m = item("MnMakeCg");
    m.checked = !m.checked;
    rt().story.makePlaceholderPictures = m.checked;
  };
  MenuItem autoSave = makeItem("MnAutoSave", "最後の4つを自動的にセーブ(&S)");
  autoSave.onClick = [this] {
    MenuItem& m = item("MnAutoSave");
    m.checked = !m.checked;
    rt().story.autoSaveChecked = m.checked;
  };
  MenuItem debug = menu("MnDebug", "デバッグ(&D)",
                        {makeItem("MnNowLine", "実行中の行(&L)...", &Menus::nowLineClick),
                         makeItem("MnDebugCopy", "行をコピー(&C)", &Menus::debugCopyClick, "Alt+C"),
                         makeItem("MnFlag", "フラグ(&F)...", &Menus::flagClick),
                         makeItem("MnJump", "指定行番号までスキップ(&J)...", &Menus::jumpClick, "Alt+J"),
                         separator("N11"), makeCg, autoSave});
  debug.visible = false;

  main_.name = "MainMenu";
  main_.items = {
      menu("MnFile", "ファイル(&F)",
           {open, makeItem("MnTitle", "タイトル画面に戻る(&T)", &Menus::titleClick), separator("N1"),
            qload, qsave, separator("N2"), exitItem, kaisouExit}),
      menu("MnMove", "動作(&M)",
           {makeItem("MnSkip2", "スキップ(&S)", &Menus::skipClick),
            makeItem("MnSkip", "自動再生(&A)", &Menus::autoClick), separator("N9"), next, prev}),
      menu("MnView", "表示(&V)", {window, full16, full32, separator("NScale"), smooth}),
      menu("MnSetting", "設定(&O)",
           {makeItem("MnFontNormal", "標準のフォント(&N)", &Menus::fontNormalClick),
            makeItem("MnFont", "フォントの設定(&F)...", &Menus::fontClick), separator("N3"),
            makeItem("MnOption", "オプション(&O)...", &Menus::optionClick)}),
      menu("MnHelp", "ヘルプ(&H)",
           {makeItem("MnManual", "マニュアル(&H)...", &Menus::manualClick), separator("N4"),
            makeItem("MnKeyHelp", "キーボード説明(&K)...", &Menus::keyHelpClick),
            makeItem("MnHP", "Orvanta ホームページ(&P)...", &Menus::homePageClick),
            separator("N15"), makeItem("MnAbout", "バージョン情報(&A)...", &Menus::aboutClick)}),
      debug,
  };

  // The popup menu.
  MenuItem hide = makeItem("CmHide", "ウィンドウを隠す(&X)");
  hide.onClick = [this] { rt().story.script->windowHidePending = true; };
  MenuItem close = makeItem("CmClose", "バックログを終了(&X)");
  close.onClick = [this] { rt().story.switches.backlogCloseRequested = true; };
  MenuItem loadClose = makeItem("CmLoadClose", "セーブ・ロードを終了(&X)");
  loadClose.onClick = [this] { rt().story.switches.saveScreenCloseRequested = true; };
  MenuItem cqload = makeItem("CmQLoad", "クイックロード(&1)", &Menus::quickLoadClick);
  MenuItem cqsave = makeItem("CmQSave", "クイックセーブ(&2)", &Menus::quickSaveClick);
  MenuItem cnext = makeItem("CmNext", "次の選択肢へ(&N)", &Menus::nextClick);
  MenuItem cprev = makeItem("CmPrev", "最後に選択した選択肢へ(&P)", &Menus::prevClick);
  cqload.enabled = cqsave.enabled = cnext.enabled = cprev.enabled = false;
  MenuItem winDef = makeItem("MnWinDef", "ウィンドウを標準の位置へ(&D)");
  winDef.enabled = winDef.visible = false;  // the message window's standard position
  auto dragItem = [this](std::string name, std::string_view caption, int value) {
    MenuItem m = makeItem(std::move(name), caption);
    m.radio = true;
    m.onClick = [this, value] { rt().media.settings.window.drag = value; };
    return m;
  };
  MenuItem winDrag = menu("CmWinDrag", "ウィンドウの移動(&W)",
                          {dragItem("CmWinDragNone", "不可(&N)", 0),
                           dragItem("CmWinDragFree", "自由移動(&F)", 1),
                           dragItem("CmWinDragUpDown", "上下のみ(&U)", 2)});
  winDrag.enabled = winDrag.visible = false;
  MenuItem cexit = makeItem("CmExit", "ゲームの終了(&X)");
  cexit.onClick = [this] { app_.closeWindow(); };

  popup_.name = "PopupMenu1";
  popup_.items = {
      makeItem("MnNone", "キャンセル(&A)"), hide, close, loadClose, separator("N8"), cqload, cqsave,
      separator("N10"), cnext, cprev, separator("N12"), winDef, winDrag, separator("N13"),
      makeItem("CmNowLine", "実行中の行(&L)...", &Menus::nowLineClick),
      makeItem("CmDebugCopy", "行をコピー(&C)", &Menus::debugCopyClick),
      makeItem("CmFlag", "フラグ(&F)...", &Menus::flagClick), separator("N16"),
      makeItem("CmOption", "オプション(&O)...", &Menus::optionClick),
      makeItem("CmDisp", "ウィンドウ⇔全画面(&S)", &Menus::toggleScreenClick), separator("N17"),
      makeItem("CmTitle", "タイトル画面に戻る(&T)", &Menus::titleClick), cexit};
}

MenuItem& Menus::item(std::string_view name) {
  if (MenuItem* m = main_.find(name)) return *m;
  if (MenuItem* m = popup_.find(name)) return *m;
  dummy_ = MenuItem{};
  return dummy_;
}

void Menus::autoModeChanged(bool on) {
  item("MnSkip").caption = on ? SJ("自動再生中(&A)") : SJ("自動再生(&A)");
}

void Menus::skipModeChanged(bool on) {
  item("MnSkip2").caption = on ? SJ("スキップ中(&S)") : SJ("スキップ(&S)");
}

bool Menus::saveFileReadable(std::string_view name) {
  FileHandle f;
  return app_.runtime().media.saveFolder.open(name, f);
}

void Menus::setQuickCaption(std::string_view mainName, std::string_view popupName,
                            std::string_view captionUtf8, std::string_view file) {
  FileHandle f;
  bool exists = app_.runtime().media.saveFolder.open(file, f);
  MenuItem& m = item(mainName);
  MenuItem& c = item(popupName);
  if (exists) {
    std::string when;
    if (!f.modifiedText(when)) when = "Error";
    std::string caption = utf8ToSjis(captionUtf8) + " " + when;
    m.caption = c.caption = caption;
  }
  m.enabled = c.enabled = exists;
}

void Menus::refreshSaveMenus(bool enable) {
  // A recollection scene runs its own interpreter; the quick items then follow `enable`.
  bool mainGame = rt().story.script->mainGame && !item("MnKaisouExit").visible;
  if (enable && mainGame) {
    item("MnNext").enabled = item("CmNext").enabled = true;
    setQuickCaption("MnPrev", "CmPrev", "最後に選択した選択肢へ(&P)", "Save900.dat");
    setQuickCaption("MnQLoad", "CmQLoad", "クイックロード(&1)", "Save800.dat");
    item("MnQSave").enabled = item("CmQSave").enabled = true;
  } else {
    setQuickItems(enable);
  }
}

void Menus::setQuickItems(bool enabled) {
  for (const char* name :
       {"MnNext", "MnPrev", "MnQLoad", "MnQSave", "CmNext", "CmPrev", "CmQLoad", "CmQSave"})
    item(name).enabled = enabled;
}

void Menus::setDebugCaption(std::string_view sjis) { app_.platform().setCaption(sjis); }

void Menus::refreshFlagDialog() { app_.dialogs().refreshFlag(); }

void Menus::preparePopup() {
  Runtime& r = rt();
  bool debug = r.story.debugMode;
  item("CmNowLine").visible = item("CmDebugCopy").visible = item("CmFlag").visible = debug;
  auto quick = [this](bool visible) {
    for (const char* name : {"CmQLoad", "CmQSave", "CmNext", "CmPrev"}) item(name).visible = visible;
  };
  MenuItem& hide = item("CmHide");
  MenuItem& close = item("CmClose");
  MenuItem& loadClose = item("CmLoadClose");
  if (r.story.switches.backlogOpen) {
    hide.visible = false;
    close.visible = true;
    loadClose.visible = false;
    quick(false);
  } else if (r.story.switches.saveScreenOpen) {
    hide.visible = false;
    close.visible = false;
    loadClose.visible = true;
    quick(false);
  } else if (r.story.switches.messageWindowActive) {
    hide.visible = true;
    hide.caption = SJ("ウィンドウを隠す(&X)");
    close.visible = loadClose.visible = false;
    quick(true);
    int drag = r.media.settings.window.drag;
    item("CmWinDragNone").checked = drag == 0;
    item("CmWinDragFree").checked = drag == 1;
    item("CmWinDragUpDown").checked = drag == 2;
  } else {
    hide.visible = true;
    hide.caption = SJ("ウィンドウを表示する(&X)");
    close.visible = loadClose.visible = false;
    quick(false);
  }
}

void Menus::prepareScreenItems() {
  MenuItem& full16 = item("MnFull16");
  full16.caption = SJ("全画面(&0)");
  full16.visible = false;
  item("MnFull32").visible = false;
}

void Menus::setScreenChecks(bool windowed) {
  item("MnWindow").checked = windowed;
  item("MnFull16").checked = !windowed;
}

void Menus::titleClick() { app_.requestTitle(); }

void Menus::setTitleItemEnabled(bool enabled) { item("MnTitle").enabled = enabled; }

void Menus::closeMainWindow() { app_.closeWindow(); }
void Menus::settingsChanged() { app_.saveSettings(); }

void Menus::setScreenMode(bool windowed) {
  if (app_.screen().windowedFlag() == windowed) return;
  app_.screen().setWindowedFlag(windowed);
  app_.applyScreenMode(windowed, true);
}

void Menus::closeWindow() { app_.closeWindow(); }

void Menus::showRecollectionExit(bool visible) { item("MnKaisouExit").visible = visible; }

void Menus::quickLoadClick() {
  if (saveFileReadable("Save800.dat")) rt().story.script->quickLoadPending = true;
}

void Menus::quickSaveClick() { rt().story.script->quickSavePending = true; }

void Menus::nextClick() { rt().story.script->fastForward = true; }

void Menus::prevClick() {
  if (saveFileReadable("Save900.dat")) rt().story.script->prevChoicePending = true;
}

void Menus::skipClick() {
  if (rt().story.switches.autoMode) app_.setAutoMode(false);
  app_.setSkipMode(!rt().story.switches.skipMode);
}

void Menus::autoClick() {
  if (rt().story.switches.skipMode) app_.setSkipMode(false);
  app_.setAutoMode(!rt().story.switches.autoMode);
}

void Menus::screenItemClick(std::string_view sender) {
  // MnWindow, MnFull16 and MnFull32 share this handler: the sender decides the mode.
  if (item(sender).checked) return;
  bool windowed = sender == "MnWindow";
  app_.screen().setWindowedFlag(windowed);
  app_.applyScreenMode(windowed, true);
}

void Menus::toggleScreenClick() {
  bool windowed = !item("MnWindow").checked;
  app_.screen().setWindowedFlag(windowed);
  app_.applyScreenMode(windowed, true);
}

int Menus::styleFromChoice(const FontChoice& c, int oldStyle) {
  if (c.underline || c.strikeout) return oldStyle;
  return (c.bold ? 1 : 0) | (c.italic ? 2 : 0);
}

void Menus::fontNormalClick() {
  Runtime& r = rt();
  r.scene.fontName = r.media.settings.font.name = SJ("ＭＳ ゴシック");
  r.scene.fontStyle = r.media.settings.font.style = 0;
  FontChoice c;
  c.face = r.scene.fontName;
  app_.setFontDialogChoice(c);
  app_.rebuildFonts();
  r.requests().fontChanged = true;
}

void Menus::fontClick() {
  Runtime& r = rt();
  FontChoice c = app_.fontDialogChoice();
  if (!app_.platform().chooseFont(c)) return;
  if (c.face.empty()) return;  // the dialog only accepts an existing face
  r.scene.fontStyle = r.media.settings.font.style = styleFromChoice(c, r.scene.fontStyle);
  r.scene.fontName = r.media.settings.font.name = c.face;
  app_.setFontDialogChoice(c);
  app_.rebuildFonts();
  r.requests().fontChanged = true;
}

void Menus::manualClick() {
  // A missing manual fails like the shell would, instead of handing a dead link on.
  std::error_code ec;
  // The manual comes with the game, wherever the player's files go.
  const GameContent& content = rt().media.content;
  std::string path = content.manual.empty() ? std::string() : rt().media.folder.resolve(content.manual);
  bool ok = !path.empty() && std::filesystem::is_regular_file(path, ec);
  if (ok) {
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    ok = !ec && app_.platform().openUrl("file://" + abs.lexically_normal().string());
  }
  if (!ok)
    app_.platform().messageBox(content.version, SJ("起動エラー"), BoxButtons::Ok, BoxIcon::None, false);
}

void Menus::homePageClick() {
  const GameContent& content = rt().media.content;
  if (content.homePage.empty() || !app_.platform().openUrl(content.homePage))
    app_.platform().messageBox(content.version, SJ("起動エラー"), BoxButtons::Ok, BoxIcon::None, false);
}

void Menus::aboutClick() {
  const GameContent& content = rt().media.content;
  std::string text = SJ("バージョン情報") + "\n" + content.version;
  for (int i = 0; i < GameContent::kNotices; ++i)
    text += "\n" + (i < static_cast<int>(content.notices.size()) ? content.notices[static_cast<std::size_t>(i)] : "");
  text += "\n\n" + SJ("セーブデータの保存先: ") + utf8ToSjis(realPathOf(app_.saveFolder().path));
  app_.platform().messageBox(content.version, text, BoxButtons::Ok, BoxIcon::Information, false);
}

void Menus::nowLineClick() {
  DebugFormData form = currentLineForm(rt());
  if (form.unreadButton) form.findUnread = [this] { return app_.dialogs().findUnread(); };
  app_.platform().showDebugForm(form);
}

std::vector<std::string> Menus::completeLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) break;
    std::string_view line = text.substr(start, lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = lf + 1;
  }
  return lines;
}

std::string Menus::copyLineText(std::string_view scriptName, int lineNumber,
                                std::string_view pageText) {
  std::string out(scriptName);
  out += " (" + std::to_string(lineNumber) + ")\r\n";
  if (out.size() > kCopyBufferBytes - 1) out.resize(kCopyBufferBytes - 1);
  for (const std::string& line : completeLines(pageText)) {
    // A line that would run past the buffer is left out whole rather than cut.
    if (out.size() + line.size() + 2 > kCopyBufferBytes - 1) break;
    out += line;
    out += "\r\n";
  }
  return out;
}

void Menus::debugCopyClick() {
  Runtime& r = rt();
  if (!r.story.debugMode) return;
  ScriptContext& s = *r.story.script;
  std::string text = copyLineText(s.currentScriptName(), s.currentLineNumber(), s.currentPageText());
  app_.platform().setClipboardText(text);
}

void Menus::flagClick() { app_.dialogs().showFlag(); }

void Menus::jumpClick() {
  Runtime& r = rt();
  if (!r.story.debugMode) return;
  std::string text;  // the dialog starts empty every time
  if (!app_.dialogs().showJump(text)) return;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  int line = 0;
  auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), line);
  if (ec != std::errc() || ptr == text.data() + i) return;
  if (line > 0) {
    r.story.switches.debugTargetLine = line;
    r.story.script->fastForward = true;
  }
}

void Menus::optionClick() { app_.dialogs().showOption(); }

void Menus::keyHelpClick() { app_.dialogs().showKeyHelp(); }

}  // namespace ml

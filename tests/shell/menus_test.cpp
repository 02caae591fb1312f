// Menu captions, enabling and visibility rules, and the item effects.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "shell_fixture.h"
#include "app/dialog_host.h"

namespace ml::test {
namespace {

std::string caption(Application& a, const char* name) { return sjisToUtf8(a.menus().item(name).caption); }

void setFileTime(const std::string& path, int y, int mo, int d, int h, int mi) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_isdst = -1;
  utimbuf times{std::mktime(&t), std::mktime(&t)};
  ASSERT_EQ(utime(path.c_str(), &times), 0);
}

TEST(Menus, InitialCaptionsAndStates) {
  HeadlessGame g;
  Application& a = g.make();
  EXPECT_EQ(caption(a, "MnFile"), "ファイル(&F)");
  EXPECT_EQ(caption(a, "MnFull16"), "全画面 640x480x16");
  EXPECT_EQ(caption(a, "MnHP"), "Orvanta ホームページ(&P)...");
  EXPECT_EQ(caption(a, "CmDisp"), "ウィンドウ⇔全画面(&S)");
  EXPECT_EQ(caption(a, "CmExit"), "ゲームの終了(&X)");
  EXPECT_EQ(a.menus().item("MnQLoad").shortcut, "Shift+F1");
  EXPECT_EQ(a.menus().item("MnJump").shortcut, "Alt+J");
  for (const char* n : {"MnQLoad", "MnQSave", "MnNext", "MnPrev", "CmQLoad", "CmQSave", "CmNext", "CmPrev"})
    EXPECT_FALSE(a.menus().item(n).enabled) << n;
  EXPECT_FALSE(a.menus().item("MnOpen").visible);
  EXPECT_FALSE(a.menus().item("MnKaisouExit").visible);
  EXPECT_FALSE(a.menus().item("MnWinDef").visible);
  EXPECT_FALSE(a.menus().item("CmWinDrag").enabled);
  // The top level in display order.
  std::vector<std::string> top;
  for (const MenuItem& m : a.menus().mainMenu().items) top.push_back(m.name);
  EXPECT_EQ(top, (std::vector<std::string>{"MnFile", "MnMove", "MnView", "MnSetting", "MnHelp", "MnDebug"}));
  EXPECT_EQ(menuDisplayText(a.menus().item("MnFile").caption), utf8ToSjis("ファイル(F)"));
  EXPECT_EQ(menuDisplayText("R&&D &Tools"), "R&D Tools");
}

TEST(Menus, SkipAndAutoCaptionsFollowTheSwitches) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  a.menus().item("MnSkip").onClick();  // auto on
  EXPECT_TRUE(rt.story.switches.autoMode);
  EXPECT_EQ(caption(a, "MnSkip"), "自動再生中(&A)");
  a.menus().item("MnSkip2").onClick();  // auto off, skip on
  EXPECT_FALSE(rt.story.switches.autoMode);
  EXPECT_TRUE(rt.story.switches.skipMode);
  EXPECT_EQ(caption(a, "MnSkip"), "自動再生(&A)");
  EXPECT_EQ(caption(a, "MnSkip2"), "スキップ中(&S)");
  a.menus().item("MnSkip2").onClick();
  EXPECT_FALSE(rt.story.switches.skipMode);
  EXPECT_EQ(caption(a, "MnSkip2"), "スキップ(&S)");
}

TEST(Menus, RefreshSaveMenusShowsFileTimes) {
  HeadlessGame g;
  Application& a = g.start();
  Menus& m = a.menus();
  m.refreshSaveMenus(true);
  EXPECT_TRUE(m.item("MnNext").enabled && m.item("CmNext").enabled);
  EXPECT_TRUE(m.item("MnQSave").enabled && m.item("CmQSave").enabled);
  EXPECT_FALSE(m.item("MnQLoad").enabled || m.item("CmQLoad").enabled);
  EXPECT_FALSE(m.item("MnPrev").enabled || m.item("CmPrev").enabled);
  EXPECT_EQ(caption(a, "MnQLoad"), "クイックロード(&1)");

  g.dir.write("Save800.dat", "q");
  setFileTime(g.dir.file("Save800.dat"), 2006, 5, 1, 12, 34);
  g.dir.write("Save900.dat", "p");
  setFileTime(g.dir.file("Save900.dat"), 2007, 12, 31, 23, 59);
  m.refreshSaveMenus(true);
  EXPECT_EQ(caption(a, "MnQLoad"), "クイックロード(&1) 2006/05/01 12:34");
  EXPECT_EQ(caption(a, "CmQLoad"), "クイックロード(&1) 2006/05/01 12:34");
  EXPECT_EQ(caption(a, "MnPrev"), "最後に選択した選択肢へ(&P) 2007/12/31 23:59");
  EXPECT_TRUE(m.item("MnQLoad").enabled && m.item("CmPrev").enabled);

  // Without the file the items are disabled and keep their last caption.
  std::filesystem::remove(g.dir.file("Save800.dat"));
  m.refreshSaveMenus(true);
  EXPECT_FALSE(m.item("MnQLoad").enabled);
  EXPECT_EQ(caption(a, "MnQLoad"), "クイックロード(&1) 2006/05/01 12:34");

  m.refreshSaveMenus(false);
  for (const char* n : {"MnQLoad", "MnQSave", "MnNext", "MnPrev", "CmQLoad", "CmQSave", "CmNext", "CmPrev"})
    EXPECT_FALSE(m.item(n).enabled) << n;
  // Inside a recollection every quick item simply follows the argument.
  m.item("MnKaisouExit").visible = true;
  m.refreshSaveMenus(true);
  for (const char* n : {"MnQLoad", "MnPrev", "CmQLoad", "CmPrev"}) EXPECT_TRUE(m.item(n).enabled) << n;
}

TEST(Menus, PopupVisibilityRules) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  Menus& m = a.menus();
  auto visible = [&](const char* n) { return m.item(n).visible; };

  rt.story.switches.messageWindowActive = true;
  rt.media.settings.window.drag = 2;
  m.preparePopup();
  EXPECT_TRUE(visible("CmHide"));
  EXPECT_EQ(caption(a, "CmHide"), "ウィンドウを隠す(&X)");
  EXPECT_FALSE(visible("CmClose") || visible("CmLoadClose"));
  EXPECT_TRUE(visible("CmQLoad") && visible("CmQSave") && visible("CmNext") && visible("CmPrev"));
  EXPECT_TRUE(m.item("CmWinDragUpDown").checked);
  EXPECT_FALSE(m.item("CmWinDragFree").checked);
  EXPECT_FALSE(visible("CmNowLine") || visible("CmDebugCopy") || visible("CmFlag"));

  rt.story.switches.messageWindowActive = false;
  m.preparePopup();
  EXPECT_EQ(caption(a, "CmHide"), "ウィンドウを表示する(&X)");
  EXPECT_FALSE(visible("CmQLoad") || visible("CmClose"));

  rt.story.switches.saveScreenOpen = true;
  m.preparePopup();
  EXPECT_FALSE(visible("CmHide") || visible("CmClose") || visible("CmQSave"));
  EXPECT_TRUE(visible("CmLoadClose"));

  rt.story.switches.backlogOpen = true;  // the backlog wins over the save screen
  m.preparePopup();
  EXPECT_TRUE(visible("CmClose"));
  EXPECT_FALSE(visible("CmLoadClose") || visible("CmHide"));

  rt.story.debugMode = true;
  m.preparePopup();
  EXPECT_TRUE(visible("CmNowLine") && visible("CmDebugCopy") && visible("CmFlag"));
}

TEST(Menus, PopupItemsRaiseTheirRequests) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  rt.story.script->waitingForClick = true;
  rt.story.switches.messageWindowActive = true;
  a.menus().refreshSaveMenus(true);
  a.input().mouseButton(MouseButton::Right, false);
  ASSERT_TRUE(g.platform.clickMenuItem("CmHide"));
  EXPECT_TRUE(rt.story.script->windowHidePending);
  EXPECT_FALSE(g.platform.clickMenuItem("CmNext"));  // the popup closed with the click
  // The drag submenu is hidden and disabled: its items cannot be reached.
  a.input().mouseButton(MouseButton::Right, false);
  EXPECT_FALSE(g.platform.clickMenuItem("CmWinDragNone"));
  a.input().mouseButton(MouseButton::Right, false);
  ASSERT_TRUE(g.platform.clickMenuItem("CmTitle"));
  EXPECT_TRUE(g.reported("タイトル画面に戻りますか？ -> No"));
  a.input().mouseButton(MouseButton::Right, false);
  ASSERT_TRUE(g.platform.clickMenuItem("CmDisp"));
  EXPECT_FALSE(g.platform.windowed());
  EXPECT_TRUE(a.menus().item("MnFull16").checked);
  a.input().mouseButton(MouseButton::Right, false);
  ASSERT_TRUE(g.platform.clickMenuItem("CmNext"));
  EXPECT_TRUE(rt.story.script->fastForward);
}

TEST(Menus, ScreenItemsShareOneHandler) {
  HeadlessGame g;
  Application& a = g.start();
  a.menus().item("MnWindow").onClick();  // already checked: nothing
  EXPECT_TRUE(g.platform.windowed());
  a.menus().item("MnFull16").onClick();
  EXPECT_FALSE(g.platform.windowed());
  EXPECT_TRUE(a.menus().item("MnFull16").checked);
  a.menus().item("MnFull16").onClick();  // checked now: nothing
  EXPECT_FALSE(g.platform.windowed());
  a.menus().item("MnWindow").onClick();
  EXPECT_TRUE(g.platform.windowed());
  // In full screen the menu bar cannot be reached, the shortcuts can.
  a.menus().item("MnFull16").onClick();
  EXPECT_FALSE(g.platform.clickMenuItem("MnTitle"));
}

TEST(Menus, FontItems) {
  HeadlessGame g;
  Application& a = g.start();
  Runtime& rt = a.runtime();
  int rebuilt = a.fontsRebuilt();
  a.menus().item("MnFont").onClick();  // dialog cancelled: nothing changes
  EXPECT_EQ(a.fontsRebuilt(), rebuilt);
  EXPECT_FALSE(rt.requests().fontChanged);

  FontChoice c;
  c.face = utf8ToSjis("IPAゴシック");
  c.bold = true;
  g.platform.queueFontChoice(c);
  a.menus().item("MnFont").onClick();
  EXPECT_EQ(sjisToUtf8(rt.scene.fontName), "IPAゴシック");
  EXPECT_EQ(rt.scene.fontStyle, 1);
  EXPECT_EQ(rt.media.settings.font.style, 1);
  EXPECT_TRUE(rt.requests().fontChanged);
  EXPECT_EQ(a.fontsRebuilt(), rebuilt + 1);
  ASSERT_TRUE(rt.scene.messageFonts.normal && rt.scene.messageFonts.large && rt.scene.messageFonts.small);
  EXPECT_EQ(rt.scene.messageFonts.normal->faceName(), rt.scene.fontName);
  EXPECT_EQ(rt.scene.messageFonts.normal->style(), 1);
  EXPECT_EQ(rt.scene.messageFonts.small->height(), 12);

  // Bold and underlined: the face changes, the style does not.
  c.face = utf8ToSjis("IPAPゴシック");
  c.italic = true;
  c.underline = true;
  g.platform.queueFontChoice(c);
  a.menus().item("MnFont").onClick();
  EXPECT_EQ(sjisToUtf8(rt.media.settings.font.name), "IPAPゴシック");
  EXPECT_EQ(rt.scene.fontStyle, 1);

  rt.requests().fontChanged = false;
  a.menus().item("MnFontNormal").onClick();
  EXPECT_EQ(sjisToUtf8(rt.scene.fontName), "ＭＳ ゴシック");
  EXPECT_EQ(rt.scene.fontStyle, 0);
  EXPECT_TRUE(rt.requests().fontChanged);
  EXPECT_FALSE(a.fontDialogChoice().bold);

  EXPECT_EQ(Menus::styleFromChoice(FontChoice{"x", true, true, false, false}, 0), 3);
  EXPECT_EQ(Menus::styleFromChoice(FontChoice{"x", false, true, false, false}, 1), 2);
  EXPECT_EQ(Menus::styleFromChoice(FontChoice{"x", false, false, false, true}, 2), 2);
}

TEST(Menus, HelpItems) {
  HeadlessGame g;
  Application& a = g.start();
  a.menus().item("MnManual").onClick();  // no manual beside the game
  EXPECT_TRUE(g.reported("MessageBox: [ver 2.40] 起動エラー -> OK"));
  g.dir.write("manual.html", "<html></html>");
  a.menus().item("MnManual").onClick();
  EXPECT_TRUE(g.reported("OpenUrl: file://" + g.dir.path() + "/manual.html"));
  a.menus().item("MnHP").onClick();
  EXPECT_TRUE(g.reported("OpenUrl: " + std::string("https://orvanta.example.jp/")));
  g.platform.setOpenUrlResult(false);
  a.menus().item("MnHP").onClick();
  EXPECT_TRUE(g.reported("OpenUrl: " + std::string("https://orvanta.example.jp/") + " -> failed"));
  EXPECT_EQ(g.platform.reports().back(), "MessageBox: [ver 2.40] 起動エラー -> OK");
  a.menus().item("MnAbout").onClick();
  EXPECT_TRUE(g.reported("MessageBox: [ver 2.40] バージョン情報 ver 2.40 "));
}

TEST(Menus, DebugItems) {
  HeadlessGame g(true, "N; first\r\n");
  Application& a = g.start();
  Runtime& rt = a.runtime();
  a.menus().item("MnMakeCg").onClick();
  EXPECT_TRUE(rt.story.makePlaceholderPictures);
  EXPECT_TRUE(a.menus().item("MnMakeCg").checked);
  a.menus().item("MnMakeCg").onClick();
  EXPECT_FALSE(rt.story.makePlaceholderPictures);
  a.menus().item("MnAutoSave").onClick();
  EXPECT_TRUE(rt.story.autoSaveChecked);

  std::strcpy(rt.story.state.pictureNames[0], "bg01");
  std::strcpy(rt.story.state.bgmName, "m01");
  a.menus().item("MnNowLine").onClick();
  ASSERT_TRUE(g.platform.lastDebugForm().has_value());
  const DebugFormData& f = *g.platform.lastDebugForm();
  EXPECT_EQ(f.background, "bg01");
  EXPECT_EQ(f.bgm, "m01");
  EXPECT_TRUE(f.unreadButton);
  EXPECT_NE(f.lineText.find(" (1)"), std::string::npos);
}

// `unread` presses the dialog's search button; the memo it then shows is printed.
TEST(Menus, CurrentLineDialogSearchesForUnreadLines) {
  HeadlessGame g(true, "N\r\nbg x\r\nvo v1\r\n" + utf8ToSjis("本文です\r\n"));
  Application& a = g.start();
  DialogHost host(g.platform);
  a.setDialogHost(&host);
  host.setApplication(&a);
  InputScript script;
  std::string error;
  ASSERT_TRUE(script.parse("unread\n", error)) << error;
  g.platform.setInputScript(script);
  g.platform.processMessages();
  a.menus().item("MnNowLine").onClick();
  EXPECT_TRUE(g.reported("Dialog: [デバッグ] 未読位置確認 | ここが未読です | scr\\open.scr 0x9 (9) バイト | 本文です"));
  ASSERT_TRUE(g.platform.lastDebugForm().has_value());
  EXPECT_EQ(g.platform.lastDebugForm()->memo.size(), 3u);
  // Without `unread` the dialog only shows itself.
  const std::size_t before = g.platform.reports().size();
  a.menus().item("MnNowLine").onClick();
  EXPECT_EQ(g.platform.reports().size(), before + 1);
}

TEST(CopyLine, CompleteLinesWithinTheBuffer) {
  EXPECT_EQ(Menus::copyLineText("open", 12, "a\r\nbb\ncc"), "open (12)\r\na\r\nbb\r\n");
  EXPECT_EQ(Menus::copyLineText("open", 1, ""), "open (1)\r\n");
  std::string longLine(3000, 'x');
  std::string text = longLine + "\n" + longLine + "\n";
  std::string out = Menus::copyLineText("s", 1, text);
  EXPECT_LE(out.size(), 5119u);
  EXPECT_EQ(out, "s (1)\r\n" + longLine + "\r\n");
  EXPECT_EQ(Menus::completeLines("one\r\ntwo\nrest"), (std::vector<std::string>{"one", "two"}));
}

TEST(ScriptErrorForm, LineFieldAndMemo) {
  DebugFormData f = scriptErrorForm(utf8ToSjis("未定義のコマンド"), "foo", "open", 7, "foo bar");
  EXPECT_EQ(f.lineText, "open (7)");
  ASSERT_EQ(f.memo.size(), 3u);
  EXPECT_EQ(sjisToUtf8(f.memo[0]), "スクリプトエラー");
  EXPECT_EQ(sjisToUtf8(f.memo[1]), "未定義のコマンド foo");
  EXPECT_EQ(f.memo[2], "foo bar");
}

}  // namespace
}  // namespace ml::test

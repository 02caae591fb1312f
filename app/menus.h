// The main menu and the popup menu: every item with its caption, shortcut, enabling and
// visibility, the captions that follow the skip and auto switches and the save files,
// and the effects behind the items. Menu effects never act on the interpreter
// directly: they set the requests that the waits and the frame loop consume.
#pragma once

#include <string>
#include <string_view>

#include "engine/shell_hooks.h"
#include "platform/ui_model.h"

namespace ml {

class Application;
class Runtime;

class Menus : public ShellHooks {
 public:
  explicit Menus(Application& app);
  Menus(const Menus&) = delete;
  Menus& operator=(const Menus&) = delete;

  MenuItem& mainMenu() { return main_; }
  MenuItem& popupMenu() { return popup_; }
  // The item of that component name in either menu; a missing name is a programming
  // error and yields a detached dummy item.
  MenuItem& item(std::string_view name);

  // ShellHooks: what the engine asks of the menus.
  void autoModeChanged(bool on) override;
  void skipModeChanged(bool on) override;
  void refreshSaveMenus(bool enable) override;
  void setQuickItems(bool enabled) override;
  void setDebugCaption(std::string_view sjis) override;
  void refreshFlagDialog() override;
  void setTitleItemEnabled(bool enabled) override;
  void closeMainWindow() override;
  void settingsChanged() override;
  void setScreenMode(bool windowed) override;
  void chooseFont() override { fontClick(); }
  void requestTitle() override { titleClick(); }
  void closeWindow() override;
  void showRecollectionExit(bool visible) override;

  // Visibility rules applied each time the popup opens.
  void preparePopup();
  // Start-up: renames the full-screen item and hides both full-screen items.
  void prepareScreenItems();
  // The check marks of the View menu.
  void setScreenChecks(bool windowed);

  // Item effects that keys and dialogs reach as well.
  void titleClick();
  void quickLoadClick();
  void quickSaveClick();
  void nextClick();
  void prevClick();
  void skipClick();      // MnSkip2
  void autoClick();      // MnSkip
  void screenItemClick(std::string_view sender);  // MnWindow, MnFull16, MnFull32
  void toggleScreenClick();                       // CmDisp
  void fontNormalClick();
  void fontClick();
  void manualClick();
  void homePageClick();
  void aboutClick();
  void nowLineClick();
  void debugCopyClick();
  void flagClick();
  void jumpClick();
  void optionClick();
  void keyHelpClick();

  // The copy-line text: "%s (%d)\r\n" and each complete line of the page text with
  // "\r\n", never more than 5119 bytes (the buffer holds 5120 with its terminator).
  static std::string copyLineText(std::string_view scriptName, int lineNumber,
                                  std::string_view pageText);
  // The complete lines of a text (a part after the last line feed is left out).
  static std::vector<std::string> completeLines(std::string_view text);
  // The message-font style a confirmed font dialog yields; other style sets (with
  // underline or strike-out) keep the old style.
  static int styleFromChoice(const FontChoice& choice, int oldStyle);

 private:
  void build();
  MenuItem makeItem(std::string name, std::string_view captionUtf8, void (Menus::*click)() = nullptr,
                    std::string_view shortcut = {});
  Runtime& rt();
  bool saveFileReadable(std::string_view name);
  void setQuickCaption(std::string_view mainName, std::string_view popupName,
                       std::string_view captionUtf8, std::string_view file);

  Application& app_;
  MenuItem main_;
  MenuItem popup_;
  MenuItem dummy_;
};

}  // namespace ml

// The application's dialogs, shown by the platform over the game (or answered from the
// input script in a headless run). The option dialog, the flag viewer and the keyboard
// help leave the game running and apply their result when they close; the others are
// modal. Without a window the former are not shown at all.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/flag_view.h"
#include "engine/services.h"

namespace ml {

class Platform;
class Application;
class OptionForm;

// The comment edit's rule, applied to every change of its text: two-byte characters
// are kept, a backslash is dropped, other single bytes are kept, and the text is cut
// to 56 bytes without splitting a character (Shift-JIS).
std::string filterCommentText(std::string_view sjis);

// The keyboard help's lines (Shift-JIS).
const std::vector<std::string>& keyHelpLines();
// The jump edit's rule: digits only, at most nine of them.
std::string filterJumpText(std::string_view sjis);

class DialogHost final : public DialogService {
 public:
  using DrawnNameDialog = bool (*)(Platform& platform, std::string& givenSjis);
  // Opens the option dialog over the running game; `closed` runs once it closed
  // (form.done), confirmed or not. Opening it while open brings it forward. False:
  // it cannot be shown.
  using DrawnOptionDialog = bool (*)(Platform& platform, OptionForm& form, const std::function<void()>& closed);
  // Opens the flag viewer; refresh fills the grids anew, lookUp the macro's fields.
  using DrawnFlagDialog = bool (*)(Platform& platform, FlagView& view, const std::function<void()>& refresh,
                                   const std::function<void()>& lookUp, const std::function<void()>& closed);
  // The drive dialog: the list of disc roots with `selected` changed by the player.
  using DrawnDriveDialog = bool (*)(Platform& platform, const std::vector<std::string>& roots, int& selected);
  // Opens a read-only text window with a "閉じる" button.
  using DrawnTextWindow = bool (*)(Platform& platform, const std::string& captionSjis,
                                   const std::vector<std::string>& linesSjis);

  explicit DialogHost(Platform& platform);
  ~DialogHost() override;
  // The windowed program's drawn name dialog (app/name_dialog); a platform without a
  // window answers the name dialog itself.
  void setDrawnNameDialog(DrawnNameDialog dialog) { drawnName_ = dialog; }
  void setDrawnOptionDialog(DrawnOptionDialog dialog) { drawnOption_ = dialog; }
  void setDrawnTextWindow(DrawnTextWindow window) { drawnText_ = window; }
  void setDrawnFlagDialog(DrawnFlagDialog dialog) { drawnFlag_ = dialog; }
  void setDrawnDriveDialog(DrawnDriveDialog dialog) { drawnDrive_ = dialog; }
  // The game the option dialog edits the settings of; none: it cannot be shown.
  void setApplication(Application* app) { app_ = app; }

  void showOption() override;
  void showFlag() override;
  void refreshFlag() override;
  void showKeyHelp() override;
  bool showJump(std::string& text) override;
  std::vector<std::string> findUnread() override;
  std::optional<std::string> chooseDrive() override;
  // "コメントの入力": the proposed comment in the edit; on OK the typed one.
  bool showComment(std::string& text) override;
  // "名前の変更": the names in the edits; on OK the typed ones.
  bool showName(std::string& family, std::string& given) override;

 private:
  // The option dialog closed: its result is applied (or the name dialog runs over it
  // and it shows again).
  void optionClosed();
  bool openOption();

  Platform& platform_;
  DrawnNameDialog drawnName_ = nullptr;
  DrawnOptionDialog drawnOption_ = nullptr;
  DrawnTextWindow drawnText_ = nullptr;
  DrawnFlagDialog drawnFlag_ = nullptr;
  DrawnDriveDialog drawnDrive_ = nullptr;
  // The flag viewer keeps its start number between openings.
  FlagView flagView_;
  Application* app_ = nullptr;
  // The option dialog while it is open.
  std::unique_ptr<OptionForm> option_;
  // The character-voice entry chosen last, kept for the run.
  int optionCharaEntry_ = 0;
};

}  // namespace ml

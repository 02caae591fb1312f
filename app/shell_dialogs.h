// The dialogs the application answers itself until a dialog host is installed: the
// name dialog, answered by the platform (a headless run's input script) or drawn by
// the windowed program.
#pragma once

#include <string>

#include "engine/services.h"

namespace ml {

class Platform;

class ShellDialogs final : public NullDialogService {
 public:
  using DrawnNameDialog = bool (*)(Platform& platform, std::string& givenSjis);

  explicit ShellDialogs(Platform& platform) : platform_(platform) {}
  // The windowed program's drawn dialog (app/name_dialog); none without a window.
  void setDrawnNameDialog(DrawnNameDialog dialog) { drawn_ = dialog; }
  bool showName(std::string& family, std::string& given) override;

 private:
  Platform& platform_;
  DrawnNameDialog drawn_ = nullptr;
};

}  // namespace ml

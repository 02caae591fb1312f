#include "tools/lint/implied_files.h"

#include <initializer_list>

namespace ml::lint {
namespace {

void add(std::vector<std::string>& out, std::initializer_list<const char*> names) {
  for (const char* n : names) out.push_back(n);
}

// The save and load screen: opened by its commands, the title menu, F1/F2 and the
// message window's icons.
void saveScreen(std::vector<std::string>& out) {
  add(out, {"cg\\_MLLoadBack.bmp", "cg\\_MLSaveBack.bmp", "cg\\_MLSel.psd", "cg\\_MLPrev.psd",
            "cg\\_MLNext.psd", "cg\\_MLBigOn.psd", "cg\\_MLBigOff.psd", "cg\\_MLEraseOff.psd",
            "cg\\_MLEraseOn.psd", "cg\\_MLPage.psd"});
}

// The in-game option screen: from the title menu and the window's option icon.
void optionScreen(std::vector<std::string>& out) {
  add(out, {"cg\\_Op0Ok.psd", "cg\\_Op0Page1.psd", "cg\\_Op0Page2.psd", "cg\\_Op1Font.psd",
            "cg\\_Op1Title.psd", "cg\\_Op1End.psd", "cg\\_Op1Name.psd", "cg\\_Op0Check.psd",
            "cg\\_Op0Slide.psd", "cg\\_Op1Back.bmp", "cg\\_Op2Back.bmp"});
}

}  // namespace

std::vector<std::string> impliedFiles(std::string_view keyword, const std::vector<std::string>& args) {
  std::vector<std::string> out;
  if (keyword == "window" && !args.empty()) {
    if (args[0] == "0") {
      // Frame, key-wait icon, the button bar, the backlog its log button opens, and
      // the pictures of the skip and last-choice indicators.
      add(out, {"cg\\_WindowF.psd", "cg\\_Ret.psd", "cg\\_iLog.psd", "cg\\_iPrevSel.psd",
                "cg\\_iNextSel.psd", "cg\\_iSkip.psd", "cg\\_iAuto.psd", "cg\\_iOption.psd",
                "cg\\_WinLog.psd", "cg\\_WinLogF.psd", "cg\\_WinLogNam.psd", "cg\\_WinLogNamF.psd",
                "cg\\_lVo.psd", "cg\\_lCont.psd", "cg\\_lPrev.psd", "cg\\_lNext.psd", "cg\\_lTop.psd",
                "cg\\_lBottom.psd", "cg\\_Skip.bmp", "cg\\_Return.bmp"});
      saveScreen(out);
      optionScreen(out);
    } else if (args[0] == "2" && args.size() > 9 && args[9] != "NULL") {
      add(out, {"cg\\_WinNamF.psd"});
    }
  } else if (keyword == "select" || keyword == "select2") {
    add(out, {"cg\\_WinSelS.psd"});
  } else if (keyword == "blue_sky") {
    add(out, {"cg\\BlueSky1.psd", "cg\\BlueSky2.psd", "cg\\BlueSky3.psd"});
  } else if (keyword == "ending") {
    add(out, {"wav\\bgm13.wav"});
  } else if (keyword == "menu") {
    add(out, {"cg\\_MnBack.bmp", "cg\\_MnStart.psd", "cg\\_MnCont.psd", "cg\\_MnOmake.psd",
              "cg\\_MnOption.psd", "cg\\_MnEnd.psd"});
    saveScreen(out);
    optionScreen(out);
  } else if (keyword == "save" || keyword == "load") {
    saveScreen(out);
  }
  return out;
}

}  // namespace ml::lint

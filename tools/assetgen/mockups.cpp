// Preview only: whole screens put together from the generated pictures the way the
// engine places them, so the look can be judged without running the game.
#include "tools/assetgen/generators.h"

#include <cstdio>

namespace ml::tools {
namespace {

struct Place {
  const char* name;
  int frame;
  float x, y;
  float opacity;
};

// False (and said on standard error) when the picture could not be written.
bool compose(const AssetSink& sink, const char* file, std::initializer_list<Place> places) {
  Canvas c(800, 600, rgb(0, 0, 0));
  bool any = false;
  for (const Place& p : places) {
    if (const RgbaImage* img = sink.kept(p.name, p.frame)) {
      c.drawImage(*img, p.x, p.y, 1.0f, p.opacity);
      any = true;
    }
  }
  std::string error;
  if (!any || writePng(sink.previewDir() + "/" + file, c.toImage(), &error)) return true;
  std::fprintf(stderr, "mirelune-assetgen: cannot write %s\n", error.c_str());
  return false;
}

}  // namespace

bool writeMockups(const AssetSink& sink) {
  bool ok = true;
  ok &= compose(sink, "mock_message.png",
          {{"bg02a.bmp", 0, 0, 0, 1}, {"aoi02.psd", 4, 200, 0, 1}, {"_WinMsg.psd", 0, 0, 420, 0.5f},
           {"_WindowF.psd", 0, 0, 420, 1}, {"_WinNam.psd", 0, 20, 376, 0.5f}, {"_WinNamF.psd", 0, 20, 376, 1},
           {"_iLog.psd", 0, 188, 459, 1}, {"_iLoad.psd", 0, 188, 459, 1}, {"_iSave.psd", 0, 188, 459, 1},
           {"_iPrevSel.psd", 0, 188, 459, 1}, {"_iNextSel.psd", 1, 188, 459, 1}, {"_iSkip.psd", 0, 188, 459, 1},
           {"_iAuto.psd", 2, 188, 459, 1}, {"_iOption.psd", 0, 188, 459, 1}, {"_iHide.psd", 0, 188, 459, 1},
           {"_Ret.psd", 7, 400, 540, 1}});
  ok &= compose(sink, "mock_backlog.png",
          {{"bg03a.psd", 0, 0, 0, 0.6f}, {"_WinLog.psd", 0, 0, 420, 1}, {"_WinLogF.psd", 0, 0, 420, 1},
           {"_WinLogNam.psd", 0, 20, 376, 1}, {"_WinLogNamF.psd", 0, 20, 376, 1}, {"_lVo.psd", 0, 188, 459, 1},
           {"_lCont.psd", 1, 188, 459, 1}, {"_lPrev.psd", 0, 188, 459, 1}, {"_lNext.psd", 0, 188, 459, 1},
           {"_lTop.psd", 0, 188, 459, 1}, {"_lBottom.psd", 0, 188, 459, 1}});
  ok &= compose(sink, "mock_choice.png",
          {{"bg05a.psd", 0, 0, 0, 1}, {"_WinSel.psd", 0, 140, 92, 0.8f}, {"_WinSel.psd", 0, 140, 207, 0.8f},
           {"_WinSelS.psd", 3, 140, 207, 1}, {"_WinSel.psd", 0, 140, 322, 0.8f}, {"_Skip.bmp", 0, 640, 0, 1}});
  ok &= compose(sink, "mock_title.png",
          {{"_MnBack.bmp", 0, 0, 0, 1}, {"_MnStart.psd", 1, 115, 295, 1}, {"_MnCont.psd", 0, 115, 295, 1},
           {"_MnOmake.psd", 0, 115, 295, 1}, {"_MnOption.psd", 0, 115, 295, 1}, {"_MnEnd.psd", 0, 115, 295, 1},
           {"_MnMarkL.psd", 3, 46, 343, 1}, {"_MnMarkR.psd", 3, 204, 343, 1}});
  ok &= compose(sink, "mock_save.png",
          {{"_MLSaveBack.bmp", 0, 0, 0, 1}, {"_MLPrev.psd", 0, 252, 4, 1}, {"_MLNext.psd", 1, 252, 4, 1},
           {"_MLPage.psd", 2, 252, 4, 1}, {"_MLBigOn.psd", 2, 436, 28, 1}, {"_MLBigOff.psd", 0, 436, 28, 1},
           {"_MLEraseOff.psd", 2, 637, 1, 1}, {"_MLEraseOn.psd", 0, 637, 1, 1}, {"_MLSel.psd", 0, 167, 160, 1},
           {"_MLReturn.psd", 0, 706, 560, 1}});
  ok &= compose(sink, "mock_option1.png",
          {{"_Op1Back.bmp", 0, 0, 0, 1}, {"_Op0Page1.psd", 2, 510, 17, 1}, {"_Op0Page2.psd", 0, 510, 17, 1},
           {"_Op0Ok.psd", 0, 587, 315, 1}, {"_Op1Font.psd", 1, 587, 315, 1}, {"_Op1Title.psd", 0, 587, 315, 1},
           {"_Op1End.psd", 0, 587, 315, 1}, {"_Op1Name.psd", 0, 358, 69, 1}, {"_Op0Check.psd", 0, 486, 115, 1},
           {"_Op0Check.psd", 0, 661, 197, 1}, {"_Op0Check.psd", 0, 441, 320, 1}, {"_Op0Check.psd", 0, 441, 472, 1},
           {"_Op0Check.psd", 0, 516, 550, 1}, {"_Op0Slide.psd", 0, 110 + 200 - 4, 169 + 5, 1},
           {"_Op0Slide.psd", 0, 110 + 128 - 4, 240 + 5, 1}, {"_Op0Slide.psd", 0, 110 + 60 - 4, 314 + 5, 1},
           {"_Op0Slide.psd", 0, 110 + 90 - 4, 353 + 5, 1}, {"_Op0Slide.psd", 0, 110 + 250 - 4, 426 + 5, 1},
           {"_Op0Slide.psd", 0, 110 + 10 - 4, 505 + 5, 1}});
  ok &= compose(sink, "mock_option2.png",
          {{"_Op2Back.bmp", 0, 0, 0, 1}, {"_Op0Page1.psd", 0, 510, 17, 1}, {"_Op0Page2.psd", 2, 510, 17, 1},
           {"_Op0Ok.psd", 0, 587, 315, 1}, {"_Op0Check.psd", 0, 34, 64, 1}, {"_Op0Check.psd", 0, 34, 107, 1},
           {"_Op0Check.psd", 0, 34, 251, 1}, {"_Op0Check.psd", 0, 527, 294, 1},
           {"_Op0Slide.psd", 0, 171 + 255 - 4, 70 + 5, 1}, {"_Op0Slide.psd", 0, 171 + 127 - 4, 251 + 6 + 5, 1}});
  ok &= compose(sink, "mock_gallery.png",
          {{"_OmCgBack.bmp", 0, 0, 0, 1}, {"_OmCg1.psd", 1, 0, 0, 1}, {"_OmBtKs.psd", 0, 549, 31, 1},
           {"_OmBtMu.psd", 1, 549, 31, 1}, {"_OmBtRet.psd", 0, 706, 565, 1}, {"_OmCgBtP1.psd", 2, 64, 105, 1},
           {"_OmCgBtP2.psd", 0, 64, 105, 1}, {"_OmNo.psd", 4, 402, 571, 1}, {"_OmNo.psd", 2, 421, 571, 1}});
  ok &= compose(sink, "mock_music.png",
          {{"_OmMuBack.bmp", 0, 0, 0, 1}, {"_OmMu01.psd", 2, 87, 133, 1}, {"_OmMu02.psd", 1, 87, 133, 1},
           {"_OmMu03.psd", 0, 87, 133, 1}, {"_OmMu08.psd", 0, 87, 133, 1}, {"_OmMu14.psd", 0, 87, 133, 1},
           {"_OmMuStop.psd", 0, 332, 513, 1}, {"_OmBtCg.psd", 0, 549, 31, 1}, {"_OmBtKs2.psd", 0, 549, 31, 1},
           {"_OmBtRet.psd", 1, 706, 565, 1}});
  return ok;
}

}  // namespace ml::tools

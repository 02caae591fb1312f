#include "media/settings.h"

#include "platform/text_encoding.h"

namespace ml {

void Settings::setDefaultTexts() {
  font.name = SJ("ＭＳ ゴシック");
  user.name = SJ("ヨルク");
  user.family = SJ("ハセリ");
}

}  // namespace ml

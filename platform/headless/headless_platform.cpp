#include "platform/headless/headless_platform.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/text_encoding.h"

namespace ml {

HeadlessPlatform::HeadlessPlatform() : epoch_(static_cast<std::int64_t>(std::time(nullptr))) {}

void HeadlessPlatform::processMessages() {
  if (hook_) hook_(*this, sink_);
}

void HeadlessPlatform::present(const PresentRequest& request) {
  ++frames_;
  now_ += frameMs_;
  if (request.pixels == nullptr || request.suppressed) return;
  // Keep the frame as the window would show it: shake bands and zoom applied.
  constexpr int W = 800, H = 600;
  lastFrame_.assign(static_cast<size_t>(W) * H, 0);
  const std::uint32_t* src = request.pixels;
  std::uint32_t* dst = lastFrame_.data();
  if (request.shakeY != 0) {
    int d = request.shakeY < 0 ? -request.shakeY : request.shakeY;
    if (d > H) d = H;
    for (int y = 0; y < H - d; ++y) {
      int sy = request.shakeY < 0 ? y + d : y;
      int dy = request.shakeY < 0 ? y : y + d;
      std::memcpy(dst + dy * W, src + sy * W, W * 4);
    }
  } else if (request.shakeX != 0) {
    int d = request.shakeX < 0 ? -request.shakeX : request.shakeX;
    if (d > W) d = W;
    for (int y = 0; y < H; ++y) {
      int sx = request.shakeX < 0 ? d : 0;
      int dx = request.shakeX < 0 ? 0 : d;
      std::memcpy(dst + y * W + dx, src + y * W + sx, static_cast<size_t>(W - d) * 4);
    }
  } else if (request.zoom > 16) {
    int w = W - (W * request.zoom) / 256;
    int h = H - (H * request.zoom) / 256;
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    int left = W / 2 - w / 2, top = H / 2 - h / 2;
    for (int y = 0; y < H; ++y) {
      int sy = top + y * h / H;
      for (int x = 0; x < W; ++x) dst[y * W + x] = src[sy * W + left + x * w / W];
    }
  } else {
    std::memcpy(dst, src, static_cast<size_t>(W) * H * 4);
  }
  // The window shows no alpha.
  for (auto& p : lastFrame_) p |= 0xFF000000u;
}

BoxAnswer HeadlessPlatform::messageBox(std::string_view captionSjis, std::string_view textSjis,
                                       BoxButtons buttons, BoxIcon, bool defaultNo) {
  BoxAnswer answer;
  if (!boxAnswers_.empty()) {
    answer = boxAnswers_.front();
    boxAnswers_.pop_front();
  } else if (buttons == BoxButtons::Ok) {
    answer = BoxAnswer::Ok;
  } else {
    answer = defaultNo ? BoxAnswer::No : BoxAnswer::Yes;
  }
  std::string line = "MessageBox: [" + sjisToUtf8(captionSjis) + "] " + sjisToUtf8(textSjis);
  line += answer == BoxAnswer::Ok ? " -> OK" : answer == BoxAnswer::Yes ? " -> Yes" : " -> No";
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  emit(std::move(line));
  return answer;
}

bool HeadlessPlatform::openUrl(std::string_view url) {
  emit("OpenUrl: " + std::string(url));
  return true;
}

void HeadlessPlatform::scriptError(std::string_view message, std::string_view detail,
                                   std::string_view fileName, int lineNumber,
                                   std::string_view lineText) {
  emit(scriptErrorLine(message, detail, fileName, lineNumber, lineText));
}

void HeadlessPlatform::systemError(std::string_view fileName, int number, std::string_view message,
                                   std::string_view detail) {
  emit(systemErrorLine(fileName, number, message, detail));
}

void HeadlessPlatform::emit(std::string line) {
  if (!quiet_) {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
  }
  reports_.push_back(std::move(line));
}

}  // namespace ml

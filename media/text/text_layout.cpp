#include "media/text/text_layout.h"

#include <algorithm>
#include <cstdint>

#include "media/text/text_rules.h"
#include "platform/reporter.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr int kMaxCount = 1 << 20;  // bound on columns and rows: keeps the arithmetic in range

int clampToInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, -(std::int64_t(1) << 30),
                                                   std::int64_t(1) << 30));
}

bool startsWith(const std::string& text, std::size_t pos, std::string_view prefix) {
  return !prefix.empty() && text.size() - pos >= prefix.size() &&
         text.compare(pos, prefix.size(), prefix) == 0;
}

class Layout {
 public:
  Layout(std::string& text, const TextLayoutParams& p, const TextRules& rules, Reporter& reporter,
         std::vector<PlacedChar>& out)
      : text_(text),
        rules_(rules),
        reporter_(reporter),
        out_(out),
        layoutRules_(p.layoutRules),
        s_(std::max(p.glyphSize, 1)),
        pitch_(linePitch(p.glyphSize)),
        columns_(std::clamp(p.columns, 0, kMaxCount)),
        rows_(std::clamp(p.rows, 0, kMaxCount)),
        reveal_(p.reveal) {}

  TextLayoutResult run();

 private:
  void place(std::uint8_t lead, std::uint8_t trail) {
    out_.push_back({clampToInt(x_), clampToInt(y_), lead, trail});
    ++result_.shown;
    placedSinceWrap_ = true;
  }
  void setPen(std::int64_t x, std::int64_t y) {
    result_.penSet = true;
    result_.penX = clampToInt(x);
    result_.penY = clampToInt(y);
  }
  // Start of a new line: under the bracket's column while a quotation is open.
  std::int64_t lineStart() const { return indent_ >= 0 ? indent_ * s_ : 0; }
  void twoByte(std::uint8_t lead, std::uint8_t trail);
  bool placeholder();
  void drawName(std::string_view name);
  void escape();

  std::string& text_;
  const TextRules& rules_;
  Reporter& reporter_;
  std::vector<PlacedChar>& out_;
  const bool layoutRules_;
  const std::int64_t s_;
  const std::int64_t pitch_;
  const std::int64_t columns_;
  const std::int64_t rows_;
  const int reveal_;

  std::int64_t x_ = 0, y_ = 0;
  std::int64_t indent_ = -1;  // column of the opening bracket, -1 while none
  std::size_t pos_ = 0;
  bool stop_ = false;
  // A character that wraps to a new line without being placed twice in a row at the
  // same text position can never be placed: the remaining lines are skipped at once.
  std::size_t unplacedWrapPos_ = std::string::npos;
  bool placedSinceWrap_ = true;
  TextLayoutResult result_;
};

TextLayoutResult Layout::run() {
  while (!stop_ && pos_ < text_.size() && result_.shown < reveal_) {
    if (y_ / pitch_ >= rows_) {
      if (layoutRules_) reporter_.systemError("SCRIPT", 1180, SJ("メッセージがあふれました"), "");
      text_.resize(pos_);
      result_.cut = true;
      break;
    }
    auto b = static_cast<std::uint8_t>(text_[pos_]);
    if (b == '\n') {
      setPen(x_, y_);
      y_ += pitch_;
      x_ = lineStart();
      ++pos_;
    } else if (b == '\r') {
      ++pos_;
    } else if (sjis::isLead(b)) {
      // A lead byte without its trail byte ends the text.
      if (pos_ + 1 >= text_.size()) break;
      twoByte(b, static_cast<std::uint8_t>(text_[pos_ + 1]));
    } else if (b == '\\') {
      escape();
    } else {
      place(b, 0);
      x_ += s_ / 2;
      ++pos_;
    }
  }
  return result_;
}

void Layout::twoByte(std::uint8_t lead, std::uint8_t trail) {
  const bool bracket = rules_.isOpeningBracket(lead, trail);
  if (indent_ < 0 && bracket && layoutRules_) indent_ = x_ / s_;
  if (indent_ >= 0 && x_ / s_ == indent_) {
    if (bracket) {
      place(lead, trail);
      x_ += s_;
      pos_ += 2;
      return;
    }
    // Continued lines of a quotation start one cell right of its bracket.
    x_ += s_;
  }
  if (x_ / s_ < columns_ - 1) {
    if (placeholder()) return;
    place(lead, trail);
    x_ += s_;
    pos_ += 2;
    return;
  }
  // The last column: only hanging punctuation goes there (or anything without the
  // layout rules); everything else moves to the next line. A placeholder is never
  // split: it always wraps whole.
  const std::int64_t lastX = x_;
  bool placed = false;
  bool isPlaceholder = startsWith(text_, pos_, SJ("●名●")) || startsWith(text_, pos_, SJ("▲氏▲"));
  if (!isPlaceholder && (!layoutRules_ || rules_.isLineEnd(lead, trail))) {
    place(lead, trail);
    pos_ += 2;
    placed = true;
  }
  setPen(lastX + s_, y_);
  y_ += pitch_;
  x_ = layoutRules_ ? lineStart() : 0;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  if (!placed) {
    if (unplacedWrapPos_ == pos_ && !placedSinceWrap_ && y_ / pitch_ < rows_) {
      // Stuck: every further line would wrap the same way until the rows run out.
      setPen(lastX + s_, (rows_ - 1) * pitch_);
      y_ = rows_ * pitch_;
    }
    unplacedWrapPos_ = pos_;
    placedSinceWrap_ = false;
  }
}

bool Layout::placeholder() {
  if (startsWith(text_, pos_, SJ("●名●"))) {
    drawName(rules_.givenName());
  } else if (startsWith(text_, pos_, SJ("▲氏▲"))) {
    drawName(rules_.familyName());
  } else {
    return false;
  }
  pos_ += SJ("●名●").size();
  return true;
}

// The whole name goes out in one step, whatever the reveal count.
void Layout::drawName(std::string_view name) {
  for (std::size_t i = 0; i < name.size();) {
    auto lead = static_cast<std::uint8_t>(name[i]);
    if (sjis::isLead(lead) && i + 1 < name.size()) {
      place(lead, static_cast<std::uint8_t>(name[i + 1]));
      x_ += s_;
      i += 2;
    } else if (sjis::isLead(lead)) {
      break;
    } else {
      place(lead, 0);
      x_ += s_ / 2;
      ++i;
    }
  }
}

void Layout::escape() {
  if (pos_ + 1 >= text_.size()) {
    // A backslash that ends the text has no code at all: reported once, then dropped.
    reporter_.systemError("SCRIPT", 1227, SJ("不正な制御コード"), "[]");
    text_.erase(pos_);
    stop_ = true;
    return;
  }
  auto c = static_cast<std::uint8_t>(text_[pos_ + 1]);
  if (c == ' ') {
    pos_ += 2;
    return;
  }
  if (c == 'n' || c == 'N') {
    y_ += pitch_;
    x_ = lineStart();
    pos_ += 2;
    return;
  }
  // Reported once: the code is blanked so the pair becomes the blank escape. A
  // two-byte character is reported and blanked whole, so its trail byte cannot turn
  // into a stray character.
  const std::size_t len = sjis::charLength(text_, pos_ + 1);
  std::string detail = "[" + text_.substr(pos_ + 1, len) + "]";
  reporter_.systemError("SCRIPT", 1227, SJ("不正な制御コード"), detail);
  text_[pos_ + 1] = ' ';
  if (len == 2) text_.erase(pos_ + 2, 1);
  pos_ += 2;
}

}  // namespace

int linePitch(int glyphSize) { return glyphSize <= 24 ? 28 : 56; }

TextLayoutResult layoutText(std::string& text, const TextLayoutParams& params,
                            const TextRules& rules, Reporter& reporter,
                            std::vector<PlacedChar>& out) {
  return Layout(text, params, rules, reporter, out).run();
}

int twoByteCount(std::string_view text) {
  int count = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = sjis::charLength(text, i);
    if (len == 2) ++count;
    i += len;
  }
  return count;
}

}  // namespace ml

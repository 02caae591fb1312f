#include "platform/headless/input_script.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = sjis::foldAscii(c);
  return s;
}

// Words of one line; a double-quoted word may hold blanks (font faces).
bool splitWords(const std::string& line, std::vector<std::string>& words) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      size_t end = line.find('"', i + 1);
      if (end == std::string::npos) return false;
      word = line.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
    }
    words.push_back(word);
  }
  return true;
}

bool toInt(const std::string& text, std::int64_t& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0') return false;
  value = v;
  return true;
}

bool toButton(const std::string& text, MouseButton& b) {
  std::string t = lower(text);
  if (t == "left") b = MouseButton::Left;
  else if (t == "middle") b = MouseButton::Middle;
  else if (t == "right") b = MouseButton::Right;
  else return false;
  return true;
}

bool toPadButton(const std::string& text, PadButton& b) {
  static const std::pair<const char*, PadButton> kNames[] = {
      {"a", PadButton::A},       {"b", PadButton::B},         {"x", PadButton::X},
      {"y", PadButton::Y},       {"start", PadButton::Start}, {"back", PadButton::Back},
      {"lb", PadButton::LeftShoulder}, {"rb", PadButton::RightShoulder},
      {"up", PadButton::Up},     {"down", PadButton::Down},   {"left", PadButton::Left},
      {"right", PadButton::Right}};
  for (const auto& [name, button] : kNames) {
    if (text == name) {
      b = button;
      return true;
    }
  }
  return false;
}

}  // namespace

bool parseKeySpec(const std::string& spec, KeyEvent& key) {
  key = KeyEvent{};
  std::string rest = lower(spec);
  for (;;) {
    size_t plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 >= rest.size()) break;
    std::string mod = rest.substr(0, plus);
    if (mod == "shift") key.shift = true;
    else if (mod == "alt") key.alt = true;
    else if (mod == "ctrl") key.ctrl = true;
    else return false;
    rest = rest.substr(plus + 1);
  }
  static const struct { const char* name; Key key; } kNames[] = {
      {"enter", Key::Enter},   {"return", Key::Enter},     {"space", Key::Space},
      {"escape", Key::Escape}, {"esc", Key::Escape},       {"pageup", Key::PageUp},
      {"pagedown", Key::PageDown}, {"home", Key::Home},    {"left", Key::Left},
      {"up", Key::Up},         {"right", Key::Right},      {"down", Key::Down},
      {"f1", Key::F1},         {"f2", Key::F2},            {"f4", Key::F4},
  };
  for (const auto& n : kNames) {
    if (rest == n.name) {
      key.key = n.key;
      return true;
    }
  }
  if (rest.size() == 1 && rest[0] >= 'a' && rest[0] <= 'z') {
    key.key = Key::Other;
    key.letter = static_cast<char>(rest[0] - 'a' + 'A');
    return true;
  }
  return false;
}

bool InputScript::parse(const std::string& text, std::string& error) {
  commands.clear();
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    error = "input script line " + std::to_string(lineNo) + ": " + why;
    commands.clear();
    return false;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    // '#' starts a comment unless it sits inside a quoted word.
    bool quoted = false;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '"') quoted = !quoted;
      if (raw[i] == '#' && !quoted) {
        raw.resize(i);
        break;
      }
    }
    std::vector<std::string> w;
    if (!splitWords(raw, w)) return fail("unclosed quote");
    if (w.empty()) continue;
    InputCommand c;
    c.line = lineNo;
    std::string verb = lower(w[0]);
    size_t n = w.size();
    auto wantArgs = [&](size_t lo, size_t hi) { return n - 1 >= lo && n - 1 <= hi; };
    if (verb == "wait" || verb == "frames") {
      c.kind = verb == "wait" ? InputCommand::Kind::Wait : InputCommand::Kind::Frames;
      if (!wantArgs(1, 1) || !toInt(w[1], c.value) || c.value < 0)
        return fail(verb + " needs one number of " + (verb == "wait" ? "milliseconds" : "frames"));
    } else if (verb == "move") {
      c.kind = InputCommand::Kind::Move;
      std::int64_t x, y;
      if (!wantArgs(2, 2) || !toInt(w[1], x) || !toInt(w[2], y)) return fail("move needs X and Y");
      c.x = static_cast<int>(x);
      c.y = static_cast<int>(y);
      c.hasPosition = true;
    } else if (verb == "click") {
      c.kind = InputCommand::Kind::Click;
      size_t at = 1;
      if (n > at && toButton(w[at], c.button)) ++at;
      if (n - at == 2) {
        std::int64_t x, y;
        if (!toInt(w[at], x) || !toInt(w[at + 1], y)) return fail("click position must be two numbers");
        c.x = static_cast<int>(x);
        c.y = static_cast<int>(y);
        c.hasPosition = true;
      } else if (n != at) {
        return fail("click takes an optional button (left, middle, right) and an optional X Y");
      }
    } else if (verb == "press" || verb == "release") {
      c.kind = verb == "press" ? InputCommand::Kind::Press : InputCommand::Kind::Release;
      if (!wantArgs(1, 1) || !toButton(w[1], c.button))
        return fail(verb + " needs a button: left, middle or right");
    } else if (verb == "wheel") {
      c.kind = InputCommand::Kind::Wheel;
      if (!wantArgs(1, 1) || !toInt(w[1], c.value) || c.value == 0)
        return fail("wheel needs a non-zero number of steps");
    } else if (verb == "key" || verb == "keydown" || verb == "keyup") {
      c.kind = verb == "key" ? InputCommand::Kind::Key
               : verb == "keydown" ? InputCommand::Kind::KeyDown : InputCommand::Kind::KeyUp;
      if (!wantArgs(1, 1)) return fail(verb + " needs one key name");
      if (!parseKeySpec(w[1], c.key)) return fail("unknown key '" + w[1] + "'");
    } else if (verb == "ctrl") {
      c.kind = InputCommand::Kind::Ctrl;
      std::string a = n == 2 ? lower(w[1]) : "";
      if (a != "down" && a != "up") return fail("ctrl needs down or up");
      c.on = a == "down";
    } else if (verb == "pad" || verb == "paddown" || verb == "padup") {
      c.kind = verb == "pad" ? InputCommand::Kind::Pad
               : verb == "paddown" ? InputCommand::Kind::PadDown : InputCommand::Kind::PadUp;
      std::string a = n == 2 ? lower(w[1]) : "";
      if (a == "trigger" && verb != "pad") {
        c.kind = InputCommand::Kind::Trigger;
        c.on = verb == "paddown";
      } else if (!toPadButton(a, c.pad)) {
        return fail(verb + " needs a button: a, b, x, y, start, back, lb, rb, up, down, left, right" +
                    (verb == "pad" ? std::string() : std::string(" or trigger")));
      }
    } else if (verb == "answer") {
      c.kind = InputCommand::Kind::Answer;
      std::string a = n == 2 ? lower(w[1]) : "";
      if (a == "yes") c.answer = BoxAnswer::Yes;
      else if (a == "no") c.answer = BoxAnswer::No;
      else if (a == "ok") c.answer = BoxAnswer::Ok;
      else return fail("answer needs yes, no or ok");
    } else if (verb == "font") {
      c.kind = InputCommand::Kind::Font;
      if (n < 2) return fail("font needs a face name");
      c.font.face = utf8ToSjis(w[1]);
      for (size_t i = 2; i < n; ++i) {
        std::string s = lower(w[i]);
        if (s == "bold") c.font.bold = true;
        else if (s == "italic") c.font.italic = true;
        else if (s == "underline") c.font.underline = true;
        else if (s == "strikeout") c.font.strikeout = true;
        else return fail("unknown font style '" + w[i] + "'");
      }
    } else if (verb == "comment") {
      c.kind = InputCommand::Kind::Comment;
      if (!wantArgs(1, 1)) return fail("comment needs one quoted text (or cancel)");
      // Unquoted "cancel" cancels; a quoted one is the text.
      c.cancel = lower(w[1]) == "cancel" && raw.find('"') == std::string::npos;
      if (!c.cancel) c.name = utf8ToSjis(w[1]);
    } else if (verb == "jump") {
      c.kind = InputCommand::Kind::Jump;
      if (!wantArgs(1, 1)) return fail("jump needs one line number (or cancel)");
      c.cancel = lower(w[1]) == "cancel";
      if (!c.cancel) c.name = w[1];
    } else if (verb == "unread") {
      c.kind = InputCommand::Kind::Unread;
      if (n != 1) return fail("unread takes no arguments");
    } else if (verb == "name") {
      c.kind = InputCommand::Kind::Name;
      if (!wantArgs(2, 2) || w[1].empty() || w[2].empty())
        return fail("name needs a family name and a given name");
      c.paths = {w[1], w[2]};
    } else if (verb == "menu") {
      c.kind = InputCommand::Kind::Menu;
      if (!wantArgs(1, 1)) return fail("menu needs one item name");
      c.name = w[1];
    } else if (verb == "activate" || verb == "deactivate" || verb == "close") {
      c.kind = verb == "activate" ? InputCommand::Kind::Activate
               : verb == "deactivate" ? InputCommand::Kind::Deactivate : InputCommand::Kind::Close;
      if (n != 1) return fail(verb + " takes no arguments");
    } else if (verb == "drop") {
      c.kind = InputCommand::Kind::Drop;
      if (n < 2) return fail("drop needs at least one file");
      c.paths.assign(w.begin() + 1, w.end());
    } else {
      return fail("unknown command '" + w[0] + "'");
    }
    commands.push_back(std::move(c));
  }
  return true;
}

bool InputScript::load(const std::string& path, std::string& error) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    error = "cannot read input script " + path;
    return false;
  }
  std::ostringstream text;
  text << f.rdbuf();
  return parse(text.str(), error);
}

}  // namespace ml

// The player's settings as plain values, read by every layer, and the one table that
// describes them: section and key in the settings file, type, default and range. The
// defaults below come from that table; reading and writing the settings file
// (app/settings_file) walk it too, so the three can never drift apart.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace ml {

struct Settings {
  struct {
    bool window;
    int refresh;
    int time;
    bool date;
    int timeTop;
    int drawWait;
  } display;
  struct {
    std::string name;  // Shift-JIS
    int style;
  } font;
  struct {
    int speed;
    bool readed;
    int readedLumi;
    int readedLumi2;
    int mojiType;
    int retPosi;
  } message;
  struct {
    bool cancel;
    bool unread;
    int wait;
  } skip2;
  struct {
    int wait;
    bool voice;
    bool effect;
    bool cancel;
    bool unread;
  } skip;
  struct {
    bool unread;
  } skipSelect;
  struct {
    int red, green, blue, alpha;
    bool guide;
    int drag;
    bool window, board, icon;
  } window;
  struct {
    int bgm, se, voice, pan;
    bool bgmOn, seOn, voOn;
  } volume;
  struct {
    std::string name;    // Shift-JIS, at most 11 bytes
    std::string family;  // Shift-JIS, at most 11 bytes
  } user;
  struct {
    bool overWriteCheck, recall, samWin, samSaveBig;
  } save;
  struct {
    int speed;
    bool clickCancel;
    bool waitCancel;
  } effect;
  struct {
    bool next;
    int rate;
    bool guide;
    int guideNo;
  } voice;
  struct {
    bool allBgm;
  } bgm;
  struct {
    int repeat;
    bool context;
  } key;
  struct {
    int lumi;
    bool exit, cg, bgm, voice;
  } log;
  struct {
    bool play;
  } movie;
  struct {
    bool noActive;
  } system;
  std::array<bool, 10> charaVoice;
  std::array<int, 10> charaVolume;
  struct {
    bool rain1, rain2;
  } niji;

  Settings() { resetToDefaults(); }
  // Every value back to its default (the Shift-JIS texts included), from the table.
  void resetToDefaults();
  // Every value into its range (integers) or length (texts), as the table gives them.
  void clampToRanges();
};

enum class SettingType { Bool, Int, Text };
enum class SettingUse {
  ReadWrite,
  ScreenMode,  // Display/Window: written from the current screen mode, not the value
  ReadOnly,    // Niji: read, never written
};

// One key of the settings file. Exactly one of flag, number, text is set, after type.
struct SettingField {
  std::string_view section;
  std::string_view key;
  SettingType type;
  SettingUse use;
  bool& (*flag)(Settings&);
  int& (*number)(Settings&);
  std::string& (*text)(Settings&);
  int defaultValue;              // Bool (0/1) and Int
  std::string_view defaultText;  // Text, UTF-8 (held in Shift-JIS)
  int min, max;                  // Int: the range; Text: max = longest value in bytes
  int (*convertOnRead)(int);     // a stored value's conversion before clamping, or null

  int clamp(int v) const { return v < min ? min : v > max ? max : v; }
};

// Every key, in the order the settings file is written, then the two read-only Niji
// keys.
std::span<const SettingField> settingFields();

// An old positive Effect/Speed (larger was faster) in today's scale 0 … -11.
int convertEffectSpeed(int stored);

}  // namespace ml

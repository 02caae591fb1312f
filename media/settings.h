// The player's settings as plain values, read by every layer. Reading and writing the
// settings file is done by the application layer (app/settings_file).
#pragma once

#include <array>
#include <string>

namespace ml {

struct Settings {
  struct {
    bool window = true;
    int refresh = 60;
    int time = 0;
    bool date = false;
    int timeTop = 0;
    int drawWait = 0;
  } display;
  struct {
    std::string name;  // Shift-JIS; set to "ＭＳ ゴシック" by resetToDefaults
    int style = 0;
  } font;
  struct {
    int speed = 0;
    bool readed = true;
    int readedLumi = 128;
    int readedLumi2 = 128;
    int mojiType = 0;
    int retPosi = 0;
  } message;
  struct {
    bool cancel = true;
    bool unread = true;
    int wait = 5;
  } skip2;
  struct {
    int wait = 5;
    bool voice = false;
    bool effect = false;
    bool cancel = true;
    bool unread = true;
  } skip;
  struct {
    bool unread = true;
  } skipSelect;
  struct {
    int red = 0, green = 0, blue = 0, alpha = 128;
    bool guide = true;
    int drag = 1;
    bool window = true, board = true, icon = true;
  } window;
  struct {
    int bgm = 100, se = 100, voice = 100, pan = 10;
    bool bgmOn = true, seOn = true, voOn = true;
  } volume;
  struct {
    std::string name;    // Shift-JIS, at most 11 bytes; default "ヨルク"
    std::string family;  // Shift-JIS, at most 11 bytes; default "ハセリ"
  } user;
  struct {
    bool overWriteCheck = true, recall = true, samWin = true, samSaveBig = true;
  } save;
  struct {
    int speed = -4;
    bool clickCancel = false;
    bool waitCancel = false;
  } effect;
  struct {
    bool next = false;
    int rate = 0;
    bool guide = true;
    int guideNo = 0;
  } voice;
  struct {
    bool allBgm = false;
  } bgm;
  struct {
    int repeat = 2;
    bool context = true;
  } key;
  struct {
    int lumi = 160;
    bool exit = true, cg = true, bgm = true, voice = true;
  } log;
  struct {
    bool play = true;
  } movie;
  struct {
    bool noActive = false;
  } system;
  std::array<bool, 10> charaVoice{true, true, true, true, true, true, true, true, true, true};
  std::array<int, 10> charaVolume{127, 127, 127, 127, 127, 127, 127, 127, 127, 127};
  struct {
    bool rain1 = true, rain2 = false;
  } niji;

  Settings() { setDefaultTexts(); }
  // Every value back to its default (the Shift-JIS texts included).
  void resetToDefaults() { *this = Settings(); }

 private:
  void setDefaultTexts();
};

}  // namespace ml

// Writes the committed seed files of the fuzz targets that have none made by hand:
// small inputs made with the engine's own writers, so each target starts from inputs
// that reach its deeper paths. Run from the source root: fuzz_seeds [SOURCE_ROOT].
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "engine/game_state.h"
#include "media/formats/read_status.h"
#include "platform/text_encoding.h"

namespace {

namespace fs = std::filesystem;

fs::path gRoot = ".";

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
  const fs::path dir = gRoot / "fuzz" / "corpus" / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-8 text with LF lines as the engine reads scripts: Shift-JIS with CR LF.
std::string script(const std::string& utf8) {
  std::string out;
  for (char c : ml::utf8ToSjis(utf8)) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void settingsSeeds() {
  const fs::path tmp = fs::temp_directory_path() / "mirelune-seed.ini";
  ml::Settings s;
  ml::ReadSettings("/nonexistent/mirelune.ini", s);  // the defaults
  ml::WriteSettings(tmp.string(), s, true);
  seed("settings", "defaults.ini", slurp(tmp));
  seed("settings", "odd-values.ini",
       script("[Display]\nWindow=0\nRefresh=75\nTime=-5\n[Message]\nSpeed=99999999999\nReadedLumi=300\n"
              "[Volume]\nBGM=-1\nSE=250\nPan=x\n[Effect]\nSpeed=7\n[User]\nName=とても長い名前のひと\n"
              "Family=ab\x81\n[Window]\nRed=256\nAlpha=-3\n"));
  fs::remove(tmp);
  seed("ini", "sections.ini", script("; comment\n[Display]\nRefresh=60\n\n[User]\nName=ヨルク\n[Niji]\nRain1=1\n"));
  seed("ini", "odd.ini", "[A]\nkey\n=value\n[B\nx=1=2\r\n[ C ]\n  y = 3 \n");
}

void readStatusSeeds() {
  const fs::path tmp = fs::temp_directory_path() / "mirelune-seed.dat";
  ml::ReadStatusStore store;
  for (int i = 0; i < 40; i += 3) store.isRead("scr\\open.scr", i, true);
  store.isRead(ml::utf8ToSjis("scr\\はじまり.scr"), 5, true);
  store.registerVoice("scr\\open.scr", 2, 1234);
  if (store.save(tmp.string())) seed("read_status", "marked.dat", slurp(tmp));
  fs::remove(tmp);
}

void scriptSeeds() {
  // Four scripts separated by NUL: open.scr and b.scr loose, c.scr archived, d.scr in
  // the override archive.
  const std::string sep(1, '\0');
  seed("script", "chain.bin",
       script("set_read_mode 0\n\\n\nはじまりの文。\\k\nF10=3\n[F10=3]{\n  change b\n}\n") + sep +
           script("bg bg01.bmp\n二つ目の台本。\\k\nchange c\n") + sep +
           script("A=A+1\n[A<3]{\n  change d\n}\ntitle\n") + sep + script("最後。\\k\ntitle\n"));
  seed("script", "select.bin",
       script("def_sel はい\ndef_sel いいえ\nselect2 1\n[S=1]{\n  change b\n}\ntitle\n") + sep +
           script("end\n"));
  // The demo game's scripts, each as the first script of a folder.
  for (const auto& e : fs::directory_iterator(gRoot / "demo" / "scr"))
    if (e.path().extension() == ".scr") seed("script", "demo-" + e.path().stem().string() + ".bin", script(slurp(e.path())));
}

void inputScriptSeeds() {
  seed("input_script", "basic.txt",
       "# a run\nwait 500\nclick\nclick right 10 20\nkey shift+f1\nkeydown ctrl+c\nkeyup ctrl+c\n"
       "ctrl down\nframes 3\nctrl up\nwheel -2\nanswer yes\nmenu MnTitle\nclose\n");
  seed("input_script", "more.txt",
       "move 799 599\npress middle\nrelease middle\nfont \"MS Gothic\" bold italic\nactivate\ndeactivate\n"
       "drop /tmp/a.scr /tmp/b.psd\nkey alt+enter\nanswer no\nanswer ok\n");
}

void gameFolderSeeds() {
  const std::vector<std::pair<std::string, std::string>> paths = {
      {"ascii", "open.scr"}, {"upper", "OPEN.SCR"}, {"folder", "cg\\bg01.psd"}, {"slash", "cg/BG01.PSD"},
      {"utf8-name", ml::utf8ToSjis("表紙.psd")}, {"trail-backslash", "\x95\x5c.bmp"},
      {"kana", ml::utf8ToSjis("ｶﾅ.txt")}, {"sjis-folder", ml::utf8ToSjis("背景\\bg01.psd")},
      {"save", "save001.dat"}, {"dot", ".\\a b.scr"}};
  for (const auto& [name, path] : paths) seed("game_folder", name, path);
}

// Pictures that claim far more pixels than their bytes hold: what the budget refuses.
void hugePictureSeeds() {
  std::string bmp(54 + 1024, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(10, 54 + 1024);
  put32(14, 40);
  put32(18, 16384);
  put32(22, 16384);
  bmp[26] = 1;
  bmp[28] = 8;
  put32(30, 1);
  bmp += std::string("\x05\x01\x00\x00\x00\x01", 6);
  seed("bmp", "huge-rle8.bmp", bmp);
  // A flat run-length PSD of 16384 x 16384 whose rows are missing.
  std::string psd("8BPS\x00\x01\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x40\x00\x00\x00\x40\x00\x00\x08\x00\x03", 26);
  psd += std::string(12, '\0') + std::string("\x00\x01", 2) + std::string(64, '\x01');
  seed("psd", "huge-rle-cut.psd", psd);
}

void sjisSeeds() {
  seed("sjis", "sjis.txt", ml::utf8ToSjis("ほしふる浜で、ＡＢＣ ｶﾀｶﾅ 表示\\n"));
  seed("sjis", "utf8.txt", "UTF-8: \xe6\x98\x9f\xe3\x81\xb5\xe3\x82\x8b \xef\xbd\xb6 \xe2\x80\x95");
  seed("sjis", "edges.bin", std::string("\x81\x40\xa0\x41\xfc\xfc\x80\xfd\xff\x5c", 10));
}

}  // namespace

// A save of the fuzz target's "story" script, with a scene, music and a backlog page.
void saveSeeds() {
  auto s = std::make_unique<ml::GameState>();
  s->resetToInitial();
  std::strcpy(s->scriptName, "story");
  std::strcpy(s->pictureNames[0], "bg01");
  std::strcpy(s->pictureNames[1], "chr");
  s->layerX[1] = 300;
  s->layerFade[0] = s->layerAlpha[0] = s->layerFade[1] = s->layerAlpha[1] = 255;
  std::strcpy(s->bgmName, "music");
  std::strcpy(s->voiceName, "v002");
  s->voiceIndex = 1;
  std::strcpy(s->windowPicture, "win");
  s->windowY = 450;
  s->textOffsetX = s->textOffsetY = 20;
  s->windowColumns = 20;
  s->windowRows = 4;
  s->backlogWriteIndex = 1;
  s->backlogCount = 1;
  std::strcpy(s->backlog[0].text, ml::utf8ToSjis("「こんばんは」").c_str());
  std::strcpy(s->namePlatePicture, "NULL");
  s->flags[1100] = 1;
  s->checksum = s->computeChecksum();
  seed("save", "story.dat", std::string(reinterpret_cast<const char*>(s->bytes()), sizeof(ml::GameState)));
  seed("save", "short.dat", std::string(reinterpret_cast<const char*>(s->bytes()), 4096));
}

int main(int argc, char** argv) {
  if (argc > 1) gRoot = argv[1];
  settingsSeeds();
  readStatusSeeds();
  scriptSeeds();
  inputScriptSeeds();
  gameFolderSeeds();
  sjisSeeds();
  hugePictureSeeds();
  saveSeeds();
  std::puts("seeds written");
  return 0;
}

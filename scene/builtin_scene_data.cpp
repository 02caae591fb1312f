#include "scene/builtin_scene_data.h"

namespace ml {
namespace {

// Texts on the left stand at (100, 250) beside a sprite on the right; texts on the
// right at (450, 250) beside a sprite moved to the left edge (a frame number given).
// The cover that fades a text in and out is 312 x 112: at most 13 wide characters on
// at most 4 lines.
constexpr CreditsRow kCredits[] = {
    {-1, nullptr, "ほしふる浜で\n\n　― スタッフ ―", 100, 250, 3},
    {-1, "aoi01", "シナリオ\n　浜辺 しおり", 100, 250, 3},
    {-1, nullptr, "原画\n　星野 ゆう", 100, 250, 2},
    {0, "rin02", "彩色\n　月見 あかり", 450, 250, 3},
    {-1, nullptr, "背景\n　海野 なぎさ", 450, 250, 2},
    {-1, "sou01", "音楽\n　風鈴 かなで", 100, 250, 3},
    {-1, nullptr, "効果音\n　波音 しずく", 100, 250, 2},
    {0, "aoi02", "出演\n　葵　……　青空 ひより", 450, 250, 3},
    {-1, nullptr, "　凛　……　白波 すず", 450, 250, 2},
    {-1, nullptr, "　颯　……　日向 はやて", 450, 250, 2},
    {-1, "rin01", "スクリプト\n　夜空 ほたる", 100, 250, 3},
    {-1, nullptr, "演出\n　灯 まつり", 100, 250, 2},
    {0, "sou02", "プログラム\n　Mirelune", 450, 250, 3},
    {-1, nullptr, "テストプレイ\n　夏灯祭 実行委員会", 450, 250, 1},
    {-1, "aoi03", "監督\n　浜辺 しおり", 100, 250, 3},
    {-1, nullptr, "スペシャルサンクス\n　遊んでくれたあなた", 100, 250, 2},
    {0, "rin05", "制作\n　ほしふる浜 製作室", 450, 250, 3},
    {-1, nullptr, "またいつか、\n　夏の浜で。", 450, 250, 3},
    {0, "aoi02", nullptr, 100, 250, 2},
    {-1, nullptr, "― おわり ―", 450, 250, 5},
    {0, nullptr, nullptr, 0, 0, 0},
};

}  // namespace

std::span<const CreditsRow> creditsRows() { return kCredits; }

}  // namespace ml

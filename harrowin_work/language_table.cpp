#include "harrowin_work/language_table.h"

namespace harrowin {

void TLangObjList::Add(const std::string& Key, const std::string& Text) {
    FItems.push_back(std::make_unique<TLangObj>(TLangObj{Key, Text}));
}

std::string TLangObjList::Get(const std::string& Key) const {
    for (const auto& item : FItems) {
        if (item->Key == Key) return item->Text;
    }
    return {};
}

TLagugae::TLagugae() { Initialize(); }

std::string TLagugae::Get(const std::string& Key) const { return FList.Get(Key); }

void TLagugae::Initialize() {
    // Filled twice; lookups only ever reach the first copy.
    AddTexts();
    AddTexts();
}

void TLagugae::AddTexts() {
    static const char* const kTexts[][2] = {
        {"TITLE", "Harrowin"},
        {"COPYRIGHT", "Copyright (C) 2006-2026 The Harrowin developers"},
        {"SOFTNAME", "Harrowin for Windows 2000/xp"},
        {"MSG_RECG_SUC", "iPodが[ %s ]で見つかりました"},
        {"MSG_RECG_FAL", "iPodが見つかりません"},
        {"MSG_RECG_NOT", "認識できません"},
        {"MSG_RECG_HAD", "認識されています"},
        {"MSG_CNCT_FAL", "[接続されていません]"},
        {"MSG_CNCT_SUC", "[接続中]"},
        {"MSG_REMOVED", "iPodは取り外されました"},
        {"MSG_RECG_NOT", "iPodは認識されていません"},
        {"TAB_IPOD", "iPod"},
        {"TAB_SONG", "ソング"},
        {"TAB_NOTE", "メモ"},
        {"TAB_CONT", "アドレス帳"},
        {"TAB_CALD", "カレンダー"},
        {"LBL_IPODNAME", "名前"},
        {"LBL_DRIVE", "ドライブレター"},
        {"LBL_SIZEALL", "全容量"},
        {"LBL_SIZEFREE", "空き容量"},
        {"LBL_SONGCOUNT", "収録曲数"},
        {"LBL_SONGSIZE", "曲サイズ"},
        {"LBL_BTRHELP", "iPodのバッテリ表示を数値化することができます"},
        {"CBOX_BATTERY", "バッテリ状態を数値化する"},
        {"GBOX_BATETRY", "バッテリ状態の変更"},
        {"GBOX_IPODRECO", "iPodの状態"},
        {"GBOX_IPOD", "iPodの情報"},
        {"BTN_RECOGNIZE", "再認識"},
        {"GBOX_SONG", "ソングリスト"},
        {"BTN_FINDSONG", "曲の検索"},
        {"BTN_EXTRACT", "曲の取り出し"},
        {"LBL_SONGSEL_SUC", "%d 曲チェックされています"},
        {"MSG_LOAD_SONG", "%d 曲を読み込みました"},
        {"GBOX_NOTE", "メモの一覧"},
        {"BTN_NOTE_IMP", "取り込む"},
        {"BTN_NOTE_ADD", "新規追加"},
        {"BTN_NOTE_NET", "インターネットから取り込む"},
        {"MSG_LOAD_NOTE", "メモを読み込みました"},
        {"GBOX_ADDR", "アドレス帳の一覧"},
        {"BTN_ADDR_IMP", "取り込む"},
        {"BTN_ADDR_ADD", "追加"},
        {"MSG_LOAD_ADDR", "アドレス帳を読み込みました"},
        {"GBOX_CALD", "スケジュールの一覧"},
        {"BTN_CALD_IMP", "取り込む"},
        {"BTN_CALD_ADD", "追加"},
        {"BTN_CALD_DEL", "古いものを削除"},
        {"MSG_LOAD_CALD", "スケジュールを読み込みました"},
    };
    static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == kLanguageTextCount);
    for (const auto& row : kTexts) FList.Add(row[0], row[1]);
}

}  // namespace harrowin

// The language table: interface texts (UTF-8) by ASCII key, filled in code. Lookups compare the
// key byte for byte; an unknown key gives the empty text, so the windows look their texts up by
// keys that are checked against the table when the program is compiled.
#pragma once

#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace harrowin {

struct TLangRow {
    std::string_view Key;
    std::string_view Text;
};

// The rows of one fill, in their order. A key may stand twice: the first row wins.
inline constexpr TLangRow kLanguageTexts[] = {
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

// The number of entries one fill appends.
constexpr size_t kLanguageTextCount = std::size(kLanguageTexts);
static_assert(kLanguageTextCount == 47);

// A key that a window looks up. Made from a literal only, and only when the first row of that
// key has a text: a mistyped key does not compile, instead of showing an empty status line.
class TLangKey {
public:
    consteval TLangKey(const char* key) : FKey(key) {
        for (const TLangRow& row : kLanguageTexts) {
            if (row.Key != FKey) continue;
            if (row.Text.empty()) throw "the language table has an empty text for this key";
            return;
        }
        throw "the language table has no text for this key";
    }

    std::string_view Name() const { return FKey; }

private:
    std::string_view FKey;
};

struct TLangObj {
    std::string Key;
    std::string Text;
};

// Owning list of entries in the order they were added; duplicate keys are allowed.
class TLangObjList {
public:
    virtual ~TLangObjList() = default;
    virtual void Add(const std::string& Key, const std::string& Text);
    // The text of the first entry whose key matches exactly; empty when none does.
    virtual std::string Get(const std::string& Key) const;

    size_t Count() const { return FItems.size(); }
    const TLangObj& Item(size_t index) const { return *FItems[index]; }

private:
    std::vector<std::unique_ptr<TLangObj>> FItems;
};

class TLagugae {
public:
    TLagugae();
    virtual ~TLagugae() = default;
    virtual std::string Get(const std::string& Key) const;
    // The text of a key that a window shows; never empty.
    std::string Text(TLangKey key) const;

    const TLangObjList& List() const { return FList; }

private:
    void Initialize();
    void AddTexts();

    TLangObjList FList;
};

}  // namespace harrowin

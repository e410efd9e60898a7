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

// The rows of one fill, in their order: the texts the windows show, each key once.
inline constexpr TLangRow kLanguageTexts[] = {
    {"TITLE", "Harrowin"},
    {"MSG_RECG_SUC", "iPodが[ %s ]で見つかりました"},
    {"MSG_RECG_FAL", "iPodが見つかりません"},
    {"MSG_RECG_NOT", "認識できません"},
    {"MSG_RECG_HAD", "認識されています"},
    {"MSG_CNCT_SUC", "[接続中]"},
    {"MSG_REMOVED", "iPodは取り外されました"},
    {"MSG_LOAD_SONG", "%d 曲を読み込みました"},
    {"MSG_LOAD_NOTE", "メモを読み込みました"},
    {"MSG_LOAD_ADDR", "アドレス帳を読み込みました"},
    {"MSG_LOAD_CALD", "スケジュールを読み込みました"},
};

// The number of entries one fill appends.
constexpr size_t kLanguageTextCount = std::size(kLanguageTexts);
static_assert(kLanguageTextCount == 11);

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

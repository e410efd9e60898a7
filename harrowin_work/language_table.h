// The language table: interface texts (UTF-8) by ASCII key, filled in code. Lookups compare the
// key byte for byte; an unknown key gives the empty text.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace harrowin {

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

    const TLangObjList& List() const { return FList; }

private:
    void Initialize();
    void AddTexts();

    TLangObjList FList;
};

// The number of entries one fill appends.
constexpr size_t kLanguageTextCount = 47;

}  // namespace harrowin

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

std::string TLagugae::Text(TLangKey key) const { return Get(std::string(key.Name())); }

void TLagugae::Initialize() {
    // Filled twice; lookups only ever reach the first copy.
    AddTexts();
    AddTexts();
}

void TLagugae::AddTexts() {
    for (const TLangRow& row : kLanguageTexts) FList.Add(std::string(row.Key), std::string(row.Text));
}

}  // namespace harrowin

#include "harrowincast_work/update_failures.h"

#include <algorithm>

#include "foundation/encoding.h"
#include "foundation/names.h"
#include "harrowincast_work/work_hooks.h"

namespace harrowincast {

std::string TUpdateFailures::Shortened(const std::string& Text, size_t Chars) {
    const std::string text = ControlCharsToBlanks(Text);
    if (Chars == 0 || encoding::Utf8Length(text) <= Chars) return text;
    return std::string(encoding::Utf8Left(text, Chars - 1)) + "…";
}

void TUpdateFailures::Add(const std::string& Line) { FLines.push_back(Line); }

void TUpdateFailures::AddShown(int Count) {
    if (Count > 0) FShown += Count;
}

std::string TUpdateFailures::StatusText() const {
    if (FCancelled) return "更新はキャンセルされました";
    if (Count() == 0) return "更新は完了しました";
    return FormatText("更新は完了しましたが、%d 件の処理に失敗しました", Count());
}

std::string TUpdateFailures::Summary() const {
    if (FLines.empty()) return {};
    std::string text = FormatText("次の %d 件は更新できませんでした。", static_cast<int>(FLines.size()));
    const size_t shown = std::min(FLines.size(), kShownLines);
    for (size_t i = 0; i < shown; ++i) text += "\n" + Shortened(FLines[i], kLineChars);
    if (FLines.size() > shown) text += FormatText("\n…ほか %d 件", static_cast<int>(FLines.size() - shown));
    return text;
}

}  // namespace harrowincast

#include "foundation/names.h"

#include <sys/stat.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <locale.h>

#include <cstring>
#include <string.h>
#include <vector>

#include "foundation/encoding.h"
#include "foundation/paths.h"

namespace {

// Byte length of the UTF-8 character starting at text[i]; an invalid or cut byte counts alone.
size_t CharLength(std::string_view text, size_t i) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (i + length > text.size()) return 1;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return 1;
    return length;
}

std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < text.size();) {
        size_t length = CharLength(text, i);
        chars.push_back(text.substr(i, length));
        i += length;
    }
    return chars;
}

}  // namespace

std::string BytesToWideString(std::span<const uint8_t> bytes, int code) {
    if (code == 0) {
        return encoding::Utf16UpToZero(bytes, encoding::ByteOrder::Little);
    }
    if (code == 1) {
        return encoding::RepairUtf8(encoding::UpToZeroByte(bytes));
    }
    return {};
}

std::string ReplaceChar(std::string_view text, std::string_view find, std::string_view replacement) {
    std::string out;
    out.reserve(text.size());
    for (std::string_view c : Characters(text)) {
        if (c == find) out += replacement;
        else out += c;
    }
    return out;
}

std::string ColonsToSlashes(std::string_view text) { return ReplaceChar(text, ":", "/"); }

std::string ReplaceCharsWithSpace(std::string_view text, std::string_view chars) {
    const std::vector<std::string_view> set = Characters(chars);
    std::string out;
    out.reserve(text.size());
    for (std::string_view c : Characters(text)) {
        bool hit = false;
        for (std::string_view s : set) hit = hit || s == c;
        if (hit) out += ' ';
        else out += c;
    }
    return out;
}

std::string ReplaceInvalidFileChars(std::string_view text) { return ReplaceCharsWithSpace(text, "\\?/\";:,<>*|"); }

std::string ReplaceInvalidFileCharsAndDot(std::string_view text) {
    return ReplaceCharsWithSpace(text, "\\?/\";:,<>*|.");
}

std::string ControlCharsToBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 || b == 0x7F) {
            out += ' ';
        } else if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += ' ';  // U+0080-U+009F, the next line character U+0085 among them
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EnteredName(std::string_view text) { return encoding::Trim(ControlCharsToBlanks(text)); }

std::string ReadableFileName(std::string_view name) {
    if (encoding::IsValidUtf8(name)) return std::string(name);
    const std::string japanese = encoding::Cp932ToUtf8(name);
    if (japanese.find("\xEF\xBF\xBD") == std::string::npos) return japanese;
    std::string out;
    size_t i = 0;
    while (i < name.size()) {
        size_t length = 0;
        for (size_t n = 1; n <= 4 && i + n <= name.size(); ++n) {
            if (encoding::IsValidUtf8(name.substr(i, n))) {
                length = n;
                break;
            }
        }
        if (length > 0) {
            out.append(name.substr(i, length));
            i += length;
            continue;
        }
        static constexpr char kHex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(name[i++]);
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return out;
}

std::string GetDelimitedField(int index, std::string_view text, std::string_view delimiter) {
    std::string field;
    int count = 0;
    for (std::string_view c : Characters(text)) {
        if (c == delimiter) {
            ++count;
            if (count > index) break;
        } else if (count == index) {
            field += c;
        }
    }
    return field;
}

namespace {

struct TErrorText {
    int Code;
    const char* Text;
};

// The reasons a user meets while copying, downloading or saving, worded as the Japanese
// system the programs were made for words them.
constexpr TErrorText kErrorTexts[] = {
    {0, "この操作を正しく終了しました。"},
    {EPERM, "この操作を行う権限がありません。"},
    {ENOENT, "指定されたファイルまたはフォルダが見つかりません。"},
    {EIO, "入出力エラーが発生しました。"},
    {ENXIO, "デバイスが見つかりません。"},
    {E2BIG, "引数リストが長すぎます。"},
    {EBADF, "ファイルの指定が正しくありません。"},
    {EAGAIN, "リソースが一時的に使用できません。"},
    {ENOMEM, "メモリが不足しています。"},
    {EACCES, "アクセスが拒否されました。"},
    {EBUSY, "デバイスまたはリソースが使用中です。"},
    {EEXIST, "同じ名前のファイルが既に存在します。"},
    {EXDEV, "別のドライブへ移動することはできません。"},
    {ENODEV, "デバイスが見つかりません。"},
    {ENOTDIR, "パスの途中にフォルダではないものがあります。"},
    {EISDIR, "指定された名前はフォルダです。"},
    {EINVAL, "パラメーターが正しくありません。"},
    {ENFILE, "開いているファイルが多すぎます。"},
    {EMFILE, "開いているファイルが多すぎます。"},
    {ETXTBSY, "ファイルは使用中です。"},
    {EFBIG, "ファイルが大きすぎます。"},
    {ENOSPC, "ディスクに十分な空き領域がありません。"},
    {ESPIPE, "シークできない種類のファイルです。"},
    {EROFS, "読み取り専用のファイルシステムには書き込めません。"},
    {EMLINK, "リンクが多すぎます。"},
    {EPIPE, "パイプが閉じられています。"},
    {ENAMETOOLONG, "ファイル名または拡張子が長すぎます。"},
    {ENOTEMPTY, "フォルダが空ではありません。"},
    {ELOOP, "シンボリックリンクはたどれません。"},
    {EDQUOT, "ディスクの使用量が上限に達しました。"},
    {ESTALE, "ネットワーク上のファイルが無効になりました。"},
    {ENOTCONN, "ネットワークに接続されていません。"},
    {ECONNRESET, "接続が相手側からリセットされました。"},
    {ECONNREFUSED, "接続が拒否されました。"},
    {ETIMEDOUT, "接続がタイムアウトしました。"},
    {ENETDOWN, "ネットワークが停止しています。"},
    {ENETUNREACH, "ネットワークに到達できません。"},
    {EHOSTUNREACH, "ホストに到達できません。"},
    {ECANCELED, "操作は取り消されました。"},
};

// The C library's message for the code in its Japanese catalogue; empty when the machine has
// no Japanese locale or the catalogue leaves the message untranslated.
std::string CLibraryJapaneseText(int code) {
    static const locale_t japanese = [] {
        for (const char* name : {"ja_JP.UTF-8", "ja_JP.utf8"}) {
            if (locale_t l = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr)))
                return l;
        }
        return static_cast<locale_t>(nullptr);
    }();
    static const locale_t plain = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (!japanese || !plain) return {};
    const std::string text = strerror_l(code, japanese);
    if (text.empty() || text == strerror_l(code, plain)) return {};
    return text;
}

}  // namespace

std::string SysErrorText(int code) {
    for (const TErrorText& e : kErrorTexts) {
        if (e.Code == code) return e.Text;
    }
    std::string text = CLibraryJapaneseText(code);
    if (!text.empty()) return text;
    return "システムエラーが発生しました (エラー番号 " + std::to_string(code) + ")。";
}

std::string EntryNameAllowingAllButSlash(std::string_view text) {
    // The control characters are those that ControlCharsToBlanks turns into blanks, so that a
    // play-list line written from the name still names the file.
    std::string name;
    name.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            name += '_';
            ++i;
        } else {
            name += (b == '/' || b < 0x20 || b == 0x7F) ? '_' : text[i];
        }
    }
    if (name.find_first_not_of('.') == std::string::npos) name.insert(name.begin(), '_');
    return name;
}

std::string EntryNameAllowingAllButSlashTrimmed(std::string_view text, std::string_view fallback) {
    const size_t first = text.find_first_not_of(" .");
    if (first == std::string_view::npos) return std::string(fallback);
    const size_t last = text.find_last_not_of(" .");
    return EntryNameAllowingAllButSlash(text.substr(first, last - first + 1));
}

std::string EntryNameWithoutReservedChars(std::string_view text, std::string_view fallback) {
    std::string name = ReplaceInvalidFileChars(text);
    if (name.empty() || name == "." || name == "..") name = fallback;
    if (!name.empty() && name[0] == '.') name[0] = '_';
    return name;
}

namespace {

std::string BlankSlashAndZero(std::string_view text) {
    std::string name(text);
    for (char& c : name) {
        if (c == '/' || c == '\0') c = ' ';
    }
    return name;
}

}  // namespace

std::string EntryNameAllowingAllButSlashAndZero(std::string_view text) { return BlankSlashAndZero(text); }

std::string EntryNameAllowingAllButSlashAndZeroOrNone(std::string_view text) {
    std::string name = BlankSlashAndZero(text);
    if (name.find_first_not_of('.') == std::string::npos) return {};
    return name;
}

std::string EntryNameWithoutReservedCharsAndDots(std::string_view text) {
    // No byte of a multi-byte UTF-8 character is below 32: the control characters are bytes.
    std::string name = ReplaceInvalidFileCharsAndDot(text);
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    }
    name = encoding::Trim(name);
    return encoding::Trim(encoding::Utf8TruncateBytes(name, kMaxEntryNameBytes));
}

namespace {

// The stem and the tail that follows it, fitted: the stem cut so that the tail and the mark
// fit as well; a tail that leaves no room for any stem is cut with it.
std::string FitStemAndTail(std::string_view stem, std::string_view tail, size_t maxBytes, TNameFit fit) {
    std::string whole = std::string(stem) + std::string(tail);
    if (whole.size() <= maxBytes) return whole;
    std::string mark;
    if (fit == TNameFit::Marked) {
        uint32_t hash = 2166136261u;  // FNV-1a
        for (const char c : whole) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
        char text[10];
        std::snprintf(text, sizeof text, "~%08x", hash);
        mark = text;
    }
    if (tail.size() + mark.size() >= maxBytes) {
        stem = whole;
        tail = {};
    }
    const size_t room = maxBytes > tail.size() + mark.size() ? maxBytes - tail.size() - mark.size() : 0;
    return std::string(encoding::Utf8TruncateBytes(stem, room)) + mark + std::string(tail);
}

TExtensionRule ExtensionRuleOf(TNameFit fit) {
    return fit == TNameFit::Cut ? TExtensionRule::LastDot : TExtensionRule::ShortAfterStem;
}

}  // namespace

std::string EntryNameFitting(std::string_view name, size_t maxBytes, TNameFit fit) {
    const size_t split = ExtensionStart(name, ExtensionRuleOf(fit));
    return FitStemAndTail(name.substr(0, split), name.substr(split), maxBytes, fit);
}

std::string FreeEntryName(std::string_view name, size_t maxBytes, int highestNumber, TNameFit fit,
                          const std::function<bool(const std::string&)>& taken) {
    std::string candidate = EntryNameFitting(name, maxBytes, fit);
    if (!taken(candidate)) return candidate;
    const size_t split = ExtensionStart(name, ExtensionRuleOf(fit));
    const std::string_view stem = name.substr(0, split);
    const std::string_view extension = name.substr(split);
    for (int n = 2; n <= highestNumber; ++n) {
        const std::string number = "(" + std::to_string(n) + ")";
        if (fit == TNameFit::Marked) {
            candidate = FitStemAndTail(std::string(stem) + number, extension, maxBytes, fit);
        } else if (number.size() + extension.size() < maxBytes) {
            candidate = FitStemAndTail(stem, number + std::string(extension), maxBytes, fit);
        } else {
            // An "extension" too long to keep beside the number is cut instead of the number.
            candidate = FitStemAndTail(name, number, maxBytes, fit);
        }
        if (!taken(candidate)) return candidate;
    }
    return {};
}

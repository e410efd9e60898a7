#include "organiser/memo_divider.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_write.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"

namespace {

constexpr const char* kEncodingLine = "<?xml encoding=\"Shift-JIS\"?>";
constexpr int64_t kEncodingReserve = 29;  // the 28 bytes of the encoding line plus 1

std::string Number3(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", n);
    return buf;
}

// The byte length of the Shift_JIS character at p: two from a lead byte on (a lead byte at the
// very end stands alone).
size_t CharLength(const std::string& text, size_t p) {
    return encoding::IsSjisLeadByte(static_cast<uint8_t>(text[p])) && p + 1 < text.size() ? 2 : 1;
}

bool IsJapaneseBreak(const std::string& text, size_t p, size_t len) {
    if (len == 1) return text[p] == ',' || text[p] == '\n';
    if (static_cast<uint8_t>(text[p]) != 0x81) return false;
    // 、 。 ． ？ ！ in code page 932.
    switch (static_cast<uint8_t>(text[p + 1])) {
        case 0x41:
        case 0x42:
        case 0x44:
        case 0x48:
        case 0x49: return true;
        default: return false;
    }
}

bool IsEnglishBreak(const std::string& text, size_t p, size_t len) {
    if (len != 1) return false;
    const char c = text[p];
    return c == '.' || c == ',' || c == '?' || c == '!' || c == '\n';
}

// True when text[from, to) holds a byte that is not part of a line break.
bool HoldsText(const std::string& text, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        if (text[i] != '\r' && text[i] != '\n') return true;
    }
    return false;
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Whether name could be "<base>.txt" or "<base> <digits>.txt", letters compared without case as
// a FAT volume compares them.
bool MayBePageName(std::string_view name, std::string_view base) {
    if (name.size() < base.size() + 4 || !SameLetters(name.substr(0, base.size()), base)) return false;
    std::string_view rest = name.substr(base.size());
    if (!SameLetters(rest.substr(rest.size() - 4), ".txt")) return false;
    rest.remove_suffix(4);
    if (rest.empty()) return true;
    if (rest.size() < 2 || rest[0] != ' ') return false;
    for (const char c : rest.substr(1)) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

std::string MemoKeptMessage(const std::string& note, const std::string& title) {
    return "メモ[ " + note + " ]は書き換えずに残しました。同じ名前のメモがあるため、[ " + title +
           " ]のメモは書き込んでいません。";
}

struct TTolvMemoDivider::Context {
    std::string folder;  // target folder, "" or ending in "/"
    std::string shown;   // what messages put before a file name: the sub-folder of FCopyDir
    int64_t room = 0;
    std::string progress;                     // the progress message
    bool dry = false;                         // a run that only counts the pages
    int pages = 0;                            // the pages the dry run would write
    std::unordered_set<std::string> replace;  // names whose notes may be replaced
};

void TTolvMemoDivider::AssignText(std::vector<std::string>&& Source) {
    if (std::none_of(Source.begin(), Source.end(),
                     [](const std::string& line) { return line.find_first_of("\r\n") != std::string::npos; })) {
        FLines = std::exchange(Source, {});
        return;
    }
    AssignText(static_cast<const std::vector<std::string>&>(Source));
    Source.clear();
}

void TTolvMemoDivider::AssignText(const std::vector<std::string>& Source) {
    FLines.clear();
    for (const auto& line : Source) {
        if (line.find_first_of("\r\n") == std::string::npos) {
            FLines.push_back(line);
        } else {
            for (auto& part : SplitLines(line + "\r\n")) FLines.push_back(std::move(part));
        }
    }
}

std::string TTolvMemoDivider::SafeTitle() const { return EntryNameAllowingAllButSlashAndZero(FTitle); }

std::string TTolvMemoDivider::PageFileName(int n) const { return SafeTitle() + " " + Number3(n) + ".txt"; }

std::string TTolvMemoDivider::SingleFileName() const { return SafeTitle() + ".txt"; }

std::string TTolvMemoDivider::LinkLine(int n) const {
    return encoding::Utf8ToCp932("<A HREF=\"" + PageFileName(n) + "\">≪次へ≫</A>");
}

std::vector<std::string> TTolvMemoDivider::HeadLines(int n) const {
    std::vector<std::string> head;
    if (FPageNo) head.push_back(encoding::Utf8ToCp932("【Page " + std::to_string(n) + "】"));
    if (FEncodeTag) head.emplace_back(kEncodingLine);
    if (FTitleTag) head.push_back(encoding::Utf8ToCp932("<Title>" + FTitle + " " + Number3(n) + "</Title>"));
    return head;
}

int64_t TTolvMemoDivider::Room() const {
    int64_t room = FPageSize;
    if (FNextLink) room -= static_cast<int64_t>(LinkLine(0).size()) + 1;
    if (FPageNo) room -= static_cast<int64_t>(HeadLines(999).front().size()) + 1;
    if (FEncodeTag) room -= kEncodingReserve;
    if (FTitleTag) {
        room -= static_cast<int64_t>(encoding::Utf8ToCp932("<Title>" + FTitle + " 999</Title>").size()) + 1;
    }
    return room;
}

void TTolvMemoDivider::ShowMessage(const std::string& text) const {
    if (FOnMessage) FOnMessage(text);
}

std::string TTolvMemoDivider::RemoveRuby(std::string_view SjisText, const TTolvProgressEvent& Progress) {
    const std::string text(SjisText);
    std::string result;
    result.reserve(text.size());
    // 《 》 and ［ ］ in code page 932.
    static const char* const kOpen[] = {"\x81\x73", "\x81\x6d"};
    static const char* const kClose[] = {"\x81\x74", "\x81\x6e"};
    int k = 0;
    const int32_t max = static_cast<int32_t>(text.size());
    size_t p = 0;
    while (p < text.size()) {
        const size_t len = CharLength(text, p);
        if (Progress) Progress(static_cast<int32_t>(p + 2), max, "ルビを除去中です");
        const std::string_view c(text.data() + p, len);
        if (k == 0) {
            if (c == kOpen[0]) {
                k = 1;
            } else if (c == kOpen[1]) {
                k = 2;
            } else {
                result.append(c);
            }
        } else if (c == kClose[k - 1]) {
            k = 0;
        }
        p += len;
    }
    return result;
}

void TTolvMemoDivider::WriteNote(const Context& ctx, const std::string& name, std::string_view bytes) {
    const std::string path = ctx.folder + name;
    if (FBeforeWrite) FBeforeWrite(path, bytes);
    // A name found free is written only while it still is: nothing the check did not allow is
    // ever replaced.
    if (ctx.replace.contains(name)) {
        WriteWholeFile(path, bytes);
    } else {
        WriteNewFile(path, bytes);
    }
    FWritten.push_back(path);
    if (FAfterWrite) FAfterWrite(path);
}

void TTolvMemoDivider::WritePage(Context& ctx, int n, const std::vector<std::string>& lines) {
    if (ctx.dry) {
        ctx.pages = n;
        return;
    }
    WriteNote(ctx, PageFileName(n), JoinLines(lines));
}

bool TTolvMemoDivider::NameMayBeWritten(Context& ctx, const std::string& name) {
    const std::string path = ctx.folder + name;
    if (!NameTaken(path)) return true;
    if (FMayReplace && FMayReplace(path)) {
        ctx.replace.insert(name);
        return true;
    }
    FKept = path;
    ShowMessage(MemoKeptMessage(ctx.shown + name, FTitle));
    return false;
}

bool TTolvMemoDivider::PagesMayBeWritten(Context& ctx, const std::function<void()>& cut) {
    // Only a folder that holds something of a page's name needs the pages counted first.
    bool taken = false;
    {
        const std::string base = SafeTitle();
        TFolderReader folder(ctx.folder.empty() ? std::string(".") : ctx.folder);
        TFolderEntry entry{};
        while (!taken && folder.Next(entry)) taken = MayBePageName(entry.Name, base);
        for (const std::string& name : folder.Skipped()) taken = taken || MayBePageName(name, base);
    }
    if (!taken) return true;
    ctx.dry = true;
    ctx.pages = 0;
    cut();
    ctx.dry = false;
    for (int n = 1; n <= ctx.pages; ++n) {
        if (!NameMayBeWritten(ctx, PageFileName(n))) return false;
    }
    return true;
}

void TTolvMemoDivider::Divide(const std::string& Folder) {
    FWritten.clear();
    FKept.clear();
    Context ctx;
    ctx.room = Room();
    // With no room every line would be refused and every character would get a page of its
    // own: refuse the whole text with the message a line too long for the room gets.
    if (ctx.room <= 0) {
        ShowMessage(kMemoLineTooLong);
        return;
    }
    ctx.progress = "メモ[ " + FTitle + " ]の分割処理中";
    ctx.folder = TrimmedWithTrailingSlash(Folder);
    if (FCopyDir) {
        std::string sub = SafeTitle();
        // A title of dots would name the folder itself or its parent.
        if (sub == "." || sub == "..") sub.assign(sub.size(), '_');
        ctx.folder += sub + "/";
        ctx.shown = sub + "/";
        if (!NameTaken(ctx.folder) && ::mkdir(ctx.folder.c_str(), 0777) != 0) {
            throw EFileError("フォルダ " + ctx.folder + " を作成できません。" + SysErrorText(errno));
        }
    }

    // Line breaks are the same bytes in both encodings: each line converts on its own, so a
    // long text is never held joined in UTF-8 beside its lines.
    std::vector<std::string> lines;
    lines.reserve(FLines.size());
    for (const auto& line : FLines) lines.push_back(encoding::Utf8ToCp932(line));
    if (FDelRuby) {
        std::string joined = JoinLines(lines);
        lines = {};
        const std::string removed = RemoveRuby(joined, FOnProgress);
        joined = {};
        lines = SplitLines(removed);
        FLines.clear();
        for (const auto& line : lines) FLines.push_back(encoding::Cp932ToUtf8(line));
    }
    int64_t length = 0;
    for (const auto& line : lines) length += static_cast<int64_t>(line.size()) + 2;

    if (length + (FEncodeTag ? kEncodingReserve : 0) <= ctx.room) {
        std::string bytes;
        if (FEncodeTag) bytes += std::string(kEncodingLine) + "\r\n";
        if (FTitleTag) bytes += encoding::Utf8ToCp932("<Title>" + FTitle + "</Title>") + "\r\n";
        bytes += JoinLines(lines);
        bytes += "\r\n";
        if (!NameMayBeWritten(ctx, SingleFileName())) return;
        WriteNote(ctx, SingleFileName(), bytes);
        return;
    }
    switch (FCutType) {
        case 0:
            if (PagesMayBeWritten(ctx, [&] { CutByLines(ctx, lines); })) CutByLines(ctx, lines);
            break;
        case 1:
        case 2:
        case 3: {
            const std::string text = JoinLines(lines);
            lines = {};
            if (PagesMayBeWritten(ctx, [&] { CutByCharacters(ctx, text); })) CutByCharacters(ctx, text);
            break;
        }
        default: break;
    }
}

void TTolvMemoDivider::CutByLines(Context& ctx, const std::vector<std::string>& lines) {
    int n = 1;
    int64_t size = 0;
    size_t i = 0;
    std::vector<std::string> page = HeadLines(n);
    const int32_t max = static_cast<int32_t>(lines.size());
    while (i < lines.size()) {
        if (FOnProgress) FOnProgress(static_cast<int32_t>(i + 1), max, ctx.progress);
        const int64_t length = static_cast<int64_t>(lines[i].size());
        if (length + 2 >= ctx.room) {
            if (!ctx.dry) ShowMessage(kMemoLineTooLong);
            return;
        }
        if (length + size + 2 < ctx.room) {
            page.push_back(lines[i]);
            size += length + 2;
            if (i + 1 == lines.size()) {
                WritePage(ctx, n, page);
                return;
            }
            ++i;
        } else {
            if (FNextLink) page.push_back(LinkLine(n + 1));
            WritePage(ctx, n, page);
            ++n;
            page = HeadLines(n);
            size = 0;
        }
    }
}

void TTolvMemoDivider::CutByCharacters(Context& ctx, const std::string& text) {
    const size_t end = text.size();
    const int32_t max = static_cast<int32_t>(end);
    size_t p = 0;  // next character
    size_t s = 0;  // start of the current page
    size_t b = 0;  // just after the last break character
    int64_t size = 0;
    int n = 1;
    // Past this position only line breaks are left.
    const size_t last_text = text.find_last_not_of("\r\n");
    const size_t text_end = last_text == std::string::npos ? 0 : last_text + 1;

    auto write = [&](size_t from, size_t to, bool link) {
        if (ctx.dry) {
            ctx.pages = n;
            return;
        }
        std::vector<std::string> page = HeadLines(n);
        for (auto& line : SplitLines(std::string_view(text).substr(from, to - from))) {
            page.push_back(std::move(line));
        }
        if (link) page.push_back(LinkLine(n + 1));
        WritePage(ctx, n, page);
    };

    while (p < end) {
        if (FOnProgress) FOnProgress(static_cast<int32_t>(p + 2), max, ctx.progress);
        const size_t len = CharLength(text, p);
        const size_t at = p;
        p += len;
        if (FCutType == 1) {
            if (IsJapaneseBreak(text, at, len)) b = p;
        } else if (FCutType == 2) {
            if (IsEnglishBreak(text, at, len)) b = p;
        } else {
            b = p;
        }
        if (static_cast<int64_t>(len) + size < ctx.room) {
            size += static_cast<int64_t>(len);
            if (p >= end) {
                write(s, end, false);
                return;
            }
            continue;
        }
        size_t cut = b;
        if (cut <= s || !HoldsText(text, s, cut)) {
            // No break character since the page start (or only line breaks): cut where the
            // room ran out, so that the page holds text and nothing is lost. A lone character
            // too big for the room takes a page of its own.
            cut = HoldsText(text, s, at) ? at : p;
        }
        if (cut >= text_end) {
            // Only line breaks are left: this is the last page, not a page of its own.
            write(s, end, false);
            return;
        }
        write(s, cut, FNextLink);
        ++n;
        size = static_cast<int64_t>(p - cut);
        s = cut;
    }
    if (s < end) write(s, end, false);
}

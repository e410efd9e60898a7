#include "desktop/imports.h"

#include <exception>
#include <utility>

#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QStringList>

#include "desktop/dialogs/memo_divide_form.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_write.h"
#include "foundation/gui/file_filter.h"
#include "foundation/gui/message_box.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/song_copy.h"
#include "organiser/memo_divider.h"

namespace harrowin {

namespace {

std::function<std::string(const std::string&)> gOpenFileHook;

constexpr const char* kEncodingLine = "<?xml encoding=\"Shift-JIS\"?>";

std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The player's folder of the notes, contacts or calendar list ("" without a player).
std::string FolderOf(TPageHost& host, TListKind list) {
    const TMPlayerChecker& c = CheckerOf(host.Player());
    const std::string& folder = list == TListKind::Notes      ? c.NotesPath
                                : list == TListKind::Contacts ? c.ContactsPath
                                                              : c.CalendarsPath;
    return folder.empty() ? std::string() : WithTrailingSlash(folder);
}

// Runs a write to the player. A pulled player answers as its file system goes (a lost
// connection, an input error, a missing folder): once it has gone, the user is told the device
// is missing, as after a copy, and nothing more is written.
template <typename TWrite>
void WriteToPlayer(TPageHost& host, TWrite&& write) {
    if (PlayerGoneAway(host)) throw EFileError(PlayerGoneText());
    try {
        write();
    } catch (const ETolvError&) {
        if (PlayerGoneAway(host)) throw EFileError(PlayerGoneText());
        throw;
    }
}

// A note of that name is the user's own: it is replaced only when the user says so (No by
// default, so a hurried Enter keeps it).
bool MayReplaceNote(TPageHost& host, const std::string& note) {
    if (!NameTaken(note)) return true;
    TMessageRequest question{
        "メモ[ " + ReadableFileName(FileNameOf(note)) + " ]は既に存在します。上書きしてもよろしいですか？",
        {},
        TMsgIcon::Warning,
        TMsgButtons::YesNo};
    question.NoByDefault = true;
    return MessageBox(host.DialogParent(), question) == TMsgResult::Yes;
}

void ImportByCopy(TPageHost& host, const std::string& FileName, TListKind list) {
    if (!CopyIntoFolder(FileName, FolderOf(host, list))) {
        ShowMessage(host.DialogParent(), "[ " + FileName + " ]のコピーに失敗しました");
    }
    host.LoadTabList(list);
}

}  // namespace

std::string ImportFilter(int tag) {
    switch (tag) {
        case 0:
            return "全てのテキストファイル|*.TXT;*.C;*.PAS;*.CPP;|テキストファイル|*.TXT;|ソースコードファイル|*.C;*."
                   "PAS;*.CPP;*.H;*.CS;*.BAS;*.VHD|全てのファイル(*.*)|*.*";
        case 1: return "vCardファイル(*.VCF)|*.VCF|全てのファイル(*.*)|*.*";
        case 2: return "vCalendarファイル(*.ICS)|*.ICS|全てのファイル(*.*)|*.*";
        default: return {};
    }
}

std::string ImportFilterForQt(int tag) { return QtFileFilter(ImportFilter(tag)); }

int64_t SjisTextLength(const std::vector<std::string>& lines) {
    int64_t length = 0;
    for (const std::string& line : lines) length += static_cast<int64_t>(encoding::Utf8ToCp932(line).size()) + 2;
    return length;
}

bool TextNeedsSplit(int64_t length, bool addEncoded) { return length >= 4096 || (length >= 4000 && addEncoded); }

void WriteSingleNote(const std::string& folder, const std::string& sourceFile, const std::vector<std::string>& lines,
                     bool addEncoded) {
    std::vector<std::string> note;
    if (addEncoded) note.emplace_back(kEncodingLine);
    note.insert(note.end(), lines.begin(), lines.end());
    WriteWholeFile(WithTrailingSlash(folder) + FileNameOf(sourceFile), encoding::Utf8ToCp932(JoinLines(note)));
}

void SetImportOpenFileHook(std::function<std::string(const std::string&)> hook) { gOpenFileHook = std::move(hook); }

std::string AskImportFileName(TPageHost& host, int tag) {
    const std::string filter = ImportFilterForQt(tag);
    if (gOpenFileHook) return gOpenFileHook(filter);
    return QFileDialog::getOpenFileName(host.DialogParent(), QString(), QString(), QString::fromStdString(filter),
                                        nullptr, kFilterTextsOnly)
        .toStdString();
}

void Button_MemoInputClick(TPageHost& host, int tag) {
    const std::string name = AskImportFileName(host, tag);
    if (name.empty()) return;
    try {
        ImportFile(host, name, tag);
    } catch (const ETolvError& e) {
        ShowMessage(host.DialogParent(), e.Message());
    }
}

void ImportFile(TPageHost& host, const std::string& FileName, int32_t Kind) {
    switch (Kind) {
        case 0: ImportTextFile(host, FileName); break;
        case 1: ImportContactFile(host, FileName); break;
        case 2: ImportCalendarFile(host, FileName); break;
        default: break;
    }
}

void ImportTextFile(TPageHost& host, const std::string& FileName) {
    const std::string notes = FolderOf(host, TListKind::Notes);
    if (notes.empty()) return;
    // The question and the splitting dialog let window messages run: a player pulled meanwhile
    // stays known until the import has said so.
    const TPlayerWork work(host);
    std::vector<std::string> lines;
    {
        TTolvStringList list;
        list.LoadFromFile(FileName, kTextDetect);
        lines = list.Lines();
    }
    const bool addEncoded = host.Settings().TextDivide.AddEncoded;
    bool ok = true;
    if (TextNeedsSplit(SjisTextLength(lines), addEncoded)) {
        ok = ImportTextAsNotes(host, notes, std::move(lines), FileName);
    } else {
        if (!MayReplaceNote(host, notes + FileNameOf(FileName))) return;
        WriteToPlayer(host, [&] { WriteSingleNote(notes, FileName, lines, addEncoded); });
    }
    if (ok) host.LoadTabList(TListKind::Notes);
}

void ImportContactFile(TPageHost& host, const std::string& FileName) {
    ImportByCopy(host, FileName, TListKind::Contacts);
}

void ImportCalendarFile(TPageHost& host, const std::string& FileName) {
    ImportByCopy(host, FileName, TListKind::Calendar);
}

bool ImportTextAsNotes(TPageHost& host, const std::string& Folder, std::vector<std::string> Lines,
                       const std::string& FileName) {
    TMemoDivideForm form(host.DialogParent());
    TTolvMemoDivider divider;
    divider.FOnMessage = [&host](const std::string& text) { ShowMessage(host.DialogParent(), text); };
    TTolvIPodINI& settings = host.Settings();
    form.LoadFrom(settings, WithoutExtension(FileNameOf(FileName)));
    bool ok = true;
    if (settings.TextDivide.EveryDisplay) {
        form.exec();
        ok = form.FOk;
    }
    if (!ok) return false;
    form.StoreTo(settings);
    form.ApplyTo(divider);
    divider.AssignText(std::move(Lines));
    // A long text takes minutes on a slow player: it is divided in the progress window, whose
    // Cancel (or close box) stops it after the page being written; the pages written stay.
    const TPlayerWork work(host);
    std::exception_ptr failure;
    RunWithProgress(
        "テキストファイルの取り込み", 0, 1000,
        [&](QProgressBar* bar, QLabel* label, bool& cancel) {
            TProgressPump pump(bar, label, cancel, true);
            divider.FOnProgress = [&](int32_t p, int32_t m, const std::string& msg) {
                if (pump.Step(p, m, msg) || host.PlayerGone()) throw EDivideCancelled();
            };
            try {
                divider.Divide(Folder);
            } catch (const EDivideCancelled&) {
            } catch (...) {
                failure = std::current_exception();
            }
            divider.FOnProgress = {};
            return bar->value();
        },
        host.DialogParent());
    // A division the pulled player stopped is said, whether a write failed first or the
    // removal was noticed first.
    WriteToPlayer(host, [&] {
        if (failure) std::rethrow_exception(failure);
    });
    return true;
}

}  // namespace harrowin

#include "desktop/imports.h"

#include <QFileDialog>
#include <QStringList>

#include "desktop/dialogs/memo_divide_form.h"
#include "desktop/main_form.h"
#include "desktop/past_entries.h"
#include "desktop/player_access.h"
#include "desktop/settings.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_write.h"
#include "foundation/gui/file_filter.h"
#include "foundation/gui/message_box.h"
#include "foundation/paths.h"
#include "foundation/string_list.h"
#include "organiser/memo_divider.h"

namespace {

std::function<std::string(const std::string&)> gOpenFileHook;

constexpr const char* kEncodingLine = "<?xml encoding=\"Shift-JIS\"?>";

std::string WithoutExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string FolderOf(TMainForm& main, int kind) {
    const TMPlayerChecker& c = CheckerOf(main.Player());
    const std::string& folder = kind == 0 ? c.NotesPath : kind == 1 ? c.ContactsPath : c.CalendarsPath;
    return folder.empty() ? std::string() : IncludeBackslash(folder);
}

void ImportByCopy(TMainForm& main, const std::string& FileName, int kind) {
    if (!CopyIntoFolder(FileName, FolderOf(main, kind))) {
        ShowMessage(&main, "[ " + FileName + " ]のコピーに失敗しました");
    }
    main.LoadTabList(kind);
}

}  // namespace

std::string ImportFilter(int tag) {
    switch (tag) {
        case 0:
            return "全てのテキストファイル|*.TXT;*.C;*.PAS;*.CPP;|テキストファイル|*.TXT;|ソースコードファイル|*.C;*.PAS;*.CPP;*.H;*.CS;*.BAS;*.VHD|全てのファイル(*.*)|*.*";
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
    WriteWholeFile(IncludeBackslash(folder) + FileNameOf(sourceFile),
                                   encoding::Utf8ToCp932(JoinLines(note)));
}

void SetImportOpenFileHook(std::function<std::string(const std::string&)> hook) { gOpenFileHook = std::move(hook); }

std::string AskImportFileName(TMainForm& main, int tag) {
    const std::string filter = ImportFilterForQt(tag);
    if (gOpenFileHook) return gOpenFileHook(filter);
    return QFileDialog::getOpenFileName(&main, QString(), QString(), QString::fromStdString(filter), nullptr,
                                        kFilterTextsOnly)
        .toStdString();
}

void Button_MemoInputClick(TMainForm& main, int tag) {
    const std::string name = AskImportFileName(main, tag);
    if (name.empty()) return;
    try {
        ImportFile(main, name, tag);
    } catch (const ETolvError& e) {
        ShowMessage(&main, e.Message());
    }
}

void ImportFile(TMainForm& main, const std::string& FileName, int32_t Kind) {
    switch (Kind) {
        case 0: ImportTextFile(main, FileName); break;
        case 1: ImportContactFile(main, FileName); break;
        case 2: ImportCalendarFile(main, FileName); break;
        default: break;
    }
}

void ImportTextFile(TMainForm& main, const std::string& FileName) {
    const std::string notes = FolderOf(main, 0);
    if (notes.empty()) return;
    TTolvStringList list;
    list.LoadFromFile(FileName, kTextDetect);
    const std::vector<std::string>& lines = list.Lines();
    const bool addEncoded = main.Settings().TextDivide.AddEncoded;
    bool ok = true;
    if (TextNeedsSplit(SjisTextLength(lines), addEncoded)) {
        ok = ImportTextAsNotes(main, notes, lines, FileName);
    } else {
        WriteSingleNote(notes, FileName, lines, addEncoded);
    }
    if (ok) main.LoadTabList(0);
}

void ImportContactFile(TMainForm& main, const std::string& FileName) { ImportByCopy(main, FileName, 1); }

void ImportCalendarFile(TMainForm& main, const std::string& FileName) { ImportByCopy(main, FileName, 2); }

bool ImportTextAsNotes(TMainForm& main, const std::string& Folder, const std::vector<std::string>& Lines,
                       const std::string& FileName) {
    TMemoDivideForm form(&main);
    TTolvMemoDivider divider;
    divider.FOnProgress = [&main](int32_t p, int32_t m, const std::string& msg) { main.ShowProgressInStatus(p, m, msg); };
    divider.FOnMessage = [&main](const std::string& text) { ShowMessage(&main, text); };
    TTolvIPodINI& settings = main.Settings();
    form.LoadFrom(settings, WithoutExtension(FileNameOf(FileName)));
    bool ok = true;
    if (settings.TextDivide.EveryDisplay) {
        form.exec();
        ok = form.FOk;
    }
    if (!ok) return false;
    form.StoreTo(settings);
    form.ApplyTo(divider);
    divider.AssignText(Lines);
    divider.Divide(Folder);
    return true;
}

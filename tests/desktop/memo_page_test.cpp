// The notes page and the note editor: the list's columns, opening and saving notes, the close
// question, and deleting one or several notes.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "desktop/dialogs/memo_form.h"
#include "desktop/pages/memo_page.h"
#include "desktop/pages/news_page.h"
#include "foundation/encoding.h"
#include "harrowin_work/settings.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

namespace fs = std::filesystem;

class MemoPageTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { TMemoForm::SaveDialogHook = {}; }
    void listColumns();
    void hostileNotesFolder();
    void deleteNotes();
    void rowsActOnTheirOwnFile();
    void editorSaveAndClose();
    void editorFromThePage();
    void keypadEnterEditsTheSelectedNoteAndSite();
    void doubleClickWhileTheListLoads();
};

namespace {

std::unique_ptr<TTestPageHost> OpenWithNotes(const TempDir& dir) {
    ItdbDatabase db;
    db.Songs = {TestSong(1, "歌", "A")};
    WriteTestPlayer(dir, "ipod", db);
    return std::make_unique<TTestPageHost>(dir, "ipod");
}

int RowOf(const TMemoPage& page, const QString& name) {
    for (int i = 0; i < page.MemoListView->topLevelItemCount(); ++i) {
        if (page.MemoListView->topLevelItem(i)->text(0) == name) return i;
    }
    return -1;
}

}  // namespace

void MemoPageTest::listColumns() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenWithNotes(dir);
    dir.Write("ipod/Notes/long.txt", "  \t0123456789abcdefghij\r\nsecond line\r\n" + std::string(1200, 'x'));
    dir.Write("ipod/Notes/empty.txt", std::string());
    // A Shift_JIS note made on Windows: 16 bytes never split a character.
    dir.Write("ipod/Notes/sjis.txt", encoding::Utf8ToCp932("あいうえおかきくけこ\r\n"));
    dir.Write("ipod/Notes/RSS News/News 001.txt", std::string("<Title>News</Title>\r\n"));
    TMemoPage& page = host->Page<TMemoPage>();
    host->LoadTabList(TListKind::Notes);
    QCOMPARE(page.MemoListView->topLevelItemCount(), 4);
    QCOMPARE(host->StatusText(1), QString("メモを読み込みました"));
    const QTreeWidgetItem* lng = page.MemoListView->topLevelItem(RowOf(page, "long.txt"));
    QCOMPARE(lng->text(1), QString("1,238"));
    QCOMPARE(lng->text(2), QString(""));
    QCOMPARE(lng->text(3), QString("0123456789abc"));
    QCOMPARE(page.MemoListView->topLevelItem(RowOf(page, "empty.txt"))->text(3), QString(""));
    QCOMPARE(page.MemoListView->topLevelItem(RowOf(page, "empty.txt"))->text(1), QString("0"));
    QCOMPARE(page.MemoListView->topLevelItem(RowOf(page, "sjis.txt"))->text(3), QString("あいうえおかきく"));
    const int news = RowOf(page, "News 001.txt");
    QCOMPARE(page.MemoListView->topLevelItem(news)->text(2), QString("RSS News/"));
    QCOMPARE(page.RowPath(news), dir / "ipod/Notes/RSS News/News 001.txt");
    // Column captions and the menu entries.
    QCOMPARE(page.MemoListView->headerItem()->text(1), QString("文字数"));
    QCOMPARE(page.PM_MemoNew->shortcut(), QKeySequence("Ctrl+N"));
    QCOMPARE(page.PM_MemoDelete->property("tag").toInt(), 2);
    QCOMPARE(page.PM_MemoImport->shortcut(), QKeySequence(Qt::Key_F9));
    QCOMPARE(NoteHead("abc\rdef"), std::string("abc"));
    QCOMPARE(NoteHead(std::string("\x01 x \x02", 5)), std::string("x"));
}

void MemoPageTest::hostileNotesFolder() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenWithNotes(dir);
    // A 3 GB note whose first line runs past what is read, cut inside a UTF-8 character.
    std::string head;
    while (head.size() < 5000) head += "あ";
    const std::string huge = dir.Write("ipod/Notes/huge.txt", head);
    QVERIFY(::truncate(huge.c_str(), 3LL << 30) == 0);
    dir.Write("ipod/Notes/plain.txt", std::string("text\r\n"));
    fs::create_symlink(dir / "gone.txt", dir / "ipod/Notes/dangling.txt");
    fs::create_symlink("/dev/zero", dir / "ipod/Notes/zero.txt");
    QVERIFY(::mkfifo((dir / "ipod/Notes/pipe.txt").c_str(), 0600) == 0);
    TMemoPage& page = host->Page<TMemoPage>();
    host->LoadTabList(TListKind::Notes);
    QCOMPARE(page.MemoListView->topLevelItemCount(), 2);
    QVERIFY(boxes.Boxes.empty());
    QCOMPARE(page.MemoListView->topLevelItem(RowOf(page, "huge.txt"))->text(3), QString("ああああああああ"));
    QCOMPARE(page.MemoListView->topLevelItem(RowOf(page, "plain.txt"))->text(3), QString("text"));
}

void MemoPageTest::deleteNotes() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenWithNotes(dir);
    for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt"})
        dir.Write(std::string("ipod/Notes/") + n, std::string("x"));
    dir.Write("ipod/Notes/Sub/e.txt", std::string("x"));
    TMemoPage& page = host->Page<TMemoPage>();
    host->LoadTabList(TListKind::Notes);
    QCOMPARE(page.MemoListView->topLevelItemCount(), 5);
    // Nothing selected.
    page.Button_MemoEditClick(2);
    QVERIFY(boxes.Saw("ファイルが選択されていませんので削除できません"));
    // One of five: named alone; No keeps it.
    page.MemoListView->topLevelItem(RowOf(page, "b.txt"))->setSelected(true);
    boxes.Answer = TMsgResult::No;
    page.Button_MemoEditClick(2);
    QVERIFY(boxes.Saw("[ b.txt ]を削除してもよろしいですか？"));
    QVERIFY(fs::exists(dir / "ipod/Notes/b.txt"));
    // Three: the wording for several files, naming the first in list order (the sub-folder's
    // note is listed first).
    page.MemoListView->topLevelItem(RowOf(page, "e.txt"))->setSelected(true);
    page.MemoListView->topLevelItem(RowOf(page, "a.txt"))->setSelected(true);
    boxes.Answer = TMsgResult::Yes;
    page.Button_MemoEditClick(2);
    QVERIFY(boxes.Saw("[ \"e.txt\"を含む複数の選択されたファイル ]を削除してもよろしいですか？"));
    QVERIFY(!fs::exists(dir / "ipod/Notes/a.txt"));
    QVERIFY(!fs::exists(dir / "ipod/Notes/b.txt"));
    QVERIFY(!fs::exists(dir / "ipod/Notes/Sub/e.txt"));
    // The emptied sub-folder was offered for removal (and removed on Yes); the list reloaded.
    QVERIFY(!fs::exists(dir / "ipod/Notes/Sub"));
    QCOMPARE(page.MemoListView->topLevelItemCount(), 2);
}

void MemoPageTest::rowsActOnTheirOwnFile() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenWithNotes(dir);
    // Two names from another computer that differ only in a byte that is no UTF-8 (shown as
    // "bad%FF.txt" and "bad\uFFFD.txt"), and a temporary a killed write left behind.
    const std::string odd = dir.Write("ipod/Notes/bad\xff.txt", std::string("first\r\n"));
    const std::string plain = dir.Write("ipod/Notes/bad\xef\xbf\xbd.txt", std::string("second\r\n"));
    dir.Write("ipod/Notes/.~hw1073741823-3.tmp", std::string("cut short"));
    TMemoPage& page = host->Page<TMemoPage>();
    host->LoadTabList(TListKind::Notes);
    QCOMPARE(page.MemoListView->topLevelItemCount(), 2);
    const int row = RowOf(page, "bad%FF.txt");
    QVERIFY(row >= 0 && RowOf(page, "bad\uFFFD.txt") >= 0);
    QCOMPARE(page.RowPath(row), odd);
    // Editing opens and saves that file.
    TMemoForm::SaveDialogHook = [](const std::string&, const std::string&) -> std::string { return {}; };
    QString text;
    WhenModalWith("MemoEdit", [&](QWidget* w) {
        auto* memo = static_cast<TMemoForm*>(w);
        text = memo->MemoEdit->toPlainText();
        memo->MemoEdit->setPlainText("edited");
        memo->menu_SaveOW->trigger();
        memo->close();
    });
    page.MemoListView->topLevelItem(row)->setSelected(true);
    page.Button_MemoEditClick(0);
    QCOMPARE(text, QString("first\n"));
    QCOMPARE(ReadFileText(odd), std::string("edited\r\n"));
    QCOMPARE(ReadFileText(plain), std::string("second\r\n"));
    // The write cleared the stale temporary from the folder it wrote to.
    QVERIFY(!fs::exists(dir / "ipod/Notes/.~hw1073741823-3.tmp"));
    // Deleting removes that file and no other.
    page.MemoListView->clearSelection();
    page.MemoListView->topLevelItem(RowOf(page, "bad%FF.txt"))->setSelected(true);
    page.Button_MemoEditClick(2);
    QVERIFY(!fs::exists(odd));
    QCOMPARE(ReadFileText(plain), std::string("second\r\n"));
}

void MemoPageTest::editorSaveAndClose() {
    TempDir dir;
    TRecordedBoxes boxes;
    const std::string settingsFile = dir / "Tessmar.INI";
    TTolvIPodINI settings(settingsFile);
    settings.Positions.TView_X = 30;
    settings.Positions.TView_W = 333;
    dir.Write("Notes/.keep", std::string());
    {
        // A new note: "Save" runs the save dialog, starting in the notes folder.
        TMemoForm form(settings);
        form.LoadNote("", dir / "Notes");
        form.show();
        QCOMPARE(form.width(), 333);
        QCOMPARE(form.windowTitle(), QString("メモの編集 - [  ]"));
        QVERIFY(!form.FModified);
        form.MemoEdit->setPlainText("あいう");
        QCOMPARE(form.StatusPanel0->text(), QString("8 words "));
        QVERIFY(form.FModified);
        std::string startFolder;
        TMemoForm::SaveDialogHook = [&](const std::string&, const std::string& folder) {
            startFolder = folder;
            return dir / "Notes/new.txt";
        };
        form.menu_SaveOW->trigger();
        QCOMPARE(startFolder, dir / "Notes");
        QCOMPARE(ReadFileText(dir / "Notes/new.txt"), encoding::Utf8ToCp932("あいう\r\n"));
        QVERIFY(form.FSaved && !form.FModified);
        QCOMPARE(form.windowTitle(), QString::fromStdString("メモの編集 - [ " + (dir / "Notes/new.txt") + " ]"));
        // Save again: no dialog, straight to the file.
        TMemoForm::SaveDialogHook = [](const std::string&, const std::string&) -> std::string {
            throw std::logic_error("no dialog expected");
        };
        form.MemoEdit->setPlainText("かきく\nline");
        form.Menu_FileClick(1);
        QCOMPARE(ReadFileText(dir / "Notes/new.txt"), encoding::Utf8ToCp932("かきく\r\nline\r\n"));
        // "Save as" onto an existing file asks; No leaves both the file and the caption.
        dir.Write("Notes/other.txt", std::string("other"));
        TMemoForm::SaveDialogHook = [&](const std::string&, const std::string&) { return dir / "Notes/other.txt"; };
        boxes.Answer = TMsgResult::No;
        form.Save1->trigger();
        QVERIFY(boxes.Saw("同名のファイルが存在します。上書きしてもよろしいですか？"));
        QCOMPARE(ReadFileText(dir / "Notes/other.txt"), std::string("other"));
        boxes.Answer = TMsgResult::Yes;
        // Closing unchanged asks nothing and stores the geometry.
        boxes.Boxes.clear();
        boxes.Answer = TMsgResult::No;
        QVERIFY(form.close());
        QVERIFY(boxes.Boxes.empty());
        boxes.Answer = TMsgResult::Yes;
        QCOMPARE(settings.Positions.TView_W, 333);
    }
    {
        // Typing, then closing: Cancel keeps the window; so does Yes with a cancelled save dialog.
        TMemoForm form(settings);
        form.LoadNote(dir / "Notes/new.txt", dir / "Notes");
        QCOMPARE(form.MemoEdit->toPlainText(), QString("かきく\nline\n"));
        QVERIFY(!form.FModified);
        form.show();
        form.MemoEdit->setPlainText("changed");
        boxes.Boxes.clear();
        boxes.Answer = TMsgResult::Cancel;
        QVERIFY(!form.close());
        QCOMPARE(boxes.Boxes.size(), size_t(1));
        QCOMPARE(boxes.Boxes[0].Text, std::string("編集結果が保存されていません。保存して閉じますか？"));
        QCOMPARE(boxes.Boxes[0].Buttons, TMsgButtons::YesNoCancel);
        QVERIFY(form.isVisible());
        boxes.Answer = TMsgResult::Yes;
        // New note: the question first; then the text is gone.
        form.New1->trigger();
        QVERIFY(boxes.Saw("今までの編集結果が消去されますがよろしいですか？"));
        QVERIFY(form.MemoEdit->toPlainText().isEmpty());
        QVERIFY(form.FFileName.empty() && !form.FModified);
        form.MemoEdit->setPlainText("unsaved");
        TMemoForm::SaveDialogHook = [](const std::string&, const std::string&) { return std::string(); };
        QVERIFY(!form.close());
        QVERIFY(form.isVisible() && form.FModified);
        QCOMPARE(form.MemoEdit->toPlainText(), QString("unsaved"));
        QCOMPARE(ReadFileText(dir / "Notes/new.txt"), encoding::Utf8ToCp932("かきく\r\nline\r\n"));
        // A name whose write failed is not kept: the next save and the close's Yes ask again.
        int dialogs = 0;
        TMemoForm::SaveDialogHook = [&](const std::string&, const std::string&) {
            ++dialogs;
            return dialogs == 1 ? dir / "gone/new.txt" : std::string();
        };
        form.Save1->trigger();
        form.menu_SaveOW->trigger();
        QVERIFY(!form.close());
        QCOMPARE(dialogs, 3);
        boxes.Answer = TMsgResult::No;
        QVERIFY(form.close());
        boxes.Answer = TMsgResult::Yes;
    }
    {
        // The edit takes at most 4096 characters; undo and redo.
        TMemoForm form(settings);
        form.LoadNote("", dir / "Notes");
        form.MemoEdit->setPlainText(QString(5000, 'a'));
        QCOMPARE(form.MemoEdit->toPlainText().size(), 4096);
        form.FModified = false;
    }
    {
        // The limit is for typing: a longer note opens whole, and an edit saves it whole.
        std::string longNote;
        for (int i = 0; i < 500; ++i) longNote += "line " + std::to_string(10000 + i) + "\r\n";
        const std::string file = dir.Write("Notes/long.txt", longNote);
        TMemoForm form(settings);
        form.LoadNote(file, dir / "Notes");
        form.show();
        QCOMPARE(form.MemoEdit->toPlainText().size(), qsizetype(5500));
        QTextCursor cursor = form.MemoEdit->textCursor();
        cursor.setPosition(0);
        cursor.deleteChar();
        form.MemoEdit->setTextCursor(cursor);
        QTest::keyClicks(form.MemoEdit, "L");
        form.Menu_FileClick(1);
        QCOMPARE(ReadFileText(file), "Line 10000\r\n" + longNote.substr(12));
        form.FModified = false;
    }
}

void MemoPageTest::editorFromThePage() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenWithNotes(dir);
    dir.Write("ipod/Notes/RSS News/News 001.txt", std::string("ニュース\r\n"));
    TMemoPage& page = host->Page<TMemoPage>();
    host->LoadTabList(TListKind::Notes);
    // Double click below the rows with nothing selected: an empty editor for a new note.
    QString title;
    WhenModalWith("MemoEdit", [&](QWidget* w) {
        auto* memo = static_cast<TMemoForm*>(w);
        title = memo->windowTitle();
        memo->close();
    });
    page.MemoListView->resize(400, 300);
    QTest::mouseDClick(page.MemoListView->viewport(), Qt::LeftButton, {}, QPoint(200, 280));
    QCOMPARE(title, QString("メモの編集 - [  ]"));
    // A note of a sub-folder opens from there; saving reloads the list.
    page.MemoListView->topLevelItem(0)->setSelected(true);
    QString text;
    TMemoForm::SaveDialogHook = [](const std::string&, const std::string&) -> std::string { return {}; };
    WhenModalWith("MemoEdit", [&](QWidget* w) {
        auto* memo = static_cast<TMemoForm*>(w);
        text = memo->MemoEdit->toPlainText();
        memo->MemoEdit->setPlainText("更新");
        memo->menu_SaveOW->trigger();
        memo->close();
    });
    page.Button_MemoEditClick(0);
    QCOMPARE(text, QString("ニュース\n"));
    QCOMPARE(ReadFileText(dir / "ipod/Notes/RSS News/News 001.txt"), encoding::Utf8ToCp932("更新\r\n"));
    QCOMPARE(page.MemoListView->topLevelItem(0)->text(3), QString("更新"));
    // With several rows selected, the edit command opens the first of them in list order,
    // whatever order they were picked in.
    dir.Write("ipod/Notes/a.txt", std::string("A\r\n"));
    dir.Write("ipod/Notes/b.txt", std::string("B\r\n"));
    host->LoadTabList(TListKind::Notes);
    const int low = std::min(RowOf(page, "a.txt"), RowOf(page, "b.txt"));
    const int high = std::max(RowOf(page, "a.txt"), RowOf(page, "b.txt"));
    QVERIFY(low >= 0);
    page.MemoListView->clearSelection();
    page.MemoListView->topLevelItem(high)->setSelected(true);
    page.MemoListView->topLevelItem(low)->setSelected(true);
    WhenModalWith("MemoEdit", [&](QWidget* w) {
        auto* memo = static_cast<TMemoForm*>(w);
        title = memo->windowTitle();
        memo->close();
    });
    page.Button_MemoEditClick(0);
    QVERIFY(title.endsWith("/" + page.MemoListView->topLevelItem(low)->text(0) + " ]"));
}

void MemoPageTest::keypadEnterEditsTheSelectedNoteAndSite() {
    // The keypad's Enter is the key many users press: it must act as Enter does on the notes
    // list and on the news site list.
    TempDir dir;
    qputenv("HARROWIN_HOME", QByteArray::fromStdString(dir / "home"));
    TRecordedBoxes boxes;
    auto host = OpenWithNotes(dir);
    dir.Write("ipod/Notes/only.txt", std::string("メモ\r\n"));
    TMemoPage& memo = host->Page<TMemoPage>();
    TNewsPage& news = host->Page<TNewsPage>();
    news.hide();
    host->Window().show();
    QApplication::setActiveWindow(&host->Window());
    QVERIFY(QTest::qWaitForWindowActive(&host->Window()));

    memo.Enter();
    host->LoadTabList(TListKind::Notes);
    memo.MemoListView->setFocus();
    memo.MemoListView->setCurrentItem(memo.MemoListView->topLevelItem(0));
    QString title;
    WhenModalWith("MemoEdit", [&](QWidget* w) {
        title = w->windowTitle();
        w->close();
    });
    QTest::keyClick(memo.MemoListView, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY2(title.endsWith("only.txt ]"), qPrintable(title));

    QApplication::setActiveWindow(&host->Window());
    QVERIFY(QTest::qWaitForWindowActive(&host->Window()));
    memo.hide();
    news.show();
    news.Enter();
    QVERIFY(news.URLListView->topLevelItemCount() > 0);
    news.URLListView->setFocus();
    news.URLListView->setCurrentItem(news.URLListView->topLevelItem(0));
    news.URLListView->topLevelItem(0)->setSelected(true);
    QString site;
    WhenModalWith("Edit_URL", [&](QWidget* w) {
        site = w->findChild<QLineEdit*>("Edit_name")->text();
        w->findChild<QPushButton*>("Button_Cancel")->click();
    });
    QTest::keyClick(news.URLListView, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(site, news.URLListView->topLevelItem(0)->text(0));
}

void MemoPageTest::doubleClickWhileTheListLoads() {
    // The load lets window messages run: a double click then reached the half-made list and
    // opened an editor for a new note in the middle of it.
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = OpenWithNotes(dir);
    dir.Write("ipod/Notes/a.txt", std::string("A\r\n"));
    TMemoPage& page = host->Page<TMemoPage>();
    page.MemoListView->resize(400, 300);
    bool opened = false;
    WhenModalWith("MemoEdit", [&](QWidget* w) {
        opened = true;
        w->close();
    });
    const QPoint at(200, 280);
    QCoreApplication::postEvent(
        page.MemoListView->viewport(),
        new QMouseEvent(QEvent::MouseButtonDblClick, at, page.MemoListView->viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier));
    host->LoadTabList(TListKind::Notes);
    QVERIFY(!opened);
    QCOMPARE(page.MemoListView->topLevelItemCount(), 1);
}

QTEST_MAIN(MemoPageTest)
#include "memo_page_test.moc"

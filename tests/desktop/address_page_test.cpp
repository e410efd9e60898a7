// The contacts page: the list of contact files, the editor, new, edit and delete, and the
// import of contact files.
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "desktop/dialogs/address_form.h"
#include "desktop/pages/address_page.h"
#include "tests/desktop/song_test_player.h"
#include "tests/desktop/test_page_host.h"

using namespace harrowin;

namespace {

// A player with an empty music database and the given contact files.
std::unique_ptr<TTestPageHost> ContactsPlayer(const TempDir& dir,
                                              const std::vector<std::pair<std::string, std::string>>& files) {
    WriteTestPlayer(dir, "ipod", ItdbDatabase{});
    std::filesystem::create_directories(dir / "ipod/Contacts");
    for (const auto& [name, text] : files) dir.Write("ipod/Contacts/" + name, text);
    return std::make_unique<TTestPageHost>(dir, "ipod");
}

std::string Card(const std::string& fn, const std::string& note) {
    return "BEGIN:vcard\r\nVERSION:3.0\r\nFN:" + fn + "\r\nNOTE:" + note + "\r\nEND:vcard\r\n";
}

QTreeWidgetItem* RowOf(QTreeWidget* list, const QString& caption) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == caption) return list->topLevelItem(i);
    }
    return nullptr;
}

}  // namespace

class AddressPageTest : public QObject {
    Q_OBJECT
private slots:
    void listHoldsEveryFileOfTheFolder();
    void aFileThatCannotBeReadLeavesTheOthersListed();
    void newContactsAndTheirFileNames();
    void editingKeepsClearedFieldsAndTheFileName();
    void deleteAsksForTheFirstAndDeletesAll();
    void menuEntriesAndCommands();
    void importRefusesToReplace();
    void editorRowsAndInputBox();
};

void AddressPageTest::listHoldsEveryFileOfTheFolder() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = ContactsPlayer(dir, {{"b.vcf", Card("Bさん", "友人")},
                                     {"sub/a.vcf", Card("Aさん", "")},
                                     {"memo.txt", Card("テキスト", "拡張子違い")},
                                     {"bad.vcf", "これは名刺ではない\r\n"}});
    TAddressPage& page = host->Page<TAddressPage>();
    host->LoadTabList(TListKind::Contacts);
    QTreeWidget* list = page.AddressListView;
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(host->StatusText(1), QString("アドレス帳を読み込みました"));
    // Sub-folder files show under their relative path; other extensions are contacts too;
    // an invalid file lists with empty name and comment.
    QVERIFY(RowOf(list, "sub/a.vcf"));
    QCOMPARE(RowOf(list, "memo.txt")->text(1), QString("テキスト"));
    QCOMPARE(RowOf(list, "memo.txt")->text(2), QString("拡張子違い"));
    QCOMPARE(RowOf(list, "bad.vcf")->text(1), QString());
    // Sorted by the name column, ascending.
    QCOMPARE(list->topLevelItem(0)->text(0), QString("bad.vcf"));
    QCOMPARE(list->topLevelItem(1)->text(1), QString("Aさん"));
    QCOMPARE(list->topLevelItem(3)->text(1), QString("テキスト"));
    // A column click sorts by that column and marks it.
    list->header()->sectionClicked(0);
    QCOMPARE(list->topLevelItem(0)->text(0), QString("b.vcf"));
    QCOMPARE(list->headerItem()->text(0), QString("ファイル名▲"));
    // An emptied list (the player went) reloads on the next entering of the page.
    page.ClearList();
    QVERIFY(page.ListEmpty());
    page.Enter();
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(list->property("tag").toInt(), 5);
}

// A contact file past the read bound is named once; the other contacts list and the status
// says the list is read.
void AddressPageTest::aFileThatCannotBeReadLeavesTheOthersListed() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = ContactsPlayer(
        dir,
        {{"a.vcf", Card("Aさん", "")}, {"b.vcf", Card("Bさん", "")}, {"huge.vcf", ""}, {"c.vcf", Card("Cさん", "")}});
    std::filesystem::resize_file(dir / "ipod/Contacts/huge.vcf", 70 << 20);
    TAddressPage& page = host->Page<TAddressPage>();
    host->LoadTabList(TListKind::Contacts);
    QCOMPARE(page.AddressListView->topLevelItemCount(), 3);
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QVERIFY(boxes.Boxes[0].Text.find("huge.vcf") != std::string::npos);
    QCOMPARE(host->StatusText(1), QString("アドレス帳を読み込みました"));
}

void AddressPageTest::newContactsAndTheirFileNames() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = ContactsPlayer(dir, {{"山田.vcf", Card("山田", "古いメモ")}});
    TAddressPage& page = host->Page<TAddressPage>();
    std::string fullName;
    page.RunEditor = [&](TAddressForm& f) {
        TIpodVCF c;
        c.FN = fullName;
        c.TelCell = "090";
        f.SetContact(c);
        f.Button_OKClick(f.Button_OK);
    };
    // An empty full name gives ".vcf".
    page.Button_AddAddressClick(0);
    QVERIFY(std::filesystem::exists(dir / "ipod/Contacts/.vcf"));
    QVERIFY(ReadFileText(dir / "ipod/Contacts/.vcf").find("tel;type=cell:090\r\n") != std::string::npos);
    QCOMPARE(page.AddressListView->topLevelItemCount(), 2);
    // A new contact under an existing name merges into that file.
    fullName = "山田";
    page.Button_AddAddressClick(0);
    const std::string merged = ReadFileText(dir / "ipod/Contacts/山田.vcf");
    QVERIFY(merged.find("NOTE:古いメモ") != std::string::npos);
    QVERIFY(merged.find("tel;type=cell:090") != std::string::npos);
    // A full name that would leave the folder is refused with a file error; nothing is written.
    fullName = "../外";
    page.Button_AddAddressClick(0);
    QVERIFY(!std::filesystem::exists(dir / "ipod/外.vcf"));
    QCOMPARE(boxes.Boxes.size(), size_t(1));
    QVERIFY(boxes.Boxes.back().Text.find("を作成できません") != std::string::npos);
    fullName = "a/b";
    page.Button_AddAddressClick(0);
    QVERIFY(!std::filesystem::exists(dir / "ipod/Contacts/a"));
    // Cancel writes nothing.
    page.RunEditor = [](TAddressForm& f) { f.Button_OKClick(f.Button_Cancel); };
    const auto before = std::distance(std::filesystem::directory_iterator(dir / "ipod/Contacts"), {});
    page.Button_AddAddressClick(0);
    QCOMPARE(std::distance(std::filesystem::directory_iterator(dir / "ipod/Contacts"), {}), before);
}

void AddressPageTest::editingKeepsClearedFieldsAndTheFileName() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = ContactsPlayer(dir, {{"sub/x.vcf", Card("旧名", "消すメモ")}});
    TAddressPage& page = host->Page<TAddressPage>();
    host->LoadTabList(TListKind::Contacts);
    page.AddressListView->topLevelItem(0)->setSelected(true);
    TIpodVCF seen;
    page.RunEditor = [&](TAddressForm& f) {
        seen = f.GetContact();
        TIpodVCF c = seen;
        c.FN = "新名";
        c.Note = "";
        f.SetContact(c);
        f.Button_OKClick(f.Button_OK);
    };
    page.Button_AddAddressClick(1);
    QCOMPARE(seen.FN, std::string("旧名"));
    const std::string text = ReadFileText(dir / "ipod/Contacts/sub/x.vcf");
    QVERIFY(text.find("FN:新名") != std::string::npos);
    // A blank value is not written: the old line stays.
    QVERIFY(text.find("NOTE:消すメモ") != std::string::npos);
    QVERIFY(!std::filesystem::exists(dir / "ipod/Contacts/新名.vcf"));
    QCOMPARE(page.AddressListView->topLevelItem(0)->text(1), QString("新名"));
}

void AddressPageTest::deleteAsksForTheFirstAndDeletesAll() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = ContactsPlayer(dir, {{"a.vcf", Card("A", "")}, {"b.vcf", Card("B", "")}, {"sub/c.vcf", Card("C", "")}});
    TAddressPage& page = host->Page<TAddressPage>();
    host->LoadTabList(TListKind::Contacts);
    QTreeWidget* list = page.AddressListView;
    // Nothing selected.
    page.Button_AddAddressClick(2);
    QVERIFY(boxes.Saw("ファイルが選択されていませんので削除できません"));
    // Answered No: nothing goes.
    RowOf(list, "sub/c.vcf")->setSelected(true);
    RowOf(list, "b.vcf")->setSelected(true);
    boxes.Answer = TMsgResult::No;
    page.Button_AddAddressClick(2);
    QVERIFY(std::filesystem::exists(dir / "ipod/Contacts/b.vcf"));
    // Yes: the question names the first selected row in list order; both files go.
    boxes.Answer = TMsgResult::Yes;
    boxes.Boxes.clear();
    page.Delete2->trigger();
    QCOMPARE(boxes.Boxes.front().Text, std::string("[ b.vcf ]を削除してもよろしいですか？"));
    QCOMPARE(boxes.Boxes.front().Icon, TMsgIcon::Warning);
    QVERIFY(!std::filesystem::exists(dir / "ipod/Contacts/b.vcf"));
    QVERIFY(!std::filesystem::exists(dir / "ipod/Contacts/sub/c.vcf"));
    QCOMPARE(list->topLevelItemCount(), 1);
    // A file gone meanwhile: the failure text, the others still go, the list reloads.
    host->LoadTabList(TListKind::Contacts);
    dir.Write("ipod/Contacts/d.vcf", Card("D", ""));
    host->LoadTabList(TListKind::Contacts);
    RowOf(list, "a.vcf")->setSelected(true);
    RowOf(list, "d.vcf")->setSelected(true);
    std::filesystem::remove(dir / "ipod/Contacts/a.vcf");
    boxes.Boxes.clear();
    page.Button_AddAddressClick(2);
    QVERIFY(boxes.Saw("ファイルの削除に失敗しました"));
    QVERIFY(!std::filesystem::exists(dir / "ipod/Contacts/d.vcf"));
    QCOMPARE(list->topLevelItemCount(), 0);
    // Two names that differ only in a byte that is no UTF-8: each row opens and deletes its own.
    const std::string odd = dir.Write("ipod/Contacts/x\xff.vcf", Card("Odd", ""));
    const std::string plain = dir.Write("ipod/Contacts/x\xef\xbf\xbd.vcf", Card("Plain", ""));
    host->LoadTabList(TListKind::Contacts);
    std::string opened;
    page.RunEditor = [&](TAddressForm& f) { opened = f.GetContact().FN; };
    RowOf(list, "x%FF.vcf")->setSelected(true);
    page.Button_AddAddressClick(1);
    QCOMPARE(opened, std::string("Odd"));
    page.Button_AddAddressClick(2);
    QVERIFY(boxes.Saw("[ x%FF.vcf ]を削除してもよろしいですか？"));
    QVERIFY(!std::filesystem::exists(odd));
    QVERIFY(std::filesystem::exists(plain));
}

void AddressPageTest::menuEntriesAndCommands() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = ContactsPlayer(dir, {{"a.vcf", Card("A", "")}});
    TAddressPage& page = host->Page<TAddressPage>();
    QCOMPARE(page.Edit1->text(), QString("編集(&E)..."));
    QCOMPARE(page.N3->text(), QString("新規名刺を作成(&N)"));
    QCOMPARE(page.N3->shortcut(), QKeySequence("Ctrl+N"));
    QCOMPARE(page.Delete2->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(page.N6->text(), QString("名刺(vCard)を取り込む(&I)..."));
    QCOMPARE(page.PopupMenu_Address->actions().size(), 6);  // four entries, two separators
    QCOMPARE(page.SButton_AddrNew->toolTip(), QString("名刺を新規に追加します"));
    host->LoadTabList(TListKind::Contacts);
    std::vector<std::string> opened;
    page.RunEditor = [&](TAddressForm& f) { opened.push_back(f.GetContact().FN); };
    // "新規名刺を作成" carries command 1: with a row selected it edits that contact.
    page.AddressListView->topLevelItem(0)->setSelected(true);
    page.N3->trigger();
    page.AddressListView->clearSelection();
    page.N3->trigger();
    // A double click reaches the commands with the list's own tag, which names none: even on
    // a selected row it opens nothing and asks nothing.
    page.AddressListView->topLevelItem(0)->setSelected(true);
    emit page.AddressListView->itemDoubleClicked(page.AddressListView->topLevelItem(0), 0);
    page.AddressListView->clearSelection();
    QVERIFY(boxes.Boxes.empty());
    QCOMPARE(opened, (std::vector<std::string>{"A", ""}));
    // The entries' keys act on the focused list: Enter edits the selected contact, Ctrl+N
    // too (command 1), Delete asks to delete it.
    host->Window().show();
    QApplication::setActiveWindow(&host->Window());
    QVERIFY(QTest::qWaitForWindowActive(&host->Window()));
    page.Enter();
    page.AddressListView->setFocus();
    page.AddressListView->setCurrentItem(page.AddressListView->topLevelItem(0));
    opened.clear();
    QTest::keyClick(page.AddressListView, Qt::Key_Return);
    QTest::keyClick(page.AddressListView, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(opened, (std::vector<std::string>{"A", "A"}));
    boxes.Answer = TMsgResult::No;
    QTest::keyClick(page.AddressListView, Qt::Key_Delete);
    QVERIFY(boxes.Saw("[ a.vcf ]を削除してもよろしいですか？"));
}

void AddressPageTest::importRefusesToReplace() {
    TempDir dir;
    TRecordedBoxes boxes;
    auto host = ContactsPlayer(dir, {{"same.vcf", Card("元", "")}});
    TAddressPage& page = host->Page<TAddressPage>();
    const std::string fresh = dir.Write("pc/new.VCF", Card("新", ""));
    const std::string same = dir.Write("pc/same.vcf", Card("上書き", ""));
    QString filterSeen;
    page.OpenFileDialog = [&](const QString& filter) {
        filterSeen = filter;
        return fresh;
    };
    page.SButton_AddrCopy->click();
    QVERIFY(filterSeen.startsWith("vCardファイル(*.VCF)"));
    QCOMPARE(ReadFileText(dir / "ipod/Contacts/new.VCF"), Card("新", ""));
    QCOMPARE(page.AddressListView->topLevelItemCount(), 2);
    // A drop of a file whose name exists: the message, and the file stays.
    page.ImportFile(same);
    QVERIFY(boxes.Saw("[ " + same + " ]のコピーに失敗しました"));
    QCOMPARE(ReadFileText(dir / "ipod/Contacts/same.vcf"), Card("元", ""));
    // A cancelled dialog imports nothing.
    page.OpenFileDialog = [](const QString&) { return std::string(); };
    boxes.Boxes.clear();
    page.N6->trigger();
    QVERIFY(boxes.Boxes.empty());
}

void AddressPageTest::editorRowsAndInputBox() {
    TAddressForm f;
    QCOMPARE(f.windowTitle(), QString("連絡先の編集"));
    QCOMPARE(f.DataListView->topLevelItemCount(), 12);
    QCOMPARE(f.DataListView->topLevelItem(4)->text(0), QString("携帯電話番号"));
    QCOMPARE(f.FOk, false);
    TIpodVCF c;
    c.N = "n";
    c.FN = "fn";
    c.Title = "t";
    c.Org = "o";
    c.TelCell = "cell";
    c.TelWork = "work";
    c.TelHome = "home";
    c.Email = "e";
    c.Url = "u";
    c.AdrWork = "aw";
    c.AdrHome = "ah";
    c.Note = "note";
    f.SetContact(c);
    QCOMPARE(f.DataListView->topLevelItem(9)->text(1), QString("aw"));
    QCOMPARE(f.DataListView->topLevelItem(11)->text(1), QString("note"));
    const TIpodVCF back = f.GetContact();
    QCOMPARE(back.TelHome, std::string("home"));
    QCOMPARE(back.AdrHome, std::string("ah"));
    QCOMPARE(back.Url, std::string("u"));
    // The input box: caption and prompt; a confirmed text replaces the row's value.
    QString caption, prompt;
    f.InputQuery = [&](const QString& cap, const QString& pr, QString& text) {
        caption = cap;
        prompt = pr;
        text = "新しい値";
        return true;
    };
    f.Button_EditClick();  // no row selected: nothing
    QVERIFY(caption.isEmpty());
    f.DataListView->setCurrentItem(f.DataListView->topLevelItem(2));
    f.Button_Edit->click();
    QCOMPARE(caption, QString("役職 の編集"));
    QCOMPARE(prompt, QString("テキストを入力してください"));
    QCOMPARE(f.GetContact().Title, std::string("新しい値"));
    f.InputQuery = [](const QString&, const QString&, QString& text) {
        text = "捨てる";
        return false;
    };
    f.Edit1->trigger();
    QCOMPARE(f.GetContact().Title, std::string("新しい値"));
    f.Button_Cancel->click();
    QCOMPARE(f.FOk, false);
    QCOMPARE(f.Button_OK->property("tag").toInt(), 1);
}

QTEST_MAIN(AddressPageTest)
#include "address_page_test.moc"

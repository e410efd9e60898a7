#include "desktop/pages/debug_page.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "desktop/page_host.h"
#include "foundation/file_write.h"
#include "foundation/gui/message_box.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/status_text.h"

namespace harrowin {

namespace {
const char* const kOptionNames[7] = {"iTunesDB",
                                     "ArtworkDB",
                                     "PhotoDB",
                                     "アートワーク情報",
                                     "フォト情報",
                                     "フォルダ構造レポート作成",
                                     "取得情報レポート作成"};
}

TDebugPage::TDebugPage(TPageHost& host, QWidget* parent) : QWidget(parent), FHost(host) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 7; ++i) {
        Options[i] = new QCheckBox(QString::fromUtf8(kOptionNames[i]), this);
        Options[i]->setObjectName(QString("CheckBox_Debug%1").arg(i + 1));
        layout->addWidget(Options[i]);
    }
    Button_Export = new QPushButton("エクスポート", this);
    Button_Export->setObjectName("Button_Export");
    layout->addWidget(Button_Export);
    layout->addStretch();
    connect(Button_Export, &QPushButton::clicked, this, &TDebugPage::ExportClick);
}

std::string TDebugPage::BuildReport() const {
    TTolvIPOD& player = FHost.Player();
    const TMPlayerChecker& c = CheckerOf(player);
    std::string out = "Harrowin " + std::string(HARROWIN_VERSION) + " report\r\n";
    if (Options[6]->isChecked()) {
        out += "[取得情報]\r\n";
        out += "DriveRoot=" + c.DriveRoot + "\r\nPlayerName=" + c.PlayerName + "\r\nModelNumber=" + c.ModelNumber +
               "\r\nModelKind=" + c.ModelKind + "\r\nGeneration=" + c.Generation + "\r\nFamily=" + c.Family +
               "\r\nCapacity=" + c.Capacity + "\r\nSerial=" + c.Serial + "\r\nSoftware=" + c.Software +
               "\r\nDiskTotal=" + std::to_string(c.DiskTotal) + "\r\nDiskFree=" + std::to_string(c.DiskFree) +
               "\r\nSongCount=" + std::to_string(c.SongCount) + "\r\nSongBytes=" + std::to_string(c.SongBytes) + "\r\n";
    }
    if (Options[0]->isChecked()) {
        const TITunesDBLoader& music = MusicOf(player);
        out += "[iTunesDB]\r\nSongs=" + std::to_string(music.Songs.GetCount()) +
               "\r\nVideos=" + std::to_string(music.Songs.GetVideoCount()) +
               "\r\nPlayLists=" + std::to_string(music.PlayLists.GetCount()) + "\r\n";
        for (int32_t i = 0; i < music.Songs.GetCount(); ++i) {
            const TITBSongItem* s = music.Songs.GetItem(i);
            if (s) out += std::to_string(i) + "\t" + s->Title + "\t" + s->Artist + "\t" + s->Location + "\r\n";
        }
    }
    if (Options[5]->isChecked()) {
        out += "[フォルダ]\r\nMusic=" + c.MusicPath + "\r\nNotes=" + c.NotesPath + "\r\nContacts=" + c.ContactsPath +
               "\r\nCalendars=" + c.CalendarsPath + "\r\nDatabase=" + c.DatabasePath + "\r\nLibrary=" + c.LibraryPath +
               "\r\nArtworkDB=" + c.ArtworkDatabasePath + "\r\nPhotoDB=" + c.PhotoDatabasePath +
               "\r\nSysInfo=" + c.SysInfoPath + "\r\n";
    }
    return out;
}

void TDebugPage::ExportClick() {
    const QString name = QFileDialog::getSaveFileName(this, "エクスポート", "HarrowinReport.TXT");
    if (name.isEmpty()) return;
    try {
        WriteWholeFile(name.toStdString(), BuildReport(), TFolderLink::Follow);
    } catch (const ETolvError& e) {
        ShowMessage(this, e.Message());
    }
}

}  // namespace harrowin

// Helpers of the window tests: a recorded message box, acting on the next modal window, and a
// small player tree made by the project's own writers.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "foundation/gui/message_box.h"
#include "tests/support/itunesdb_writer.h"
#include "tests/support/temp_dir.h"

// Records every message box and answers it (OK / Yes unless told otherwise).
struct TRecordedBoxes {
    std::vector<TMessageRequest> Boxes;
    TMsgResult Answer = TMsgResult::Yes;
    TRecordedBoxes() {
        SetMessageBoxHook([this](const TMessageRequest& r) {
            Boxes.push_back(r);
            if (r.Buttons == TMsgButtons::Ok) return TMsgResult::Ok;
            return Answer;
        });
    }
    ~TRecordedBoxes() { SetMessageBoxHook({}); }
    bool Saw(const std::string& text) const {
        for (const auto& b : Boxes) {
            if (b.Text == text) return true;
        }
        return false;
    }
};

// Runs act on the next modal window once it is open (polls the event loop).
inline void WhenModal(std::function<void(QWidget*)> act, int triesLeft = 200) {
    QTimer::singleShot(10, [act, triesLeft] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            act(w);
        } else if (triesLeft > 0) {
            WhenModal(act, triesLeft - 1);
        }
    });
}

// A player tree under root: iTunesDB with two songs and one video, their media files, the
// notes/contacts/calendar folders and a SysInfo of a fifth-generation model.
inline void MakeSamplePlayer(const TempDir& dir, const std::string& sub) {
    ItdbDatabase db;
    ItdbSong a;
    a.Title = "朝の歌";
    a.Artist = "歌手A";
    a.Location = ":iPod_Control:Music:F00:A.mp3";
    a.Id = 1;
    a.Size = 3000;
    ItdbSong b = a;
    b.Title = "夜の歌";
    b.Location = ":iPod_Control:Music:F01:B.mp3";
    b.Id = 2;
    ItdbSong v = a;
    v.Title = "ビデオ";
    v.Location = ":iPod_Control:Music:F02:V.m4v";
    v.Id = 3;
    v.FileType = 0x4D345620;
    v.MediaType = 2;
    db.Songs = {a, b, v};
    WriteITunesDBToPlayer(dir / sub, db);
    dir.Write(sub + "/iPod_Control/Music/F00/A.mp3", std::string(3000, 'a'));
    dir.Write(sub + "/iPod_Control/Music/F01/B.mp3", std::string(3000, 'b'));
    dir.Write(sub + "/iPod_Control/Music/F02/V.m4v", std::string(3000, 'v'));
    dir.Write(sub + "/Notes/readme.txt", std::string("note"));
    dir.Write(sub + "/Contacts/a.vcf", std::string("BEGIN:VCARD\r\nEND:VCARD\r\n"));
    dir.Write(sub + "/Calendars/a.ics", std::string("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"));
}

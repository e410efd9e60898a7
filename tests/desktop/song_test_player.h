// Helpers of the page tests: a player tree written with the project's iTunesDB writer, recorded
// shell calls and acting on a modal window once it is open.
#pragma once

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "foundation/gui/shell_open.h"
#include "tests/desktop/desktop_test_util.h"
#include "tests/support/itunesdb_writer.h"
#include "tests/support/temp_dir.h"

// A song of the test players; its file holds `Size` bytes of its own.
inline ItdbSong TestSong(int id, const std::string& title, const std::string& artist, const std::string& album = "",
                         int32_t size = 1000) {
    ItdbSong s;
    s.Id = id;
    s.Title = title;
    s.Artist = artist;
    s.Album = album;
    s.Size = size;
    s.Location = ":iPod_Control:Music:F00:S" + std::to_string(id) + ".mp3";
    s.DatabaseId = 0x1000 + id;
    return s;
}

inline ItdbSong TestVideo(int id, const std::string& title, const std::string& artist, int32_t size = 2000) {
    ItdbSong v = TestSong(id, title, artist, "", size);
    v.Location = ":iPod_Control:Music:F01:V" + std::to_string(id) + ".m4v";
    v.FileType = 0x4D345620;
    v.MediaType = 2;
    return v;
}

// The file of a location below the root ("/" for ":").
inline std::string FileOfLocation(const std::string& location) {
    std::string path = location;
    for (char& c : path) {
        if (c == ':') c = '/';
    }
    return path.substr(1);
}

// Writes the database and, when wanted, a file of Size bytes for every song (capped so huge
// sizes in total tests cost nothing).
inline void WriteTestPlayer(const TempDir& dir, const std::string& sub, const ItdbDatabase& db, bool files = true) {
    WriteITunesDBToPlayer(dir / sub, db);
    dir.Write(sub + "/iPod_Control/Device/.keep", std::string());
    if (!files) return;
    for (const ItdbSong& s : db.Songs) {
        const size_t size = static_cast<size_t>(std::min<int32_t>(std::max<int32_t>(s.Size, 0), 1 << 20));
        dir.Write(sub + "/" + FileOfLocation(s.Location), std::string(size, static_cast<char>('a' + s.Id % 26)));
    }
}

// Records what ShellOpen would hand to the desktop.
struct TRecordedShell {
    std::vector<std::string> Urls;
    TRecordedShell() {
        SetShellOpenHook([this](const std::string& url) { Urls.push_back(url); });
    }
    ~TRecordedShell() { SetShellOpenHook({}); }
};

// Runs act on the modal window that holds a child of the given object name, once it is open.
inline void WhenModalWith(const char* childName, std::function<void(QWidget*)> act, int triesLeft = 500) {
    QTimer::singleShot(10, [childName, act, triesLeft] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->findChild<QObject*>(childName)) {
            act(w);
        } else if (triesLeft > 0) {
            WhenModalWith(childName, act, triesLeft - 1);
        }
    });
}

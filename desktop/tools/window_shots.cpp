#include "desktop/tools/window_shots.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace {

QString& Folder() {
    static QString folder;
    return folder;
}

// The window with the frame a window manager drew around it (the window alone without one).
// Asked of the window system each time: the widget's own frame is remembered from its first
// showing, before the window manager has framed it.
QRect FrameOf(QWidget* window) {
    const QWindow* handle = window->windowHandle();
    if (!handle) return window->geometry();
    const QMargins margins = handle->frameMargins();
    return window->geometry().adjusted(-margins.left(), -margins.top(), margins.right(), margins.bottom());
}

// Set once a window manager has framed a window: from then on every window waits for its frame.
bool g_framed = false;

// Lets the window system map, decorate and paint the window.
void Settle(QWidget* window) {
    QElapsedTimer clock;
    clock.start();
    const int patience = g_framed ? 2000 : 600;
    while (clock.elapsed() < 250 || (clock.elapsed() < patience && FrameOf(window) == window->geometry())) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    if (FrameOf(window) != window->geometry()) g_framed = true;
}

QPixmap Picture(QWidget* window) {
    const QRect frame = FrameOf(window);
    if (frame != window->geometry()) {
        // Take the screen where the window stands, frame and caption included.
        if (QScreen* screen = window->screen()) {
            QPixmap picture = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
            if (picture.size() == frame.size()) return picture;
        }
    }
    return window->grab();
}

}  // namespace

void SetShotFolder(const QString& folder) {
    Folder() = folder;
    QDir().mkpath(folder);
}

void Save(QWidget* window, const QString& name) {
    window->show();
    window->raise();
    window->activateWindow();
    Settle(window);
    const QString path = Folder() + "/" + name + ".png";
    if (!Picture(window).save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void SaveModal(const std::function<void()>& open, const std::function<void(QDialog&)>& shoot) {
    QTimer timer;
    timer.setInterval(50);
    bool done = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || done) return;
        done = true;
        timer.stop();
        shoot(*dialog);
        dialog->reject();
    });
    timer.start();
    open();
    timer.stop();
    if (!done) std::fprintf(stderr, "no dialog was opened\n");
}

void SaveModal(const std::function<void()>& open, const QString& name) {
    SaveModal(open, [&](QDialog& d) { Save(&d, name); });
}

void SaveTabs(QDialog& dialog, const char* tabs, const QString& name) {
    auto* pages = dialog.findChild<QTabWidget*>(tabs);
    if (!pages) return Save(&dialog, name);
    int shown = 0;
    for (int i = 0; i < pages->count(); ++i) {
        if (!pages->isTabVisible(i)) continue;
        pages->setCurrentIndex(i);
        Save(&dialog, QString("%1%2").arg(name).arg(++shown));
    }
    pages->setCurrentIndex(0);
}

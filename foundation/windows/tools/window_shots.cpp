#include "foundation/windows/tools/window_shots.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
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

// Windows that were closed because no picture was asked of them.
int g_unexpected = 0;
// Set while SaveModal watches the modal windows itself.
int g_watching = 0;

// A progress window closes itself when its work is done: it is never in the way.
bool IsProgressWindow(const QWidget* window) { return window->objectName() == QLatin1String("TProgressForm"); }

// Ends a modal window that no picture was asked of (a message box a page showed, a dialog
// that opened where none was expected), so the tool goes on instead of waiting for a user.
void EndUnexpected(QWidget* window) {
    ++g_unexpected;
    QString text = window->windowTitle();
    if (const auto* box = qobject_cast<QMessageBox*>(window)) text += " " + box->text();
    std::fprintf(stderr, "closing a window no picture was asked of: %s\n", qPrintable(text));
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->done(QDialog::Rejected);
    } else {
        window->close();
    }
}

// Outside SaveModal every modal window but a progress window is unexpected: it is ended once
// it has stood for a moment.
void WatchForStrayWindows() {
    static QTimer* watchdog = nullptr;
    if (watchdog) return;
    watchdog = new QTimer(qApp);
    watchdog->setInterval(500);
    static QPointer<QWidget> seen;
    QObject::connect(watchdog, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (g_watching > 0 || !modal || IsProgressWindow(modal)) {
            seen = nullptr;
            return;
        }
        if (seen == modal) {
            EndUnexpected(modal);
            seen = nullptr;
        } else {
            seen = modal;
        }
    });
    watchdog->start();
}

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
    WatchForStrayWindows();
}

int UnexpectedWindows() { return g_unexpected; }

void Save(QWidget* window, const QString& name) {
    window->show();
    window->raise();
    window->activateWindow();
    Settle(window);
    const QString path = Folder() + "/" + name + ".png";
    if (!Picture(window).save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void SaveModal(const std::function<void()>& open, const std::function<void(QDialog&)>& shoot) {
    // The dialog shot is the first that opens after the command starts (a progress window
    // aside); any other modal window until the command returns is ended, so that the
    // command always returns.
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    QPointer<QDialog> shot;
    bool done = false;
    int waited = 0;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        // A dialog that refuses Cancel (a question it asked was ended) is ended as it stands.
        if (modal && modal == shot && ++waited > 20) EndUnexpected(modal);
        if (!modal || modal == before || modal == shot || IsProgressWindow(modal)) return;
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (done || !dialog) {
            EndUnexpected(modal);
            return;
        }
        done = true;
        shot = dialog;
        shoot(*dialog);
        if (shot) shot->reject();
    });
    ++g_watching;
    timer.start();
    open();
    timer.stop();
    --g_watching;
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

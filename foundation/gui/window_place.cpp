#include "foundation/gui/window_place.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdint>

namespace {

// The frame the window manager draws around the window: known once the window was shown;
// before that, a title bar and a thin border as the style draws them.
QMargins FrameOf(const QWidget& window) {
    if (const QWindow* handle = window.windowHandle()) {
        const QMargins margins = handle->frameMargins();
        if (!margins.isNull()) return margins;
    }
    const QStyle* style = window.style();
    const int border = std::max(style->pixelMetric(QStyle::PM_DefaultFrameWidth), 1);
    return QMargins(border, style->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border);
}

QList<QRect> FreeAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas.push_back(screen->availableGeometry());
    return areas;
}

}  // namespace

QRect OnScreen(int x, int y, int width, int height, const QMargins& frame, const QList<QRect>& screens) {
    // In 64 bits: a settings file may hold any 32-bit number, and the frame is added to it.
    const int64_t left = int64_t{x} - frame.left(), top = int64_t{y} - frame.top();
    const int64_t outerWidth = int64_t{std::max(width, 1)} + frame.left() + frame.right();
    const int64_t outerHeight = int64_t{std::max(height, 1)} + frame.top() + frame.bottom();
    const QRect* best = nullptr;
    int64_t bestArea = 0;
    for (const QRect& area : screens) {
        const int64_t l = std::max<int64_t>(left, area.left());
        const int64_t r = std::min<int64_t>(left + outerWidth, int64_t{area.left()} + area.width());
        const int64_t t = std::max<int64_t>(top, area.top());
        const int64_t b = std::min<int64_t>(top + outerHeight, int64_t{area.top()} + area.height());
        const bool within = l == left && t == top && r == left + outerWidth && b == top + outerHeight;
        if (within) return QRect(x, y, width, height);
        const int64_t overlap = (r > l && b > t) ? (r - l) * (b - t) : 0;
        if (overlap > bestArea) {
            bestArea = overlap;
            best = &area;
        }
    }
    if (screens.isEmpty()) return QRect(x, y, width, height);
    const QRect& area = best ? *best : screens.front();
    const int64_t w = std::min<int64_t>(outerWidth, area.width());
    const int64_t h = std::min<int64_t>(outerHeight, area.height());
    const int64_t placedLeft = std::clamp<int64_t>(left, area.left(), area.left() + area.width() - w);
    const int64_t placedTop = std::clamp<int64_t>(top, area.top(), area.top() + area.height() - h);
    return QRect(static_cast<int>(placedLeft + frame.left()), static_cast<int>(placedTop + frame.top()),
                 static_cast<int>(std::max<int64_t>(w - frame.left() - frame.right(), 1)),
                 static_cast<int>(std::max<int64_t>(h - frame.top() - frame.bottom(), 1)));
}

void RestoreWindowPlace(QWidget& window, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) {
        width = window.width();
        height = window.height();
    }
    window.setGeometry(OnScreen(x, y, width, height, FrameOf(window), FreeAreas()));
}

void RestoreWindowPosition(QWidget& window, int x, int y) {
    RestoreWindowPlace(window, x, y, window.width(), window.height());
}

QRect StoredWindowPlace(const QWidget& window) {
    if (window.isMaximized() || window.isMinimized() || window.isFullScreen()) return window.normalGeometry();
    return window.geometry();
}

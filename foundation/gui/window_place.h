// Where the windows whose place the settings keep are put back. A place is stored and restored
// as the same kind of rectangle, the window's inside (QWidget::geometry, without the frame the
// window manager draws): storing the frame's corner and restoring the inside there moved the
// window by its title bar at every opening. A stored place that would leave the window (or
// its title bar) off every screen is brought back onto one. Coordinates and sizes in pixels.
#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

class QWidget;

// The window's inside rectangle at (x, y), width x height (any values a settings file may
// hold), with its frame around it, moved (and shrunk where it is larger) so that it lies within
// one of the screens' free areas: the one it overlaps most, else the first. A rectangle that
// lies within one already is returned unchanged, and so is any without a screen to go on.
QRect OnScreen(int x, int y, int width, int height, const QMargins& frame, const QList<QRect>& screens);

// Puts the window at a stored inside rectangle, brought onto the screens; a width or height of
// 0 or less keeps the window's own size.
void RestoreWindowPlace(QWidget& window, int x, int y, int width, int height);
// The same for a window whose size does not change: only the position is taken.
void RestoreWindowPosition(QWidget& window, int x, int y);
// The inside rectangle to store: a maximised or minimised window gives its normal one, so it
// opens as it was before it was maximised.
QRect StoredWindowPlace(const QWidget& window);

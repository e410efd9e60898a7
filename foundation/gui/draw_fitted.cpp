#include "foundation/gui/draw_fitted.h"

#include <QImage>
#include <QPainter>

#include "foundation/fit_rect.h"

void DrawBitmapFitted(QPainter& canvas, int left, int top, int width, int height, const QColor& background,
                      const QImage& picture) {
    if (width <= 0 || height <= 0) return;
    // Drawn on a work picture first so the bands and the picture reach the target in one go.
    QImage work(width, height, QImage::Format_ARGB32_Premultiplied);
    work.fill(background);
    const TFitRect fit = FitPictureRect(picture.width(), picture.height(), width, height);
    if (!picture.isNull() && !fit.Empty()) {
        QPainter painter(&work);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(fit.X, fit.Y, fit.W, fit.H), picture);
    }
    // A plain copy of the box, as a block transfer: the background replaces what was there.
    canvas.save();
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.drawImage(left, top, work);
    canvas.restore();
}

void DrawBitmapFittedOnBitmap(QImage& target, int left, int top, int width, int height, const QColor& background,
                              const QImage& picture) {
    if (target.isNull()) return;
    QPainter painter(&target);
    DrawBitmapFitted(painter, left, top, width, height, background, picture);
}

#include "desktop/model_pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace harrowin {

int ModelImageIndex(const std::string& family) {
    if (family == "mini") return 0;
    if (family == "nano") return 2;
    if (family == "shuffle") return 3;
    if (family == "5G") return 4;
    if (family == "nano2") return 5;
    if (family == "shuffle2") return 6;
    return 1;
}

namespace {

struct TLook {
    QRectF body;  // within the 72 x 112 entry
    QColor bodyColor;
    QColor edgeColor;
    bool screen;
    QRectF screenRect;
    QPointF wheelCentre;
    double wheelRadius;
    QColor wheelColor;
};

// The looks read as a table: one entry of two lines a model.
// clang-format off
TLook LookOf(int index) {
    switch (index) {
        case 0:  // mini: small, coloured aluminium
            return {{14, 14, 44, 86}, QColor(120, 180, 230), QColor(60, 110, 160), true, {20, 22, 32, 24},
                    {36, 72}, 14, QColor(235, 240, 245)};
        case 2:  // nano: thin, white
            return {{18, 6, 36, 100}, QColor(250, 250, 250), QColor(120, 120, 120), true, {22, 12, 28, 22},
                    {36, 66}, 13, QColor(225, 225, 225)};
        case 3:  // shuffle: a stick without screen
            return {{24, 8, 24, 96}, QColor(252, 252, 252), QColor(130, 130, 130), false, {}, {36, 40}, 9,
                    QColor(220, 220, 220)};
        case 4:  // fifth generation: wide screen, black
            return {{6, 4, 60, 104}, QColor(35, 35, 35), QColor(10, 10, 10), true, {12, 10, 48, 38}, {36, 78},
                    20, QColor(70, 70, 70)};
        case 5:  // second nano: coloured aluminium, thin
            return {{18, 6, 36, 100}, QColor(200, 80, 140), QColor(130, 40, 90), true, {22, 12, 28, 22},
                    {36, 66}, 13, QColor(245, 235, 240)};
        case 6:  // second shuffle: a small clip
            return {{14, 36, 44, 40}, QColor(170, 200, 120), QColor(100, 130, 60), false, {}, {36, 56}, 12,
                    QColor(240, 245, 235)};
        default:  // the classic player: white, screen and wheel
            return {{6, 4, 60, 104}, QColor(252, 252, 252), QColor(140, 140, 140), true, {12, 10, 48, 36},
                    {36, 76}, 20, QColor(230, 230, 230)};
    }
}
// clang-format on

}  // namespace

QImage ModelPicture(int index) {
    QImage image(kModelPictureW, kModelPictureH, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const TLook look = LookOf(index);
    p.setPen(QPen(look.edgeColor, 1.5));
    p.setBrush(look.bodyColor);
    p.drawRoundedRect(look.body, 7, 7);
    if (look.screen) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(150, 190, 220));
        p.drawRoundedRect(look.screenRect, 2, 2);
        // a few menu lines on the screen
        p.setPen(QPen(QColor(255, 255, 255), 1));
        for (int i = 1; i <= 3; ++i) {
            const double y = look.screenRect.top() + i * look.screenRect.height() / 4.0;
            p.drawLine(QPointF(look.screenRect.left() + 3, y), QPointF(look.screenRect.right() - 6, y));
        }
    }
    p.setPen(QPen(look.edgeColor, 1));
    p.setBrush(look.wheelColor);
    p.drawEllipse(look.wheelCentre, look.wheelRadius, look.wheelRadius);
    p.setBrush(look.bodyColor);
    p.drawEllipse(look.wheelCentre, look.wheelRadius * 0.38, look.wheelRadius * 0.38);
    return image;
}

QImage ModelPictureField(int index, QSize size) {
    QImage field(size, QImage::Format_RGB32);
    field.fill(Qt::white);
    QPainter p(&field);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    p.drawImage(19, 19, ModelPicture(index));
    return field;
}

}  // namespace harrowin

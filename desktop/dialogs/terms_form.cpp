#include "desktop/dialogs/terms_form.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>

#include "foundation/gui/window_size.h"
#include "harrowin_work/settings.h"
#include "ui_terms_form.h"

namespace harrowin {

TCRForm::TCRForm(TTolvIPodINI& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCRForm>()), FSettings(settings) {
    ui->setupUi(this);
    // No close box, always on top, centred on the screen.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowContextHelpButtonHint |
                   Qt::WindowStaysOnTopHint);
    resize(451, 211);
    ui->LicenseMemo->setPlainText(LicenseText());
    FitMemoToText();
    KeepFixedSize(*this);
    // Centred on the screen rather than over the (not yet shown) main window.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    connect(ui->Button1, &QPushButton::clicked, this, &TCRForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TCRForm::Button2Click);
}

TCRForm::~TCRForm() = default;

void TCRForm::FitMemoToText() {
    // The terms are read once and agreed to: every line whole (a line broken inside a phrase
    // reads wrongly in Japanese) and all of them in view without scrolling.
    QPlainTextEdit* memo = ui->LicenseMemo;
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(memo->font());
    const QStringList lines = memo->toPlainText().split('\n');
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * (static_cast<int>(memo->document()->documentMargin()) + memo->frameWidth());
    memo->setMinimumSize(widest + margins + memo->verticalScrollBar()->sizeHint().width() + metrics.averageCharWidth(),
                         static_cast<int>(lines.size()) * metrics.lineSpacing() + margins + metrics.descent());
}

QString TCRForm::LicenseText() {
    return QString::fromUtf8(
        "Harrowinは、以下の条件に従って著作権を守った使用をしてください。\n"
        "\n"
        "・他人のiPodから著作権のある音楽・ビデオなどを取り出さないでください\n"
        "・他人のコンピュータへ著作権のある音楽・ビデオなどを渡さないでください\n"
        "・その他、他人の著作権を侵害する行為をしないでください\n"
        "\n"
        "条件に同意いただける場合は、\"同意して使用します\"を押して、\n"
        "快適なiPodライフをおくってください。");
}

void TCRForm::Button1Click() {
    FSettings.Copyright.Copyright = true;
    accept();
}

void TCRForm::Button2Click() {
    FSettings.Copyright.Copyright = false;
    reject();
}

}  // namespace harrowin

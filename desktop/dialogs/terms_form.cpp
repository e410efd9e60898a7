#include "desktop/dialogs/terms_form.h"

#include <QGuiApplication>
#include <QScreen>

#include "desktop/settings.h"
#include "ui_terms_form.h"

TCRForm::TCRForm(TTolvIPodINI& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCRForm>()), FSettings(settings) {
    ui->setupUi(this);
    // No close box, always on top, centred on the screen.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowContextHelpButtonHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(451, 211);
    // Centred on the screen rather than over the (not yet shown) main window.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(451 / 2, 211 / 2));
    }
    ui->LicenseMemo->setPlainText(LicenseText());
    connect(ui->Button1, &QPushButton::clicked, this, &TCRForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TCRForm::Button2Click);
}

TCRForm::~TCRForm() = default;

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

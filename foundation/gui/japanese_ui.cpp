#include "foundation/gui/japanese_ui.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Loads one catalogue of Qt's translations folder into a translator owned by the application.
bool InstallCatalogue(const char* name) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QString::fromLatin1(name), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator)) {
        return true;
    }
    delete translator;
    return false;
}

}  // namespace

bool LoadQtJapanese() {
    if (!QCoreApplication::instance()) return false;
    static bool loaded = false;
    if (loaded) return true;
    // qtbase holds the texts of the widgets; qt_ja (when shipped) names it and the other
    // modules' catalogues, which these programs do not use.
    loaded = InstallCatalogue("qtbase_ja");
    if (!loaded) loaded = InstallCatalogue("qt_ja");
    return loaded;
}

QFont ProgramFont() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    return font;
}

void SetUpJapaneseInterface() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    LoadQtJapanese();
    QApplication::setFont(ProgramFont());
}

#include "foundation/gui/japanese_ui.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QListView>
#include <QLocale>
#include <QSplitter>
#include <QTranslator>
#include <QTreeView>
#include <memory>

namespace {

// Loads one catalogue of Qt's translations folder into a translator owned by the application.
bool InstallCatalogue(const char* name) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(name), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return false;
    }
    translator.release()->setParent(QCoreApplication::instance());  // the application owns it now
    return true;
}

// The file list of Qt's picker writes sizes and dates in the system's language, whatever the
// program's own locale (its model asks the system locale), and Qt's Japanese catalogue has no
// word for a folder's type: these columns are written here as a Japanese system writes them.
class TJapanesePickerTexts : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3) {
            return QIdentityProxyModel::data(index, role);
        }
        const QModelIndex source = mapToSource(index);
        const QFileInfo info = files->fileInfo(source);
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        switch (index.column()) {
            case 1: return info.isDir() ? QString() : japanese.formattedDataSize(files->size(source));
            case 2:
                if (info.isRoot()) return QStringLiteral("ドライブ");
                if (info.isDir()) return QStringLiteral("フォルダー");
                return QIdentityProxyModel::data(index, role);
            default: return japanese.toString(files->lastModified(source), QLocale::ShortFormat);
        }
    }
};

// Qt's picker gives its list of places a width made for English names: the Japanese ones
// ("コンピュータ") would be cut. Each picker widens that list to its names as it opens, and
// takes the Japanese texts of its file list.
class TPickerPlaces : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* picker = qobject_cast<QFileDialog*>(watched);
        if (!picker) return false;
        if (!picker->proxyModel()) picker->setProxyModel(new TJapanesePickerTexts(picker));
        // The date column was made as wide as Qt's own dates; the Japanese ones are longer.
        if (auto* files = picker->findChild<QTreeView*>(QStringLiteral("treeView"))) {
            const int needed = files->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 16;
            if (files->header()->count() > 3 && files->header()->sectionSize(3) < needed) {
                files->header()->resizeSection(3, needed);
            }
        }
        auto* splitter = picker->findChild<QSplitter*>(QStringLiteral("splitter"));
        auto* places = picker->findChild<QListView*>(QStringLiteral("sidebar"));
        if (!splitter || !places || splitter->count() < 2) return false;
        QList<int> sizes = splitter->sizes();
        const int needed = places->sizeHintForColumn(0) + 2 * places->frameWidth() + 8;
        if (sizes[0] < needed && sizes[1] > needed) {
            sizes[1] -= needed - sizes[0];
            sizes[0] = needed;
            splitter->setSizes(sizes);
        }
        return false;
    }
};

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
    qApp->installEventFilter(new TPickerPlaces(qApp));
}

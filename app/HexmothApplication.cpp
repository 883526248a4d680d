#include "HexmothApplication.h"

#include "AppIcon.h"

#include <QLibraryInfo>
#include <QLocale>
#include <new>

HexmothApplication::HexmothApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("hexmoth"));
    setApplicationDisplayName(QStringLiteral("Hexmoth"));
    setApplicationVersion(QStringLiteral(HEXMOTH_VERSION));
    setDesktopFileName(QStringLiteral("hexmoth"));
    setWindowIcon(AppIcon::icon());
    loadJapaneseTranslations();
}

bool HexmothApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        qWarning("Hexmoth: an event was dropped for want of memory");
        return false;
    }
}

void HexmothApplication::loadJapaneseTranslations()
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    // Without the translations installed Qt's texts stay English; the
    // program still works.
    if (m_qtTranslator.load(japanese, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslator);
}

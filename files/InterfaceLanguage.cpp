#include "files/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

namespace {
Q_LOGGING_CATEGORY(lcLanguage, "trivox.language")
QString installed = QLatin1String(InterfaceLanguage::RUSSIAN);
}

bool InterfaceLanguage::isKnown(const QString &code)
{
    return code == QLatin1String(RUSSIAN) || code == QLatin1String(ENGLISH);
}

QString InterfaceLanguage::fromUiLanguages(const QStringList &uiLanguages)
{
    const QString first = uiLanguages.value(0);
    return first.startsWith(QLatin1String(RUSSIAN), Qt::CaseInsensitive) ? QLatin1String(RUSSIAN)
                                                                         : QLatin1String(ENGLISH);
}

QString InterfaceLanguage::choose(const QString &asked, const QString &remembered, const QStringList &uiLanguages)
{
    if (isKnown(asked))
        return asked;
    if (isKnown(remembered))
        return remembered;
    return fromUiLanguages(uiLanguages);
}

QStringList InterfaceLanguage::systemUiLanguages()
{
    return QLocale::system().uiLanguages();
}

void InterfaceLanguage::install(const QString &code)
{
    Q_INIT_RESOURCE(translations);
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || !isKnown(code))
        return;
    installed = code;
    // The texts are written in Russian: only English needs the program's own catalogue.
    if (code == QLatin1String(ENGLISH)) {
        auto *own = new QTranslator(app);
        if (own->load(QStringLiteral(":/translations/trivox_en.qm")))
            QCoreApplication::installTranslator(own);
        else
            qCWarning(lcLanguage) << "[InterfaceLanguage::install] the English catalogue is missing";
        return;
    }
    // Qt's dialogs and buttons in Russian; without the package they stay English, which is no error.
    auto *qt = new QTranslator(app);
    if (qt->load(QStringLiteral("qtbase_") + code, QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        qCDebug(lcLanguage) << "[InterfaceLanguage::install] no Qt translation for" << code;
}

QString InterfaceLanguage::current()
{
    return installed;
}

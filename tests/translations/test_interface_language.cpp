#include "files/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QtTest>

class TestInterfaceLanguage : public QObject
{
    Q_OBJECT
private slots:
    void choice_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Russian system") << QString() << QString() << QStringList{"ru-RU", "en-US"} << "ru";
        QTest::newRow("Ukrainian system") << QString() << QString() << QStringList{"uk-UA", "ru-RU"} << "en";
        QTest::newRow("C locale") << QString() << QString() << QStringList{"C"} << "en";
        QTest::newRow("no locale at all") << QString() << QString() << QStringList() << "en";
        QTest::newRow("remembered over system") << QString() << "en" << QStringList{"ru-RU"} << "en";
        QTest::newRow("asked over remembered") << "ru" << "en" << QStringList{"en-GB"} << "ru";
        QTest::newRow("unknown asked ignored") << "de" << QString() << QStringList{"ru"} << "ru";
        QTest::newRow("damaged remembered ignored") << QString() << "xx" << QStringList{"en"} << "en";
    }

    void choice()
    {
        QFETCH(QString, asked);
        QFETCH(QString, remembered);
        QFETCH(QStringList, system);
        QFETCH(QString, expected);
        QCOMPARE(InterfaceLanguage::choose(asked, remembered, system), expected);
    }

    // Qt's own buttons and dialogs follow a Russian interface, when the system has their texts.
    void qtsOwnTextsFollowRussian()
    {
        InterfaceLanguage::install(QStringLiteral("ru"));
        if (!QFile::exists(QLibraryInfo::location(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm")))
            QSKIP("Qt's Russian texts are not installed");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    }

    // The English catalogue is built into the program and every text of it is translated.
    void englishCatalogueIsCarried()
    {
        InterfaceLanguage::install(QStringLiteral("en"));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Соединиться"), QStringLiteral("Connect"));
        QCOMPARE(QCoreApplication::translate("SessionOutcome", "Устройство подключено"),
                 QStringLiteral("Device connected"));
    }
};

QTEST_GUILESS_MAIN(TestInterfaceLanguage)
#include "test_interface_language.moc"

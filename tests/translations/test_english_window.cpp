#include "app/MainWindow.h"
#include "app/UserPrompts.h"
#include "dialogs/connection_window.h"
#include "files/InterfaceLanguage.h"

#include <QtTest>
#include <QtWidgets>

// The window as an English-speaking user meets it, and the language switch.
class TestEnglishWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
        InterfaceLanguage::install(QStringLiteral("en"));
    }

    void mainTextsAreEnglish()
    {
        MainWindow w;
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("Trivox Configurator ")));
        QCOMPARE(w.findChild<QCommandLinkButton *>("ConnectToDevice")->text(), QStringLiteral("Connect"));
        QCOMPARE(w.findChild<QCommandLinkButton *>("ShowPlots")->text(), QStringLiteral("Plots"));
        const QAbstractItemModel *system = w.findChild<QTreeView *>("StateSysView")->model();
        QVERIFY(!system->match(system->index(0, 0), Qt::DisplayRole, QStringLiteral("Firmware version:")).isEmpty());
        auto *dialog = w.findChild<connection_window *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QPushButton *>("pushButton_cancel")->text(), QStringLiteral("Cancel"));
        // No Russian is left in the window's own widgets.
        for (const QAbstractButton *button : w.findChildren<QAbstractButton *>())
            QVERIFY2(!button->text().contains(QRegularExpression(QStringLiteral("[\\x{0400}-\\x{04FF}]"))),
                     qPrintable(button->objectName() + QLatin1Char(' ') + button->text()));
    }

    // The choice is remembered for the next start, and the user is told when it takes effect.
    void languageChoiceIsRemembered()
    {
        QStringList told;
        UserPrompts::setMessageHandler([&](UserPrompts::Kind, const QString &, const QString &text) { told << text; });
        MainWindow w;
        auto *choice = w.findChild<QComboBox *>("LanguageChoice");
        QCOMPARE(choice->currentData().toString(), QStringLiteral("en"));
        const int russian = choice->findData(QStringLiteral("ru"));
        choice->setCurrentIndex(russian);
        emit choice->activated(russian);
        QCOMPARE(QSettings().value(InterfaceLanguage::SETTINGS_KEY).toString(), QStringLiteral("ru"));
        QCOMPARE(told, QStringList{QStringLiteral("The interface language changes the next time the program starts.")});
        UserPrompts::resetHandlers();
    }
};

QTEST_MAIN(TestEnglishWindow)
#include "test_english_window.moc"

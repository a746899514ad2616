#include "dialogs/AboutDialog.h"

#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

// That the text appears once however often the dialog is opened is shown on the main window.
class TestAboutDialog : public QObject
{
    Q_OBJECT
private slots:
    void titleVersionAndCompileTimeStamp()
    {
        const QString title = QStringLiteral("Trivox конфигуратор 1.2.5");
        AboutDialog d(title);
        QCOMPARE(d.windowTitle(), QStringLiteral("О программе"));
        const QStringList lines = d.findChild<QPlainTextEdit *>()->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), title + QStringLiteral(". "));
        QCOMPARE(lines.at(1), QStringLiteral("Версия программы: 1.2.5"));

        const QRegularExpression form(
            QStringLiteral("^Дата сборки программы: ([A-Z][a-z]{2} \\d{1,2} \\d{4}) в (\\d\\d:\\d\\d:\\d\\d)$"));
        const auto stamp = form.match(lines.at(2));
        QVERIFY2(stamp.hasMatch(), qPrintable(lines.at(2)));
        const QDate built = QLocale::c().toDate(stamp.captured(1), QStringLiteral("MMM d yyyy"));
        QVERIFY(built.isValid() && built <= QDate::currentDate());
        QVERIFY(QTime::fromString(stamp.captured(2), QStringLiteral("HH:mm:ss")).isValid());
    }
};

QTEST_MAIN(TestAboutDialog)
#include "test_about_dialog.moc"

#include "dialogs/AboutDialog.h"

#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString TITLE = QStringLiteral("Trivox конфигуратор 1.2.5");

QStringList lines(AboutDialog &d)
{
    return d.findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"))->toPlainText().split('\n');
}

} // namespace

class TestAboutDialog : public QObject
{
    Q_OBJECT
private slots:
    void textShownOnceHoweverOftenRefreshed();
    void firstLineIsTitleFollowedByDot();
    void buildStampIsACompileTimeDate();
};

void TestAboutDialog::textShownOnceHoweverOftenRefreshed()
{
    AboutDialog d(TITLE);
    const QStringList once = lines(d);
    QCOMPARE(once.size(), 3);
    for (int i = 0; i < 3; ++i)
        d.refresh();
    QCOMPARE(lines(d), once);
    QCOMPARE(d.windowTitle(), QStringLiteral("О программе"));
}

void TestAboutDialog::firstLineIsTitleFollowedByDot()
{
    AboutDialog d(TITLE);
    const QStringList text = lines(d);
    QCOMPARE(text.at(0), TITLE + QStringLiteral(". "));
    QCOMPARE(text.at(1), QStringLiteral("Версия программы: 1.2.5"));
}

void TestAboutDialog::buildStampIsACompileTimeDate()
{
    AboutDialog d(TITLE);
    const QRegularExpression form(QStringLiteral(
        "^Дата сборки программы: ([A-Z][a-z]{2} \\d{1,2} \\d{4}) в (\\d\\d:\\d\\d:\\d\\d)$"));
    const auto match = form.match(lines(d).at(2));
    QVERIFY2(match.hasMatch(), qPrintable(lines(d).at(2)));

    const QDate built = QLocale::c().toDate(match.captured(1), QStringLiteral("MMM d yyyy"));
    QVERIFY(built.isValid());
    QVERIFY(built <= QDate::currentDate());
    QVERIFY(QTime::fromString(match.captured(2), QStringLiteral("HH:mm:ss")).isValid());
}

QTEST_MAIN(TestAboutDialog)
#include "test_about_dialog.moc"

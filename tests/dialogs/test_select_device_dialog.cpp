#include "dialogs/select_device_dialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

const QStringList DEVICES = {
    QStringLiteral("1001: Котельная №2"),
    QStringLiteral("1002: КОТЕЛ Север"),
    QStringLiteral("2001: Pump station"),
    QStringLiteral("2002: PUMP reserve"),
};

QListWidget *list(select_device_dialog &d)
{
    return d.findChild<QListWidget *>(QStringLiteral("device_list"));
}

void typeFilter(select_device_dialog &d, const QString &text)
{
    d.findChild<QLineEdit *>(QStringLiteral("filter_edit"))->setText(text);
}

void press(select_device_dialog &d, const char *button)
{
    d.findChild<QPushButton *>(QLatin1String(button))->click();
}

} // namespace

class TestSelectDeviceDialog : public QObject
{
    Q_OBJECT
private slots:
    void okAcceptsOnlyAChosenEntry()
    {
        select_device_dialog d(DEVICES);
        d.show();
        QSignalSpy finished(&d, &QDialog::finished);
        press(d, "ok_button");
        QCOMPARE(finished.count(), 0);

        // Filtering keeps the chosen entry in the list, yet it must be chosen again.
        list(d)->setCurrentRow(0);
        QCOMPARE(d.selected_device, DEVICES.at(0));
        typeFilter(d, QStringLiteral("кот"));
        QVERIFY(d.selected_device.isEmpty());
        QCOMPARE(list(d)->currentRow(), -1);
        press(d, "ok_button");
        QCOMPARE(finished.count(), 0);
        QVERIFY(d.isVisible());

        list(d)->setCurrentRow(1);
        press(d, "ok_button");
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QCOMPARE(d.selected_device, DEVICES.at(1));
    }

    void filterIgnoresLetterCase_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty shows all") << QString() << DEVICES;
        QTest::newRow("lower Cyrillic finds upper") << QStringLiteral("котел север") << QStringList{DEVICES.at(1)};
        QTest::newRow("upper Cyrillic finds lower") << QStringLiteral("КОТЕЛЬ") << QStringList{DEVICES.at(0)};
        QTest::newRow("mixed Latin") << QStringLiteral("pUmP") << QStringList{DEVICES.at(2), DEVICES.at(3)};
        QTest::newRow("identifier") << QStringLiteral("100") << QStringList{DEVICES.at(0), DEVICES.at(1)};
        QTest::newRow("no match") << QStringLiteral("xyz") << QStringList();
    }

    void filterIgnoresLetterCase()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        select_device_dialog d(DEVICES);
        typeFilter(d, QStringLiteral("zzz"));
        typeFilter(d, filter);
        QStringList shown;
        for (int i = 0; i < list(d)->count(); ++i)
            shown << list(d)->item(i)->text();
        QCOMPARE(shown, expected);
    }

    void cancelRejects()
    {
        select_device_dialog d(DEVICES);
        d.show();
        list(d)->setCurrentRow(1);
        QSignalSpy finished(&d, &QDialog::finished);
        press(d, "cancel_button");
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
        QVERIFY(!d.isVisible());
    }
};

QTEST_MAIN(TestSelectDeviceDialog)
#include "test_select_device_dialog.moc"

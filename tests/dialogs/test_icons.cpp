#include <QImage>
#include <QtTest>

class TestIcons : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyIconIsCompiledIn_data();
    void everyIconIsCompiledIn();
};

void TestIcons::initTestCase()
{
    Q_INIT_RESOURCE(icons);
}

void TestIcons::everyIconIsCompiledIn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("button");

    for (const char *name : {"state", "settings", "diag", "about", "update", "upload", "save", "connect"})
        QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)) << true;
    QTest::newRow("logo") << QStringLiteral(":/icons/Trivox_logo.png") << false;
}

void TestIcons::everyIconIsCompiledIn()
{
    QFETCH(QString, name);
    QFETCH(bool, button);

    const QImage image(name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    if (button)
        QCOMPARE(image.size(), QSize(64, 64));
    else
        QVERIFY(image.height() <= 115);
}

QTEST_MAIN(TestIcons)
#include "test_icons.moc"

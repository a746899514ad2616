#include <QImage>
#include <QtTest>

class TestIcons : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Q_INIT_RESOURCE(icons); }

    void everyIconIsCompiledIn_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"state", "settings", "diag", "about", "update", "upload", "save", "connect"})
            QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name));
        QTest::newRow("logo") << QStringLiteral(":/icons/Trivox_logo.png");
    }

    void everyIconIsCompiledIn()
    {
        QFETCH(QString, name);
        const QImage image(name);
        QVERIFY2(!image.isNull(), qPrintable(name));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        // Button icons are square; the logo must fit its 115-pixel high place.
        if (name.endsWith(QLatin1String("logo.png")))
            QVERIFY(image.height() <= 115);
        else
            QCOMPARE(image.size(), QSize(64, 64));
    }
};

QTEST_MAIN(TestIcons)
#include "test_icons.moc"

#include "TestSupport.h"
#include "core/Gbk.h"

#include <QTest>

using namespace zq;

class TestGbkRecovery : public QObject {
    Q_OBJECT
private slots:
    // One encoder serves a whole file: a refused character must not poison the texts after it, and every
    // later refusal must be reported as the first one was.
    void encodesAgainAfterARefusal_data()
    {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<qsizetype>("index");
        QTest::addColumn<qsizetype>("bytes");
        QTest::newRow("emoji") << QStringLiteral("王😀") << qsizetype(1) << qsizetype(3);
        QTest::newRow("CJK Extension A surname") << QStringLiteral("王䶮") << qsizetype(1) << qsizetype(3);
        QTest::newRow("Korean") << QStringLiteral("김민") << qsizetype(0) << qsizetype(2);
        QTest::newRow("wave dash") << QStringLiteral("1〜2") << qsizetype(1) << qsizetype(3);
        QTest::newRow("Extension B") << QStringLiteral("𠀀") << qsizetype(0) << qsizetype(1);
    }
    void encodesAgainAfterARefusal()
    {
        QFETCH(QString, refused);
        QFETCH(qsizetype, index);
        QFETCH(qsizetype, bytes);
        Gbk gbk;
        QByteArray out("x");
        qsizetype bad = -1;
        QVERIFY(!gbk.encode(QStringLiteral("王😀"), out, &bad));
        QCOMPARE(bad, qsizetype(1));
        QCOMPARE(out, QByteArray("x"));
        QVERIFY(gbk.encode(QStringLiteral("王,"), out));
        QCOMPARE(out, QByteArray("x\xCD\xF5,"));
        for (int again = 0; again < 3; ++again) {
            bad = -1;
            QVERIFY2(!gbk.encode(refused, out, &bad), qPrintable(QString::number(again)));
            QCOMPARE(bad, index);
            QCOMPARE(out, QByteArray("x\xCD\xF5,"));
        }
        QVERIFY(gbk.encode(QStringLiteral("王"), out));
        QCOMPARE(out, QByteArray("x\xCD\xF5,\xCD\xF5"));
        // The byte count of the ANSI conversion: a refused character is one replacement byte, every time.
        for (int again = 0; again < 3; ++again)
            QCOMPARE(Gbk::byteLength(refused), bytes);
        QCOMPARE(Gbk::byteLength(QStringLiteral("王a")), qsizetype(3));
    }
};

ZQ_TEST(TestGbkRecovery)
#include "TestGbkRecovery.moc"

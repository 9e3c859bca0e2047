#include "TestSupport.h"
#include "core/Gbk.h"

#include <QTest>

using namespace zq;

class TestGbkRecovery : public QObject {
    Q_OBJECT
private slots:
    void encodesAgainAfterARefusal()
    {
        // One encoder serves a whole file: a refused character must not poison the texts after it.
        Gbk gbk;
        QByteArray out("x");
        qsizetype bad = -1;
        QVERIFY(!gbk.encode(QStringLiteral("王😀"), out, &bad));
        QCOMPARE(bad, qsizetype(1));
        QCOMPARE(out, QByteArray("x"));
        QVERIFY(gbk.encode(QStringLiteral("王,"), out));
        QCOMPARE(out, QByteArray("x\xCD\xF5,"));
    }
};

ZQ_TEST(TestGbkRecovery)
#include "TestGbkRecovery.moc"

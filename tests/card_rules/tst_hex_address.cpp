#include "hex_address.h"

#include <QtTest>

class TestHexAddress : public QObject
{
    Q_OBJECT
private slots:
    void rule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<quint32>("value");
        QTest::newRow("300") << "300" << true << 0x300u;
        QTest::newRow("lower case") << "3f0" << true << 0x3F0u;
        QTest::newRow("leading zeros") << "0000000000300" << true << 0x300u;
        QTest::newRow("zero") << "0" << true << 0u;
        QTest::newRow("eight digits") << "FFFFFFFF" << true << 0xFFFFFFFFu;
        QTest::newRow("nine digits") << "100000000" << false << 0u;
        QTest::newRow("empty") << "" << false << 0u;
        QTest::newRow("blank") << " 300" << false << 0u;
        QTest::newRow("trailing blank") << "300 " << false << 0u;
        QTest::newRow("dollar") << "$300" << false << 0u;
        QTest::newRow("0x") << "0x300" << false << 0u;
        QTest::newRow("sign") << "-300" << false << 0u;
        QTest::newRow("plus") << "+300" << false << 0u;
        QTest::newRow("G") << "30G" << false << 0u;
        QTest::newRow("full-width digit") << QString::fromUtf8("\xef\xbc\x93") << false << 0u;
    }
    void rule()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(quint32, value);
        const auto parsed = parseHexAddress(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }
    void stripLeadingZeros()
    {
        QCOMPARE(StripLeadingZeros("0"), QString("0"));
        QCOMPARE(StripLeadingZeros("0300"), QString("300"));
        QCOMPARE(StripLeadingZeros("00"), QString());
        QCOMPARE(StripLeadingZeros("300"), QString("300"));
    }
};

QTEST_GUILESS_MAIN(TestHexAddress)
#include "tst_hex_address.moc"

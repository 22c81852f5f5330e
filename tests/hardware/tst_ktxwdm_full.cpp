// Binding the driver library when the complete library is on the search path.

#include "fakes/fake_ktxwdm.h"
#include "fakes/symbol_lookups.h"
#include "ktxwdm.h"

#include <QTest>

class TestKtxwdmFull : public QObject
{
    Q_OBJECT

private slots:
    void nothingBeforeTheFirstBinding()
    {
        QVERIFY(!FakeKtxwdm::loaded()); // not touched at start-up
        QVERIFY(!KTXWDM::DriverLibraryBound());
        QVERIFY(!KTXWDM::GetNumCards());
        for (int i = 0; i < KTXWDM::EntryCount; ++i)
            QCOMPARE(KTXWDM::entry(i), nullptr);
    }

    void entryNamesInBindingOrder()
    {
        QCOMPARE(KTXWDM::EntryCount, 33);
        QCOMPARE(KTXWDM::entryName(0), "GetNumCards");
        QCOMPARE(KTXWDM::entryName(16), "EmergencyReboot");
        QCOMPARE(KTXWDM::entryName(17), "InPortB");
        QCOMPARE(KTXWDM::entryName(32), "RelOutPortDWord");
        QCOMPARE(KTXWDM::entryName(-1), nullptr);
        QCOMPARE(KTXWDM::entryName(33), nullptr);
        QCOMPARE(KTXWDM::entry(33), nullptr);
    }

    void bindsEveryEntry()
    {
        KTXWDM::BindDriverLibrary();
        QVERIFY(FakeKtxwdm::loaded());
        QVERIFY(!FakeKtxwdm::partial());
        COMPARE_LOOKUPS("GetNumCards", 1);
        COMPARE_LOOKUPS("RelOutPortDWord", 1);
        QVERIFY(KTXWDM::DriverLibraryBound());
        for (int i = 0; i < KTXWDM::EntryCount; ++i)
            QVERIFY2(KTXWDM::entry(i), KTXWDM::entryName(i));
        // each entry is the export of its own name, not a neighbour's
        for (int i = 0; i + 1 < KTXWDM::EntryCount; ++i)
            QVERIFY(KTXWDM::entry(i) != KTXWDM::entry(i + 1));
    }

    void getNumCardsCallsTheLibrary_data()
    {
        QTest::addColumn<qint32>("count");
        QTest::newRow("none") << 0;
        QTest::newRow("two") << 2;
        QTest::newRow("negative") << -1;
    }
    void getNumCardsCallsTheLibrary()
    {
        QFETCH(qint32, count);
        KTXWDM::TGetNumCards getNumCards = KTXWDM::GetNumCards();
        QVERIFY(getNumCards);
        QCOMPARE(reinterpret_cast<void *>(getNumCards), KTXWDM::entry(0));
        FakeKtxwdm::setNumCards(count);
        QCOMPARE(getNumCards(), count);
    }

    void secondBindingDoesNothing()
    {
        QList<void *> before;
        for (int i = 0; i < KTXWDM::EntryCount; ++i)
            before.append(KTXWDM::entry(i));
        SymbolLookups::clear();
        KTXWDM::BindDriverLibrary();
        KTXWDM::BindDriverLibrary();
        QVERIFY(KTXWDM::DriverLibraryBound());
        COMPARE_LOOKUPS("GetNumCards", 0);
        COMPARE_LOOKUPS("RelOutPortDWord", 0);
        for (int i = 0; i < KTXWDM::EntryCount; ++i)
            QCOMPARE(KTXWDM::entry(i), before[i]);
        QCOMPARE(FakeKtxwdm::loadCount(), 1);
        QCOMPARE(FakeKtxwdm::mappedCopies(), 1);
    }
};

QTEST_GUILESS_MAIN(TestKtxwdmFull)
#include "tst_ktxwdm_full.moc"

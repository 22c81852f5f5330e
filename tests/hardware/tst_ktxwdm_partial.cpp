// Binding a driver library that lacks its last export, RelOutPortDWord.

#include "fakes/fake_ktxwdm.h"
#include "fakes/symbol_lookups.h"
#include "ktxwdm.h"

#include <QTest>

class TestKtxwdmPartial : public QObject
{
    Q_OBJECT

private:
    void checkPartialTable()
    {
        QVERIFY(!KTXWDM::DriverLibraryBound());
        for (int i = 0; i < KTXWDM::EntryCount - 1; ++i)
            QVERIFY2(KTXWDM::entry(i), KTXWDM::entryName(i));
        QCOMPARE(KTXWDM::entry(KTXWDM::EntryCount - 1), nullptr);
    }

private slots:
    void bindsAllButTheMissingName()
    {
        KTXWDM::BindDriverLibrary();
        QVERIFY(FakeKtxwdm::loaded());
        QVERIFY(FakeKtxwdm::partial());
        checkPartialTable();
    }

    void boundEntriesAreUsable()
    {
        FakeKtxwdm::setNumCards(3);
        QVERIFY(KTXWDM::GetNumCards());
        QCOMPARE(KTXWDM::GetNumCards()(), 3);
    }

    void laterBindingTriesAgain()
    {
        SymbolLookups::clear();
        KTXWDM::BindDriverLibrary();
        checkPartialTable();
        // every name is looked up again, the first as well as the missing one
        COMPARE_LOOKUPS("GetNumCards", 1);
        COMPARE_LOOKUPS("RelOutPortDWord", 1);
        QCOMPARE(FakeKtxwdm::loadCount(), 1); // loaded again means the same loaded copy
        QCOMPARE(FakeKtxwdm::mappedCopies(), 1);
    }
};

QTEST_GUILESS_MAIN(TestKtxwdmPartial)
#include "tst_ktxwdm_partial.moc"

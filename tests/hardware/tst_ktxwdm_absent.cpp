// Binding while no driver library can be found, and again once one has been put on the search
// path. The test's library search path holds one folder, empty at the start; the test links the
// complete fake library into it between the two attempts (the loader reads the folder anew on
// every load).

#include "fakes/fake_ktxwdm.h"
#include "fakes/symbol_lookups.h"
#include "ktxwdm.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
QStringList messages;

void collect(QtMsgType, const QMessageLogContext &, const QString &text)
{
    messages.append(text);
}
} // namespace

class TestKtxwdmAbsent : public QObject
{
    Q_OBJECT

private:
    const QString m_searchDir = QStringLiteral(KTXWDM_SEARCH_DIR);
    const QString m_link = m_searchDir + QStringLiteral("/libKTXWDM.so");

private slots:
    void initTestCase()
    {
        QVERIFY2(QDir(m_searchDir).exists(), "the search folder is made when the test is built");
        QFile::remove(m_link);
        QVERIFY(!QFile::exists(m_link));
    }

    void absentLibrary()
    {
        const QtMessageHandler previous = qInstallMessageHandler(collect);
        KTXWDM::BindDriverLibrary();
        qInstallMessageHandler(previous);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
        QVERIFY(!KTXWDM::DriverLibraryBound());
        QVERIFY(!FakeKtxwdm::loaded());
        QVERIFY(!KTXWDM::GetNumCards());
        for (int i = 0; i < KTXWDM::EntryCount; ++i)
            QCOMPARE(KTXWDM::entry(i), nullptr);

        KTXWDM::BindDriverLibrary(); // still absent: no change
        QVERIFY(!KTXWDM::DriverLibraryBound());
        COMPARE_LOOKUPS("GetNumCards", 0); // nothing to look into
    }

    void laterCallLoadsTheLibraryOnceItIsThere()
    {
        QVERIFY(QFile::link(QStringLiteral(KTXWDM_FULL_LIBRARY), m_link));
        KTXWDM::BindDriverLibrary();
        QVERIFY(FakeKtxwdm::loaded());
        QVERIFY(KTXWDM::DriverLibraryBound());
        for (int i = 0; i < KTXWDM::EntryCount; ++i)
            QVERIFY2(KTXWDM::entry(i), KTXWDM::entryName(i));
        FakeKtxwdm::setNumCards(1);
        QCOMPARE(KTXWDM::GetNumCards()(), 1);
    }

    void cleanupTestCase() { QFile::remove(m_link); }
};

QTEST_GUILESS_MAIN(TestKtxwdmAbsent)
#include "tst_ktxwdm_absent.moc"

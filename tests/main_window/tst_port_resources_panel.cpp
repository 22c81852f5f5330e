// The port-resources logic on the panel of port_panel_fixture.h.
#include "linux_setup.h"
#include "linux_setup_window.h"
#include "main_window/port_panel_fixture.h"
#include "vanto32.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestPortResourcesPanel : public QObject
{
    Q_OBJECT
private slots:
    void startsInTheOverviewState()
    {
        Fixture f;
        QVERIFY(!f.inConfiguration());
        QVERIFY(!f.check(0)->isHidden());
        QVERIFY(f.edit(0)->isHidden());
        QCOMPARE(f.edit(0)->text(), QString());
    }

    void enteringStartsAfresh_data()
    {
        QTest::addColumn<bool>("rs422");
        QTest::newRow("RS-422") << true;
        QTest::newRow("other protocol") << false;
    }
    void enteringStartsAfresh()
    {
        QFETCH(bool, rs422);
        Fixture f;
        f.rs422Jumper->setClosed(rs422);
        // What the user ticked in the overview does not survive the entry.
        f.check(2)->setChecked(!rs422);
        f.baseEdit->setText(QStringLiteral("3f5"));
        MessageBoxAnswerer answers({QMessageBox::Ok});
        f.logic->ConfigButtonClick();
        QCOMPARE(answers.seen().size(), 1);
        const auto &warning = answers.seen().first();
        QCOMPARE(warning.caption, QStringLiteral("Access Warning"));
        QCOMPARE(warning.text,
                 QStringLiteral("The setup program will now try to access the card. Only continue if "
                                "the base address has been set correctly(Settings | Base Address) "
                                "and the card is installed."));
        QCOMPARE(warning.icon, QMessageBox::Question);
        QCOMPARE(warning.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QVERIFY(warning.modal);
        QCOMPARE(warning.parent, &f.window);

        QVERIFY(f.inConfiguration());
        // Every control of the panel changed sides.
        for (QWidget *w : f.panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            const bool overview = w == f.configButton || w->objectName() == QLatin1String("Label35") ||
                                  w->objectName().startsWith(QLatin1String("LockRTSCheck"));
            QVERIFY2(w->isHidden() == overview, qPrintable(w->objectName()));
        }
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(f.spinner(i)->Position(), 1016);
            QCOMPARE(f.edit(i)->text(), QStringLiteral("***"));
            QCOMPARE(f.check(i)->isChecked(), rs422);
        }
        QCOMPARE(f.irq->currentIndex(), -1);
        // The card answers at its jumper address.
        QCOMPARE(f.logic->controlBase(), quint16(0x3F0));
    }

    void cancelledWarningChangesNothing()
    {
        Fixture f;
        f.check(1)->setChecked(true);
        MessageBoxAnswerer answers({QMessageBox::Cancel});
        f.logic->ConfigButtonClick();
        QCOMPARE(answers.seen().size(), 1);
        QVERIFY(!f.inConfiguration());
        QVERIFY(f.check(1)->isChecked());
        QCOMPARE(f.edit(0)->text(), QString());
        QCOMPARE(f.spinner(0)->Position(), 256);
    }

    void invalidBaseAddressText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("letter G") << "30G";
        QTest::newRow("empty") << "";
        QTest::newRow("prefix") << "0x300";
        QTest::newRow("nine digits") << "100000000";
    }
    void invalidBaseAddressText()
    {
        QFETCH(QString, text);
        Fixture f;
        f.enter();
        // A later failed entry keeps both the state and the address of the last good one.
        {
            MessageBoxAnswerer toOverview({QMessageBox::Ok, QMessageBox::Ok});
            f.choose(ExamplePorts, QStringLiteral("5"));
            f.use();
            QVERIFY(!f.inConfiguration());
        }
        f.writes.clear();

        f.baseEdit->setText(text);
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        f.logic->ConfigButtonClick();
        QCOMPARE(answers.seen().size(), 2);
        const auto &error = answers.seen().at(1);
        QCOMPARE(error.text,
                 QLatin1Char('"') + text + QStringLiteral("\" is not a valid hexadecimal value."));
        QCOMPARE(error.icon, QMessageBox::Critical);
        QCOMPARE(error.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!f.inConfiguration());
        QCOMPARE(f.logic->controlBase(), quint16(0x300));
        QVERIFY(f.writes.isEmpty());
    }

    void checksStopTheClick()
    {
        Fixture f;
        f.enter();
        {
            // Straight after entering: port A still shows "***".
            MessageBoxAnswerer answers({QMessageBox::Ok});
            f.use();
            QCOMPARE(answers.seen().size(), 1);
            const auto &box = answers.seen().first();
            QCOMPARE(box.caption, QStringLiteral("Invalid Setting"));
            QCOMPARE(box.text, QStringLiteral("Error: base address for port A is invalid."));
            QCOMPARE(box.icon, QMessageBox::Warning);
            QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }
        {
            // The first port still unchosen is named.
            for (int i = 0; i < 5; ++i)
                f.spinner(i)->setPosition(0x200 + 8 * i);
            // Set to the value it already holds: no request, the edit still shows "***".
            f.spinner(5)->setPosition(1016);
            MessageBoxAnswerer answers({QMessageBox::Ok});
            f.use();
            QCOMPARE(answers.seen().size(), 1);
            QCOMPARE(answers.seen().first().text,
                     QStringLiteral("Error: base address for port F is invalid."));
        }
        {
            // All ports set, no IRQ.
            f.choose(ExamplePorts, QString());
            MessageBoxAnswerer answers({QMessageBox::Ok});
            f.use();
            QCOMPARE(answers.seen().size(), 1);
            QCOMPARE(answers.seen().first().text, QStringLiteral("Error: IRQ for all ports is invalid."));
            QCOMPARE(answers.seen().first().icon, QMessageBox::Warning);
        }
        {
            // Two ports at one address would both stop working: refused before the question,
            // naming the first two that share it.
            QList<int> shared = ExamplePorts;
            shared[2] = shared[6] = shared[0];
            f.choose(shared, QStringLiteral("3"));
            MessageBoxAnswerer answers({QMessageBox::Ok});
            f.use();
            QCOMPARE(answers.seen().size(), 1);
            QCOMPARE(answers.seen().first().caption, QStringLiteral("Invalid Setting"));
            QCOMPARE(answers.seen().first().text,
                     QStringLiteral("Error: ports A and C have the same base address."));
            QCOMPARE(answers.seen().first().icon, QMessageBox::Warning);
        }
        {
            // Everything valid, but the question answered with Cancel.
            f.choose(ExamplePorts, QStringLiteral("3"));
            MessageBoxAnswerer answers({QMessageBox::Cancel});
            f.use();
            QCOMPARE(answers.seen().size(), 1);
            QCOMPARE(answers.seen().first().caption, QStringLiteral("Confirmation"));
            QCOMPARE(answers.seen().first().icon, QMessageBox::Question);
            QCOMPARE(answers.seen().first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        }
        QVERIFY(f.writes.isEmpty());
        QVERIFY(f.inConfiguration());
        QCOMPARE(f.edit(0)->text(), QStringLiteral("3F8"));
        QCOMPARE(f.irq->currentText(), QStringLiteral("3"));
    }

    void spinnerAndKeys()
    {
        Fixture f;
        f.enter();
        TUpDown *a = f.spinner(0);
        // Straight after entering: 1016.
        a->stepDown();
        QCOMPARE(a->Position(), 1008);
        QCOMPARE(f.edit(0)->text(), QStringLiteral("3F0"));
        a->stepUp();
        a->stepUp(); // requests 1024
        QCOMPARE(a->Position(), 1016);
        QCOMPARE(f.edit(0)->text(), QStringLiteral("3F8"));

        // Keys in an edit move the paired spinner, whichever modifiers are held.
        TUpDown *c = f.spinner(2);
        QLineEdit *editC = f.edit(2);
        QTest::keyClick(editC, Qt::Key_Down);
        QCOMPARE(c->Position(), 1008);
        QCOMPARE(editC->text(), QStringLiteral("3F0"));
        c->setPosition(256);
        QTest::keyClick(editC, Qt::Key_PageDown, Qt::ShiftModifier); // requests 192
        QCOMPARE(c->Position(), 256);
        QCOMPARE(editC->text(), QStringLiteral("100"));
        c->setPosition(1000);
        QTest::keyClick(editC, Qt::Key_PageUp, Qt::ControlModifier); // requests 1064
        QCOMPARE(c->Position(), 1016);
        QCOMPARE(editC->text(), QStringLiteral("3F8"));
        QTest::keyClick(editC, Qt::Key_PageDown);
        QCOMPARE(c->Position(), 952);
        QCOMPARE(editC->text(), QStringLiteral("3B8"));
        QTest::keyClick(editC, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(c->Position(), 960);
        QTest::keyClick(editC, Qt::Key_Left);
        QTest::keyClick(editC, Qt::Key_A);
        QCOMPARE(c->Position(), 960);
        QCOMPARE(editC->text(), QStringLiteral("3C0"));
        // Only its own pair moved.
        QCOMPARE(f.spinner(1)->Position(), 1016);
        QCOMPARE(f.edit(1)->text(), QStringLiteral("***"));
        // Edits show exactly three digits.
        c->setPosition(0x108);
        QCOMPARE(editC->text(), QStringLiteral("108"));
    }

    void pairingFollowsTheControls()
    {
        Fixture f;
        for (int i = 0; i < 8; ++i)
            QCOMPARE(f.spinner(i)->Associate(), f.edit(i));
        // Enter again (the focus came back): still one pair per port, nothing doubled.
        f.logic->COMBasePanelEnter();
        f.enter();
        QTest::keyClick(f.edit(7), Qt::Key_Down);
        QCOMPARE(f.spinner(7)->Position(), 1008);
        QCOMPARE(f.spinner(6)->Position(), 1016);
    }

    void writesTheExample_data()
    {
        QTest::addColumn<bool>("rs422");
        QTest::addColumn<QString>("baseText");
        QTest::addColumn<quint32>("indexPort");
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("checks"); // what the checks put at the head of the details
        QTest::newRow("RS-422 at 300") << true << "300" << 0x301u << 0xFF << "";
        QTest::newRow("RS-485 at 300") << false << "300" << 0x301u << 0x00 << "";
        // The card's registers answer at its jumper address, not at the typed extras.
        QTest::newRow("typed 3F5") << true << "3F5" << 0x3F1u << 0xFF << "";
        QTest::newRow("typed 12300") << true << "12300" << 0x301u << 0xFF << "";
        // Its index register, 0x101, is then among port E's addresses: asked all the same.
        QTest::newRow("typed 10F") << true << "10F" << 0x101u << 0xFF
                                   << "The checks of this Linux found a problem:\n";
    }
    void writesTheExample()
    {
        QFETCH(bool, rs422);
        QFETCH(QString, baseText);
        QFETCH(quint32, indexPort);
        QFETCH(int, mask);
        QFETCH(QString, checks);
        Fixture f;
        f.rs422Jumper->setClosed(rs422);
        f.baseEdit->setText(baseText);
        f.enter();
        f.choose(ExamplePorts, QStringLiteral("A"));
        QSignalSpy finished(f.logic.get(), &TPortResourcesPanel::sequenceFinished);
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Cancel});
        f.use();
        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(answers.seen().size(), 2);
        QCOMPARE(answers.seen().at(0).text,
                 QStringLiteral(
                     "The setup program will now write the port resources. If they conflict with another "
                     "device in your system, neither may function once the DF jumper is removed. Are you "
                     "sure you want to use these resources?"));
        // The details list what the checks found (the fixture's Linux has nothing at these ports).
        QCOMPARE(answers.seen().at(0).details,
                 checks.isEmpty()
                     ? QString()
                     : checks + QStringLiteral("problem: port E at 0x100 overlaps the card's own control\n"
                                               "  registers at 0x101 and 0x102: choose another address\n"));
        const auto &done = answers.seen().at(1);
        QCOMPARE(done.caption, QStringLiteral("Confirmation"));
        QCOMPARE(done.text,
                 QStringLiteral("The resources have been written to the card. You will now need to shut "
                                "down the stack, remove the DF jumper, and start back up. Your card will "
                                "then be ready for use!"));
        QCOMPARE(done.icon, QMessageBox::Information);
        QCOMPARE(done.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        // Its details: the Linux set-up of the ports just written, to copy, and their stable names.
        const QString details = done.details;
        QVERIFY(details.startsWith(
            TLinuxSetup({0x3F8, 0x2F8, 0x3E8, 0x2E8, 0x100, 0x108, 0x110, 0x118}, 10, false).text()));
        QVERIFY2(details.endsWith(QStringLiteral("#   /dev/tr4410/%1/H  (ttyS7)\n")
                                      .arg(QString::number(indexPort - 1, 16).toUpper())),
                 qPrintable(details));
        // And in a resizable window of its own, whose Save... writes the files of linux --output.
        auto *setup = f.window.findChild<TLinuxSetupWindow *>();
        QVERIFY(setup && setup->isVisible());
        QCOMPARE(setup->text(), done.details);
        QVERIFY(setup->minimumSize() != setup->maximumSize());
        QTemporaryDir saved;
        QVERIFY(setup->saveInto(saved.filePath(QStringLiteral("new"))));
        QCOMPARE(QDir(saved.filePath(QStringLiteral("new"))).entryList(QDir::Files),
                 QStringList(
                     {"kernel-parameter.txt", "tr4410-serial.service", "tr4410-setserial.sh", "tr4410.cfg"}));
        // A folder that holds a folder of the script's name: the two files before it are saved.
        QVERIFY(QDir(saved.path()).mkpath(QStringLiteral("taken/tr4410-setserial.sh")));
        answers.expect(QMessageBox::Ok);
        QVERIFY(!setup->saveInto(saved.filePath(QStringLiteral("taken"))));
        QCOMPARE(answers.seen().size(), 3);
        QVERIFY2(answers.seen().at(2).text.endsWith(QStringLiteral(
                     "\n\nChoose a folder you may write into; 2 of the files have been saved.")),
                 qPrintable(answers.seen().at(2).text));

        const QList<int> values{0x7F, 0x5F, 0x7D, 0x5D, 0x20, 0x21, 0x22, 0x23, 10, mask};
        QCOMPARE(f.writes.size(), 20);
        for (int k = 1; k <= 10; ++k) {
            QCOMPARE(f.writes.at(2 * k - 2).port, indexPort);
            QCOMPARE(int(f.writes.at(2 * k - 2).value), k);
            QCOMPARE(f.writes.at(2 * k - 1).port, indexPort + 1);
            QCOMPARE(int(f.writes.at(2 * k - 1).value), values.at(k - 1));
        }
        for (int i = 1; i < f.writes.size(); ++i)
            QVERIFY(f.writes.at(i).ns - f.writes.at(i - 1).ns >= 10'000'000);
        // Back in the overview, the boxes show the mask written.
        QVERIFY(!f.inConfiguration());
        for (int i = 0; i < 8; ++i)
            QCOMPARE(f.check(i)->isChecked(), rs422);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!f.logic->busy());
    }

    void maskFollowsTheBoxesOfEachPort()
    {
        Fixture f;
        f.enter();
        f.choose(ExamplePorts, QStringLiteral("F"));
        // The boxes are not on screen in this state, but the mask is built from them (A = bit 0).
        f.check(0)->setChecked(true);
        f.check(3)->setChecked(true);
        f.check(7)->setChecked(true);
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        f.use();
        QCOMPARE(f.writes.size(), 20);
        QCOMPARE(int(f.writes.at(17).value), 15);
        QCOMPARE(int(f.writes.at(19).value), 0x89);
    }

    void valuesAreTakenBeforeTheFirstWrite()
    {
        Fixture f;
        f.enter();
        f.choose(ExamplePorts, QStringLiteral("A"));
        // Changes during the waits must not alter the sequence under way.
        f.triggerAt = 3;
        f.trigger = [&] {
            f.spinner(7)->setPosition(0x300);
            f.irq->setCurrentIndex(0);
            f.baseEdit->setText(QStringLiteral("200"));
        };
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        f.use();
        QCOMPARE(f.writes.size(), 20);
        QCOMPARE(int(f.writes.at(15).value), 0x23);
        QCOMPARE(int(f.writes.at(17).value), 10);
        QCOMPARE(f.spinner(7)->Position(), 0x300); // the change did happen, during the waits
        for (const PortWrite &w : std::as_const(f.writes))
            QVERIFY(w.port == 0x301 || w.port == 0x302);
    }

    void oneSequenceAtATime()
    {
        Fixture f;
        f.enter();
        f.choose(ExamplePorts, QStringLiteral("A"));
        QSignalSpy finished(f.logic.get(), &TPortResourcesPanel::sequenceFinished);
        bool busyDuring = false;
        int writesBefore = -1;
        int finishedDuring = -1;
        // Both buttons pressed again in the middle of the writes.
        f.triggerAt = 5;
        f.trigger = [&] {
            busyDuring = f.logic->busy();
            writesBefore = int(f.writes.size());
            finishedDuring = int(finished.count());
            f.logic->UseButtonClick();
            f.logic->ConfigButtonClick();
        };
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        f.use();
        QVERIFY(busyDuring);
        QVERIFY(writesBefore > 0 && writesBefore < 20);
        QCOMPARE(finishedDuring, 0);
        // Only the first click's two boxes, twenty writes, one end.
        QCOMPARE(answers.seen().size(), 2);
        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(f.writes.size(), 20);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!f.inConfiguration());
        QVERIFY(!f.logic->busy());
    }

    void withoutPortAccessNothingIsWritten()
    {
        Fixture f;
        f.logic->setPortAccess(false);
        f.enter();
        f.choose(ExamplePorts, QStringLiteral("7"));
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        f.use();
        QVERIFY(f.writes.isEmpty());
        QCOMPARE(answers.seen().size(), 1);
        const auto &box = answers.seen().first();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(box.text.contains(QLatin1String("group tr4410")));
        QVERIFY(box.text.contains(QLatin1String("root")));
        QVERIFY(!box.text.contains(QLatin1String("have been written")));
        // Still configuring, with the user's values.
        QVERIFY(f.inConfiguration());
        QCOMPARE(f.edit(1)->text(), QStringLiteral("2F8"));
        QCOMPARE(f.irq->currentText(), QStringLiteral("7"));
        // Once access is there, the same click writes.
        f.logic->setPortAccess(true);
        MessageBoxAnswerer again({QMessageBox::Ok, QMessageBox::Ok});
        f.use();
        QCOMPARE(f.writes.size(), 20);
    }

    // What the port layer reports after a write, and what the user is told: never the closing
    // "Confirmation" unless every write went through. Nothing more is written after a failure.
    void failuresAreReported_data()
    {
        QTest::addColumn<QString>("baseText");
        QTest::addColumn<int>("failAt"); // the write (1 to 20) whose status is not OK
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("says");
        QTest::newRow("base 0F0") << "F0" << 0 << 0 << "Invalid Control Base Address"
                                  << "control base address is 0F0, but it must be 100 to 3F0";
        QTest::newRow("base 000") << "0" << 0 << 0 << "Invalid Control Base Address"
                                  << "Ports below 100 belong to the computer's system board";
        QTest::newRow("helper died") << "300" << 7 << VANTO32_STATUS_FAILED << "Write Failed"
                                     << "The last register written was register 3 (base address for port C). "
                                        "The card may now hold a partial set of resources.";
        QTest::newRow("refused last data") << "300" << 20 << VANTO32_STATUS_REFUSED << "Write Failed"
                                           << "register 9 (IRQ for all ports)";
        QTest::newRow("busy at once") << "300" << 1 << VANTO32_STATUS_BUSY << "Write Failed"
                                      << "another program is writing to the card.\n\nNo resource register "
                                         "was written.";
        QTest::newRow("busy later") << "300" << 12 << VANTO32_STATUS_BUSY << "Write Failed"
                                    << "another program is writing to the card.\n\nThe last register "
                                       "written was register 5";
        QTest::newRow("busy, holder named")
            << "300" << 1 << VANTO32_STATUS_BUSY << "Write Failed"
            << "\"Use These Resources\".\n\nThe card is held by flock (process 812, user ann).";
        QTest::newRow("access lost later")
            << "300" << 7 << VANTO32_STATUS_NO_ACCESS << "Write Failed"
            << "lost its access to the I/O ports.\n\nThe last register written was register 3";
        QTest::newRow("no access") << "300" << 1 << VANTO32_STATUS_NO_ACCESS << "No Port Access"
                                   << "members of the group tr4410";
        QTest::newRow("locked down") << "300" << 1 << VANTO32_STATUS_LOCKED_DOWN << "No Port Access"
                                     << "Turn Secure Boot off in the firmware set-up";
    }
    void failuresAreReported()
    {
        QFETCH(QString, baseText);
        QFETCH(int, failAt);
        QFETCH(int, status);
        QFETCH(QString, caption);
        QFETCH(QString, says);
        qputenv("FAKE_VANTO32_BUSY_HOLDER", QTest::currentDataTag() == QByteArray("busy, holder named")
                                                ? "flock (process 812, user ann)"
                                                : "");
        Fixture f;
        f.logic->writer()->setStatusReader([&] { return int(f.writes.size()) == failAt ? status : 0; });
        f.baseEdit->setText(baseText);
        f.enter();
        f.choose(ExamplePorts, QStringLiteral("A"));
        MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok});
        f.use();
        QCOMPARE(answers.seen().size(), failAt == 0 ? 1 : 2);
        const auto &box = answers.seen().last();
        QCOMPARE(box.caption, caption);
        QVERIFY2(box.text.contains(says), qPrintable(box.text));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(f.writes.size(), failAt);
        // Still configuring, with the user's values, ready to repeat the write.
        QVERIFY(f.inConfiguration());
        QCOMPARE(f.edit(1)->text(), QStringLiteral("2F8"));
        QCOMPARE(f.irq->currentText(), QStringLiteral("A"));
        QVERIFY(!f.logic->busy());
    }

    void windowDestroyedDuringTheWrites()
    {
        auto f = std::make_unique<Fixture>();
        f->enter();
        f->choose(ExamplePorts, QStringLiteral("A"));
        QPointer<TPortResourcesPanel> logic = f->logic.get();
        // The logic goes with its owner in the middle of a wait.
        f->triggerAt = 4;
        f->trigger = [&] { f.reset(); };
        MessageBoxAnswerer answers({QMessageBox::Ok});
        useAndWait(logic);
        QVERIFY(logic.isNull());
        QCOMPARE(answers.unexpected(), 0);
    }
};

QTEST_MAIN(TestPortResourcesPanel)
#include "tst_port_resources_panel.moc"

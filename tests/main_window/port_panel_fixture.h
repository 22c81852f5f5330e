#pragma once

// The main window's COMBasePanel built control by control, the way the main window's layout names
// them, with the port-resources logic on it; the writes go to a recorder instead of the port
// library.
#include "main_window/message_box_answerer.h"
#include "port_resources_panel.h"
#include "radio_panel.h"
#include "resource_writer.h"
#include "two_jumper.h"
#include "up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

struct PortWrite
{
    quint32 port;
    quint8 value;
    qint64 ns;
};

inline const QString Ports = QStringLiteral("ABCDEFGH");

// Clicks "Use These Resources" and waits until the sequence it started, if any, has ended or the
// logic has gone.
inline void useAndWait(TPortResourcesPanel *logic)
{
    const QPointer<TPortResourcesPanel> alive(logic);
    logic->UseButtonClick();
    QTRY_VERIFY(!alive || !alive->busy());
}

// The main window's COMBasePanel with its controls and the two controls the logic reads from
// other panels, BaseEdit and RS422JumperA.
struct Fixture
{
    QWidget window;
    TRadioPanel *panel;
    QLineEdit *baseEdit;
    TTwoJumper *rs422Jumper;
    QComboBox *irq;
    QPushButton *configButton;
    QPushButton *useButton;
    std::unique_ptr<TPortResourcesPanel> logic;
    QList<PortWrite> writes;
    QElapsedTimer clock;
    // Posted to the event loop once the given number of writes is out, so it runs in a wait.
    int triggerAt = -1;
    std::function<void()> trigger;

    Fixture()
    {
        window.setObjectName(QStringLiteral("MainForm"));
        panel = new TRadioPanel(&window);
        panel->setObjectName(QStringLiteral("COMBasePanel"));
        baseEdit = new QLineEdit(QStringLiteral("300"), &window);
        baseEdit->setObjectName(QStringLiteral("BaseEdit"));
        rs422Jumper = new TTwoJumper(&window);
        rs422Jumper->setObjectName(QStringLiteral("RS422JumperA"));

        const auto hidden = [](QWidget *w) {
            w->setVisible(false);
            return w;
        };
        hidden(new QLabel(QStringLiteral("I/O Addr."), panel))->setObjectName(QStringLiteral("Label16"));
        hidden(new QLabel(QStringLiteral("I/O Addr."), panel))->setObjectName(QStringLiteral("Label18"));
        hidden(new QLabel(QStringLiteral("IRQ (All)"), panel))->setObjectName(QStringLiteral("Label19"));
        for (int i = 0; i < 8; ++i) {
            const QString l = Ports.at(i);
            hidden(new QLabel(l, panel))->setObjectName(QStringLiteral("Label%1").arg(i + 3));
            auto *edit = new QLineEdit(panel);
            edit->setObjectName(QStringLiteral("BaseEdit") + l);
            edit->setReadOnly(true);
            hidden(edit);
            auto *spinner = new TUpDown(panel);
            spinner->setObjectName(QStringLiteral("BaseUD") + l);
            spinner->setMin(256);
            spinner->setMax(1016);
            spinner->setIncrement(8);
            spinner->setPosition(256);
            spinner->setWrap(false);
            spinner->setThousands(false);
            hidden(spinner);
        }
        irq = new QComboBox(panel);
        irq->setObjectName(QStringLiteral("IRQCombo"));
        irq->addItems({"2", "3", "4", "5", "6", "7", "A", "B", "C", "F"});
        irq->setCurrentIndex(-1);
        hidden(irq);
        hidden(new QLabel(QStringLiteral(".\n.\n."), panel))->setObjectName(QStringLiteral("DittoLabel"));
        configButton = new QPushButton(QStringLiteral("Configure Port Resources..."), panel);
        configButton->setObjectName(QStringLiteral("ConfigButton"));
        (new QLabel(QStringLiteral("Ports using RS-422:"), panel))->setObjectName(QStringLiteral("Label35"));
        for (int i = 0; i < 8; ++i)
            (new QCheckBox(Ports.at(i), panel))->setObjectName(QStringLiteral("LockRTSCheck") + Ports.at(i));
        useButton = new QPushButton(QStringLiteral("Use These Resources"), panel);
        useButton->setObjectName(QStringLiteral("UseButton"));
        hidden(useButton);

        TPortResourcesControls controls;
        controls.panel = panel;
        controls.baseEdit = baseEdit;
        controls.rs422Jumper = rs422Jumper;
        controls.irqCombo = irq;
        for (int i = 0; i < 8; ++i) {
            controls.portEdits.at(i) = edit(i);
            controls.portSpinners.at(i) = spinner(i);
            controls.rs422Checks.at(i) = check(i);
        }
        logic = std::make_unique<TPortResourcesPanel>(controls, nullptr);
        for (int i = 0; i < 8; ++i) {
            QObject::connect(spinner(i), &TUpDown::OnChangingEx,
                             [this](QObject *sender, bool &allow, int value, int direction) {
                                 logic->BaseUDChangingEx(qobject_cast<TUpDown *>(sender), allow, value,
                                                         direction);
                             });
        }
        logic->COMBasePanelEnter();
        clock.start();
        logic->writer()->setPortWriter([this](quint32 port, quint8 value) {
            writes.append({port, value, clock.nsecsElapsed()});
            if (writes.size() == triggerAt && trigger)
                QTimer::singleShot(0, trigger);
        });
    }

    QLineEdit *edit(int i) const
    {
        return panel->findChild<QLineEdit *>(QStringLiteral("BaseEdit") + Ports.at(i));
    }
    TUpDown *spinner(int i) const
    {
        return panel->findChild<TUpDown *>(QStringLiteral("BaseUD") + Ports.at(i));
    }
    QCheckBox *check(int i) const
    {
        return panel->findChild<QCheckBox *>(QStringLiteral("LockRTSCheck") + Ports.at(i));
    }
    bool inConfiguration() const { return !useButton->isHidden() && configButton->isHidden(); }

    void use() { useAndWait(logic.get()); }

    // Enters the configuration state answering the warning with OK.
    void enter()
    {
        MessageBoxAnswerer answers({QMessageBox::Ok});
        logic->ConfigButtonClick();
        QVERIFY(inConfiguration());
    }

    // Asks every spinner for an address. A set to the value a spinner holds reports nothing, so an
    // arrow step comes first, as a user at the top bound would press the arrow.
    void choose(const QList<int> &addresses, const QString &irqItem)
    {
        for (int i = 0; i < 8; ++i) {
            spinner(i)->stepUp();
            spinner(i)->setPosition(addresses.at(i));
        }
        irq->setCurrentIndex(irq->findText(irqItem));
    }
};

inline const QList<int> ExamplePorts{0x3F8, 0x2F8, 0x3E8, 0x2E8, 0x100, 0x108, 0x110, 0x118};

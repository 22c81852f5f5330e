// Runs inside the test VM: the program's main window with the real port-I/O library, driven as a
// user would drive it. Control base 0x300, ports A to H at 3F8, 2F8, 3E8, 2E8, 100, 108, 110, 118,
// IRQ A; then "Use These Resources". With KILL, the port helper is killed halfway through the
// writes. Prints every message box it answered on the console:
//
//     window_probe WRITE|KILL
#include "main_form.h"
#include "main_window/message_box_answerer.h"
#include "port_resources_panel.h"
#include "resource_writer.h"
#include "up_down.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The helper is this process's child; its name is cut to 15 characters in /proc.
int killHelper()
{
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (line.contains("(tr4410-port-hel)") && fields.size() > 1 && fields.at(1).toInt() == getpid()) {
            ::kill(pid.toInt(), SIGKILL);
            return pid.toInt();
        }
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool killHalfway = argc > 1 && qstrcmp(argv[1], "KILL") == 0;
    const char *tag = killHalfway ? "KILL" : "WRITE";
    QApplication app(argc, argv);
    MessageBoxAnswerer answers({QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok});
    TMainForm form;
    form.show();
    wait(300);

    form.findChild<QLineEdit *>(QStringLiteral("BaseEdit"))->setText(QStringLiteral("300"));
    TPortResourcesPanel *panel = form.portResources();
    panel->ConfigButtonClick();
    const QList<int> addresses{0x3F8, 0x2F8, 0x3E8, 0x2E8, 0x100, 0x108, 0x110, 0x118};
    for (int i = 0; i < addresses.size(); ++i) {
        auto *spinner = form.findChild<TUpDown *>(QStringLiteral("BaseUD") + QChar('A' + i));
        spinner->stepUp();
        spinner->setPosition(addresses.at(i));
    }
    auto *irq = form.findChild<QComboBox *>(QStringLiteral("IRQCombo"));
    irq->setCurrentIndex(irq->findText(QStringLiteral("A")));

    if (killHalfway) {
        // Halfway through: once five of the ten registers went through.
        auto *writer = panel->findChild<TResourceWriter *>();
        QObject::connect(writer, &TResourceWriter::registerWritten, writer, [tag](int reg) {
            if (reg == 5)
                std::printf("WINDOW %s killed the helper %d\n", tag, killHelper());
        });
    }
    // The writes run on in the event loop; the boxes are told once the sequence has ended.
    QEventLoop sequence;
    QObject::connect(panel, &TPortResourcesPanel::sequenceFinished, &sequence, &QEventLoop::quit);
    panel->UseButtonClick();
    if (panel->busy())
        sequence.exec();
    for (const MessageBoxAnswerer::Seen &box : answers.seen())
        std::printf("WINDOW %s box %s: %s\n", tag, qPrintable(box.caption),
                    qPrintable(box.text.left(90).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("CapEff:"))
            std::printf("WINDOW %s capeff=%s\n", tag, line.mid(7).trimmed().constData());
    }
    std::printf("WINDOW %s done configuring=%d\n", tag,
                form.findChild<QWidget *>(QStringLiteral("UseButton"))->isHidden() ? 0 : 1);
    std::fflush(stdout);
    return 0;
}

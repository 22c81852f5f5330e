// The program as the window system sees it: run on a real X server (tests/x11/run_on_xvfb.sh),
// its windows are read back with xwininfo and xprop, as a window manager reads them.

#include <QCursor>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTest>

namespace {
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Title and id of every top-level window of the program, as xwininfo lists them.
QMap<QString, QString> programWindows()
{
    static const QRegularExpression line(
        QStringLiteral(R"re(^\s*(0x[0-9a-f]+) "(.*)": \("tr4410-settings" )re"),
        QRegularExpression::MultilineOption);
    QMap<QString, QString> windows;
    const QString tree = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    for (auto it = line.globalMatch(tree); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        windows.insert(match.captured(2), match.captured(1));
    }
    return windows;
}

QList<int> cardinals(const QString &window, const char *property)
{
    const QStringList idArgs =
        window.isEmpty() ? QStringList{QStringLiteral("-root")} : QStringList{QStringLiteral("-id"), window};
    const QString text = run(QStringLiteral("xprop"), idArgs + QStringList{QLatin1String(property)});
    QList<int> values;
    static const QRegularExpression number(QStringLiteral(R"(-?\d+)"));
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0)
        return values;
    for (auto it = number.globalMatch(text.mid(equals)); it.hasNext();)
        values << it.next().captured().toInt();
    return values;
}
} // namespace

class TestProgramOnX : public QObject
{
    Q_OBJECT
private slots:
    void titlesAndFixedFrame()
    {
        if (qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("xcb") ||
            qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server (run through run_on_xvfb.sh)");
        // The pointer away from the board, whose highlights open popups when hovered.
        QCursor::setPos(0, 1023);
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(TR4410_PROGRAM), {});
        QVERIFY(program.waitForStarted());
        const auto stop = qScopeGuard([&program] {
            program.kill();
            program.waitForFinished();
        });

        // The main window and, shortly after start-up, the help window: their titles exactly as
        // the program sets them, nothing appended.
        const QString setup = QStringLiteral("Setup");
        const QString help = QStringLiteral("Instructions for Settings utility");
        QTRY_COMPARE_WITH_TIMEOUT(programWindows().size(), 2, 15000);
        QCOMPARE(QStringList(programWindows().keys()), (QStringList{help, setup}));

        // The frame fills the work area and the window manager is told the size is fixed.
        const QString id = programWindows().value(setup);
        const QList<int> work = cardinals(QString(), "_NET_WORKAREA");
        const QRect workArea =
            work.size() >= 4 ? QRect(work[0], work[1], work[2], work[3]) : QRect(0, 0, 1280, 1024);
        // Read again at every try: the window manager frames and places the window in steps.
        QRect client;
        auto outerFrame = [&] {
            QList<int> extents = cardinals(id, "_NET_FRAME_EXTENTS"); // left, right, top, bottom
            if (extents.size() != 4)
                extents = {0, 0, 0, 0};
            const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
            auto field = [&info](const char *name) {
                const QRegularExpression pattern(QLatin1String(name) + QStringLiteral(R"(:\s+(-?\d+))"));
                return pattern.match(info).captured(1).toInt();
            };
            client = QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                           field("Height"));
            return client.adjusted(-extents[0], -extents[2], extents[1], extents[3]);
        };
        QTRY_COMPARE_WITH_TIMEOUT(outerFrame(), workArea, 5000);
        const QString hints =
            run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("WM_NORMAL_HINTS")});
        const QString size = QStringLiteral("%1 by %2").arg(client.width()).arg(client.height());
        QVERIFY2(hints.contains(QStringLiteral("minimum size: ") + size), qPrintable(hints));
        QVERIFY2(hints.contains(QStringLiteral("maximum size: ") + size), qPrintable(hints));
        // The Motif hints, which some window managers go by alone: no resize function (bit 1),
        // and not "all functions" (bit 0), which would list the ones taken away.
        auto motifFunctions = [&] {
            const QString motif =
                run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_MOTIF_WM_HINTS")});
            const QStringList fields = motif.section(QLatin1Char('='), 1).split(QLatin1Char(','));
            return fields.size() == 5 ? fields[1].trimmed().toUInt(nullptr, 16) : 0xFFFFFFFFu;
        };
        QTRY_COMPARE_WITH_TIMEOUT(motifFunctions() & 0x3u, 0u, 5000);
        if (!qEnvironmentVariableIsEmpty("TR4410_WINDOW_MANAGER")) {
            const QString actions = run(QStringLiteral("xprop"), {QStringLiteral("-id"), id,
                                                                  QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
            QVERIFY2(actions.contains(QStringLiteral("_NET_WM_ACTION_MOVE")), qPrintable(actions));
            QVERIFY2(!actions.contains(QStringLiteral("_NET_WM_ACTION_RESIZE")), qPrintable(actions));
        }
    }
};

QTEST_MAIN(TestProgramOnX)
#include "tst_program_on_x.moc"

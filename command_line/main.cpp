#include "ctl_tool.h"
#include "sheet_command.h"

#include <QGuiApplication>

#include <memory>

namespace {
QtMessageHandler defaultHandler = nullptr;

// Qt's platform layer looks for the session's runtime folder, which a shell without a session
// (ssh, cron, sudo) lacks; the sheet needs none, so that warning would only hide the messages.
void withoutRuntimeWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        defaultHandler(type, context, message);
}
} // namespace

int main(int argc, char *argv[])
{
    // Only the jumper sheet draws, and it needs no display.
    std::unique_ptr<QCoreApplication> app;
    if (SheetCommand::wanted(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        defaultHandler = qInstallMessageHandler(withoutRuntimeWarning);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tr4410ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TR4410_VERSION));
    TCtlTool tool;
    return tool.run(QCoreApplication::arguments());
}

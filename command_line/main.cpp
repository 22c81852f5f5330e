#include "ctl_tool.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tr4410ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TR4410_VERSION));
    TCtlTool tool;
    return tool.run(QCoreApplication::arguments());
}

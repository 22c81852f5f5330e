#include "ctl_exit.h"

#include <QString>
#include <QTextStream>

namespace CtlExit {

int fail(QTextStream &err, Code code, const QString &message)
{
    err << "tr4410ctl: " << message << Qt::endl;
    return code;
}

} // namespace CtlExit

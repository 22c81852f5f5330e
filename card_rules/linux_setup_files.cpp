#include "linux_setup_files.h"

#include "card_error.h"
#include "safe_file.h"

#include <QDir>
#include <QFileInfo>

namespace LinuxSetupFiles {

QString write(const TLinuxSetup &setup, const QString &folder, QStringList *written)
{
    // Root runs this too: only into a folder of the caller's own, never through a link.
    if (const QString reason = SafeFile::privateFolder(folder); !reason.isEmpty())
        return QStringLiteral("%1: not a folder for the set-up: %2; give a folder of your own that no one "
                              "else may write, such as one made by mktemp -d")
            .arg(TCardError::escaped(folder), reason);
    const std::pair<QString, QString> files[] = {
        {QStringLiteral("kernel-parameter.txt"), setup.kernelParameter() + QLatin1Char('\n')},
        {QFileInfo(QLatin1String(TLinuxSetup::GrubDropIn)).fileName(), setup.grubDropIn()},
        {QStringLiteral("tr4410-setserial.sh"), setup.setserialScript()},
        {QString::fromLatin1(TLinuxSetup::UnitName), setup.systemdUnit()},
    };
    for (const auto &[name, content] : files) {
        const QString path = QDir(folder).filePath(name);
        const mode_t mode = name.endsWith(QLatin1String(".sh")) ? 0755 : 0644;
        if (const QString reason = SafeFile::write(path, content.toUtf8(), mode); !reason.isEmpty())
            return QStringLiteral("%1: cannot be written: %2").arg(TCardError::escaped(path), reason);
        if (written)
            written->append(path);
    }
    return {};
}

} // namespace LinuxSetupFiles

#include "safe_file.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(strerror(error));
}

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd() const { return m_fd; }
    // Closes now, for the error close() may report.
    int release()
    {
        const int result = close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// Why the open folder may not take a file of root's, or empty.
QString folderRefusal(int fd, const QString &folder)
{
    struct stat status
    {
    };
    if (fstat(fd, &status) != 0)
        return QStringLiteral("%1: cannot be read: %2").arg(folder, errorText(errno));
    if (status.st_uid != geteuid() && status.st_uid != 0)
        return QStringLiteral("%1: belongs to another user (uid %2): refused, nothing written there")
            .arg(folder)
            .arg(status.st_uid);
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("%1: other users may write to it (mode %2): refused, nothing written there")
            .arg(folder)
            .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

bool writeAll(int fd, const QByteArray &content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

namespace SafeFile {

QString write(const QString &folder, const QString &name, const QByteArray &content)
{
    const QByteArray folderPath = QFile::encodeName(folder);
    if (mkdir(folderPath.constData(), 0755) != 0 && errno != EEXIST)
        return QStringLiteral("%1: the folder cannot be made: %2").arg(folder, errorText(errno));
    const Descriptor dir(open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.fd() < 0)
        return QStringLiteral("%1: not a folder (or a link to one): refused, nothing written there: %2")
            .arg(folder, errorText(errno));
    if (const QString refusal = folderRefusal(dir.fd(), folder); !refusal.isEmpty())
        return refusal;

    const QByteArray target = QFile::encodeName(name);
    const QByteArray temporary =
        '.' + target + '.' + QByteArray::number(QRandomGenerator::system()->generate(), 16);
    const QString path = folder + QLatin1Char('/') + name;
    Descriptor file(
        openat(dir.fd(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (file.fd() < 0)
        return QStringLiteral("%1: cannot be written: %2").arg(path, errorText(errno));
    const bool written =
        fchmod(file.fd(), 0644) == 0 && writeAll(file.fd(), content) && fsync(file.fd()) == 0;
    const int error = errno;
    if (!written || file.release() != 0 ||
        renameat(dir.fd(), temporary.constData(), dir.fd(), target.constData()) != 0) {
        const int reported = written ? errno : error;
        unlinkat(dir.fd(), temporary.constData(), 0);
        return QStringLiteral("%1: cannot be written: %2").arg(path, errorText(reported));
    }
    return {};
}

} // namespace SafeFile

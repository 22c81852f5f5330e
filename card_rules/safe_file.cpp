#include "safe_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText(int error = errno)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes the descriptor when it goes.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    // Closes it now, for the error of close itself.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    if (S_ISREG(mode))
        return QStringLiteral("a file");
    return QStringLiteral("of an unknown kind");
}

QString tooLarge(qint64 size, qint64 limit)
{
    return QStringLiteral("it holds %1 bytes, more than the %2 allowed").arg(size).arg(limit);
}

bool writeAll(int fd, const QByteArray &content)
{
    qint64 done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, std::size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Whether others than root and the caller can change what is in the folder: a folder they own, or
// one they may write that is not sticky (in a sticky one, such as /tmp, they cannot move ours).
QString othersMayChange(const struct stat &folder)
{
    if (folder.st_uid != 0 && folder.st_uid != geteuid())
        return QStringLiteral("it belongs to another user (uid %1)").arg(folder.st_uid);
    if ((folder.st_mode & (S_IWGRP | S_IWOTH)) && !(folder.st_mode & S_ISVTX))
        return QStringLiteral("group or others may write to it");
    return {};
}

// The folders above a path, nearest first.
QStringList foldersAbove(const QString &path)
{
    QStringList above;
    for (QString folder = QFileInfo(path).path(); !above.contains(folder); folder = QFileInfo(folder).path())
        above.append(folder);
    return above;
}

// Only root and the caller may change the folders above: no link of another user's on the way
// given, and none of the folders it leads to changeable by others.
QString checkAbove(const QString &path)
{
    for (const QString &folder : foldersAbove(QDir::current().absoluteFilePath(path))) {
        struct stat st
        {
        };
        if (::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISLNK(st.st_mode) &&
            st.st_uid != 0 && st.st_uid != geteuid())
            return QStringLiteral("%1 is a link of another user's (uid %2)").arg(folder).arg(st.st_uid);
    }
    for (const QString &folder : foldersAbove(QFileInfo(path).canonicalFilePath())) {
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
            return QStringLiteral("%1: %2").arg(folder, errnoText());
        if (const QString reason = othersMayChange(st); !reason.isEmpty())
            return QStringLiteral("the folder above it, %1: %2").arg(folder, reason);
    }
    return {};
}

// Makes each missing folder of the path, 0700.
QString makeMissing(const QString &path)
{
    QStringList missing;
    QString existing = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    struct stat st
    {
    };
    while (::lstat(QFile::encodeName(existing).constData(), &st) != 0 && errno == ENOENT) {
        missing.prepend(existing);
        existing = QFileInfo(existing).path();
    }
    for (const QString &folder : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral("%1 cannot be made: %2").arg(folder, errnoText());
    }
    return {};
}

// Why the open folder may not take a file of root's, or empty.
QString folderRefusal(int fd, const QString &folder)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        return QStringLiteral("%1: cannot be read: %2").arg(folder, errnoText());
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

} // namespace

QString SafeFile::read(const QString &path, qint64 limit, QByteArray &content)
{
    const FileDescriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return errnoText();
    struct stat st
    {
    };
    if (::fstat(fd.get(), &st) != 0)
        return errnoText();
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is %1, not a regular file").arg(kindOf(st.st_mode));
    if (st.st_size > limit)
        return tooLarge(st.st_size, limit);
    // One byte more than the limit tells a file that grew since.
    QByteArray data(limit + 1, Qt::Uninitialized);
    qint64 total = 0;
    while (total < data.size()) {
        const ssize_t n = ::read(fd.get(), data.data() + total, std::size_t(data.size() - total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errnoText();
        if (n == 0)
            break;
        total += n;
    }
    if (total > limit)
        return tooLarge(total, limit);
    data.truncate(total);
    content = data;
    return {};
}

QString SafeFile::write(const QString &path, const QByteArray &content, mode_t mode)
{
    const QFileInfo info(path);
    const FileDescriptor folder(
        ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return QStringLiteral("its folder cannot be opened: ") + errnoText();
    const QByteArray name = QFile::encodeName(info.fileName());
    const QByteArray temporary =
        '.' + name + '.' + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
    FileDescriptor file(::openat(folder.get(), temporary.constData(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.get() < 0)
        return errnoText();
    const bool written = writeAll(file.get(), content) && ::fchmod(file.get(), mode) == 0 &&
                         ::fsync(file.get()) == 0 && file.close() &&
                         ::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) == 0;
    if (!written) {
        const int error = errno;
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return errnoText(error);
    }
    ::fsync(folder.get()); // the rename itself, through a crash
    return {};
}

QString SafeFile::privateFolder(const QString &path)
{
    if (const QString reason = makeMissing(path); !reason.isEmpty())
        return reason;
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errnoText();
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode))
        return QStringLiteral("it is %1, not a folder").arg(kindOf(st.st_mode));
    if (st.st_uid != geteuid())
        return QStringLiteral("it belongs to another user (uid %1)").arg(st.st_uid);
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("group or others may write to it");
    return checkAbove(path);
}

QString SafeFile::writeInFolder(const QString &folder, const QString &name, const QByteArray &content)
{
    const QByteArray folderPath = QFile::encodeName(folder);
    if (::mkdir(folderPath.constData(), 0755) != 0 && errno != EEXIST)
        return QStringLiteral("%1: the folder cannot be made: %2").arg(folder, errnoText());
    const FileDescriptor dir(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0)
        return QStringLiteral("%1: not a folder (or a link to one): refused, nothing written there: %2")
            .arg(folder, errnoText());
    if (const QString refusal = folderRefusal(dir.get(), folder); !refusal.isEmpty())
        return refusal;
    const QByteArray target = QFile::encodeName(name);
    const QByteArray temporary =
        '.' + target + '.' + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
    FileDescriptor file(::openat(dir.get(), temporary.constData(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    const QString path = folder + QLatin1Char('/') + name;
    if (file.get() < 0)
        return QStringLiteral("%1: cannot be written: %2").arg(path, errnoText());
    const bool written = ::fchmod(file.get(), 0644) == 0 && writeAll(file.get(), content) &&
                         ::fsync(file.get()) == 0 && file.close() &&
                         ::renameat(dir.get(), temporary.constData(), dir.get(), target.constData()) == 0;
    if (!written) {
        const int error = errno;
        ::unlinkat(dir.get(), temporary.constData(), 0);
        return QStringLiteral("%1: cannot be written: %2").arg(path, errnoText(error));
    }
    return {};
}

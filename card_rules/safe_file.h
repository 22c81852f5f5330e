#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Reading and writing files as root may do it: nothing is read that is not a regular file of a
// bounded size, nothing is written through a symbolic link, and a file's mode is set on the open
// file. Each function returns an empty text on success, else the reason (without the path).
namespace SafeFile {

// The most a card file may hold.
constexpr qint64 CardFileLimit = 1024 * 1024;

// Reads a regular file of at most limit bytes, without blocking on a FIFO or a device.
QString read(const QString &path, qint64 limit, QByteArray &content);

// Replaces the file whole or not at all: a new file is made beside it (never following a link),
// written, synced and given its mode, then renamed over the name. A link at the name is replaced,
// not followed.
QString write(const QString &path, const QByteArray &content, mode_t mode);

// A folder for files that root writes: an existing one must be a folder (not a link) owned by the
// caller that no one else may write, in folders that only root or the caller may change; a
// missing one is made 0700, with any missing folders above it.
QString privateFolder(const QString &path);

// A file of root's in a runtime folder (/run/tr4410, /run/udev/rules.d): makes the folder (0755)
// if it is missing, refuses it if it is a link, not a folder, owned by another user than this one
// or root, or writable by others; then writes the content into a new temporary file there
// (O_EXCL, O_NOFOLLOW, mode 0644 set on the open file) and renames it to `name`. Unlike the others
// its reason names the file or folder.
QString writeInFolder(const QString &folder, const QString &name, const QByteArray &content);

} // namespace SafeFile

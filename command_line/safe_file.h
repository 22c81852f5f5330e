#pragma once

#include <QByteArray>
#include <QString>

// Files that tr4410ctl writes as root into the runtime folders (/run/tr4410, /run/udev/rules.d):
// never through a link, never into a folder another user may write, and never half written.
namespace SafeFile {

// Makes the folder (mode 0755) if it is missing, refuses it if it is a link, not a folder, owned
// by another user than this one or root, or writable by others; then writes the content into a
// new temporary file there (O_EXCL, O_NOFOLLOW, mode 0644 set on the open file) and renames it
// to `name`. Empty when done, else why not, naming the file or folder.
QString write(const QString &folder, const QString &name, const QByteArray &content);

} // namespace SafeFile

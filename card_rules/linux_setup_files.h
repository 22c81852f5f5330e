#pragma once

#include "linux_setup.h"

#include <QStringList>

// The Linux set-up as files in a folder: the kernel parameter, the GRUB drop-in, the setserial
// script and the systemd unit. tr4410ctl linux --output and the window's Save... both write them
// here, so that the two always write the same files the same way.
namespace LinuxSetupFiles {

// Writes the four files into folder, made when missing; each file that has been written is
// appended to written. Empty when all were written, else the message that names the path and why.
QString write(const TLinuxSetup &setup, const QString &folder, QStringList *written);

} // namespace LinuxSetupFiles

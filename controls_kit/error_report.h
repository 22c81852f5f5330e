#pragma once

#include <QString>

class QWidget;

// The application's general error report: a modal box with the application's title, the error
// icon, the message and an OK button. Used where an operation stops with an error instead of a
// question of its own.
void showException(const QString &message, QWidget *parent = nullptr);

#pragma once

#include <QAction>

// A menu item that the highlights create at run time. A class of its own so that a highlight can
// tell a click from its menu item apart from a call by another highlight.
class TMenuItem : public QAction
{
    Q_OBJECT
public:
    using QAction::QAction;
};

#pragma once

// A small main window of the kind the setup supporter works for: a menu bar with File and Help,
// and a board picture in the central widget. Used by the supporter's tests.

#include "board_image.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

// Counts the ShowFirst requests that reach a board picture.
class ShowFirstCounter : public QObject
{
public:
    using QObject::QObject;
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == TBoardImage::showFirstEvent())
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

class SupporterHost : public QMainWindow
{
public:
    explicit SupporterHost(const QString &fileCaption = QStringLiteral("&File"))
    {
        setObjectName(QStringLiteral("MainForm"));
        auto *const bar = new QMenuBar(this);
        setMenuBar(bar);
        fileMenu = bar->addMenu(fileCaption);
        exitAction = fileMenu->addAction(QStringLiteral("E&xit"));
        bar->addMenu(QStringLiteral("&Help"));
        auto *const central = new QWidget(this);
        setCentralWidget(central);
        board = new TBoardImage(central);
        board->setObjectName(QStringLiteral("BoardImage1"));
        board->setGeometry(0, 40, 300, 200);
        counter = new ShowFirstCounter(this);
        board->installEventFilter(counter);
        resize(640, 480);
    }

    QMenu *fileMenu = nullptr;
    QAction *exitAction = nullptr;
    TBoardImage *board = nullptr;
    ShowFirstCounter *counter = nullptr;
};

// What a message box showed, read when it came up.
struct SeenBox
{
    bool seen = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool onTop = false;
    QString objectName;
};

// Answers the next modal message box with `answer`, recording what it showed.
inline void answerNextBox(QMessageBox::StandardButton answer, SeenBox *seen)
{
    auto *const poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, seen] {
        auto *const box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        seen->seen = true;
        seen->caption = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        seen->defaultButton =
            box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        seen->onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        seen->objectName = box->objectName();
        if (QAbstractButton *const b = box->button(answer))
            b->click();
        else
            box->reject();
    });
    poll->start();
}

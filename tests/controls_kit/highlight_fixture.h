#pragma once

// A test window like the program's: a menu bar with "&File" and "&Help", a board picture showing a
// grey photograph, highlights on it and option panels on the window.

#include "board_highlight.h"
#include "board_image.h"
#include "popup_form.h"
#include "radio_panel.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <memory>

struct BoardWindow
{
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QMenuBar *bar = new QMenuBar(window.get());
    TBoardImage *board = new TBoardImage(window.get());

    explicit BoardWindow(const QImage &picture = greyPicture())
    {
        window->setObjectName(QStringLiteral("TestForm"));
        window->setWindowTitle(QStringLiteral("Test Form"));
        window->resize(700, 560);
        bar->setObjectName(QStringLiteral("MainMenu1"));
        bar->addMenu(QStringLiteral("&File"));
        bar->addMenu(QStringLiteral("&Help"));
        board->setObjectName(QStringLiteral("BoardImage1"));
        board->setAutoSize(false);
        board->setCenterOnForm(false);
        board->setStretch(true);
        board->setGeometry(195, 133, 400, 370);
        board->setPicture(picture);
        board->setMenu(bar);
    }

    static QImage greyPicture()
    {
        QImage image(600, 555, QImage::Format_RGB32);
        image.fill(QColor(128, 128, 128));
        return image;
    }

    TBoardHighlight *addHighlight(const QString &name, const QString &title,
                                  QRect geometry = QRect(10, 10, 65, 65),
                                  TBoardHighlight::THighlightType type = TBoardHighlight::htSettings)
    {
        auto *highlight = new TBoardHighlight(board);
        highlight->setObjectName(name);
        highlight->setTitle(title);
        highlight->setHighlightType(type);
        highlight->setGeometry(geometry);
        return highlight;
    }

    TRadioPanel *addPanel(const QString &name, QRect geometry, int memoHeight = 58)
    {
        auto *panel = new TRadioPanel(window.get());
        panel->setObjectName(name);
        panel->setGeometry(geometry);
        panel->setMemoHeight(memoHeight);
        return panel;
    }

    // The first paint of every highlight, in child order: images, menu items.
    void paint() { (void)window->grab(); }

    QStringList topCaptions() const
    {
        QStringList captions;
        for (const QAction *action : bar->actions())
            captions << action->text();
        return captions;
    }

    QMenu *typeMenu(const QString &caption) const
    {
        for (QAction *action : bar->actions()) {
            if (action->text() == caption)
                return action->menu();
        }
        return nullptr;
    }
};

inline QPushButton *popupButton(const TBoardHighlight *h, const char *name)
{
    return h->popup() ? h->popup()->findChild<QPushButton *>(QLatin1String(name)) : nullptr;
}

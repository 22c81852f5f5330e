#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>

// Answers the application's modal message boxes as they come up, in order, and records what each
// one showed. Boxes beyond the prepared answers are closed with their escape button and counted
// as unexpected. The answer NoButton clicks the box's button of its own, beside the standard ones.
class MessageBoxAnswerer : public QObject
{
public:
    struct Seen
    {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        bool modal;
        QWidget *parent;
        QString details;
        Qt::TextFormat format;
    };

    explicit MessageBoxAnswerer(QList<QMessageBox::StandardButton> answers = {})
        : m_answers(std::move(answers))
    {
        m_poll.setInterval(5);
        connect(&m_poll, &QTimer::timeout, this, [this] { answer(); });
        m_poll.start();
    }

    void expect(QMessageBox::StandardButton answer) { m_answers.append(answer); }
    const QList<Seen> &seen() const { return m_seen; }
    int unexpected() const { return m_unexpected; }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == m_last || !box->isVisible())
            return;
        m_last = box;
        m_seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->isModal(),
                       box->parentWidget(), box->detailedText(), box->textFormat()});
        if (m_answers.isEmpty()) {
            ++m_unexpected;
            box->reject();
            return;
        }
        const QMessageBox::StandardButton wanted = m_answers.takeFirst();
        const QList<QAbstractButton *> buttons = box->buttons();
        const auto own = std::find_if(buttons.begin(), buttons.end(), [box](QAbstractButton *b) {
            return box->standardButton(b) == QMessageBox::NoButton;
        });
        if (wanted == QMessageBox::NoButton && own != buttons.end())
            (*own)->click();
        else if (QAbstractButton *button = box->button(wanted))
            button->click();
        else
            box->reject();
    }

    QList<QMessageBox::StandardButton> m_answers;
    QList<Seen> m_seen;
    int m_unexpected = 0;
    QTimer m_poll;
    QPointer<QMessageBox> m_last;
};

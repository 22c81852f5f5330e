#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class TBoardHighlight;
class TBoardImage;
class TMainForm;

namespace Bench {

// The main window's board picture and its highlights in child order.
TBoardImage *boardOf(const TMainForm &form);
QList<TBoardHighlight *> highlightsOf(const TBoardImage &board);
// Shows the main window maximised and runs the event loop until its first complete paint (see
// below). Returns its board picture, or nullptr (with a message naming program) when it never came.
TBoardImage *showUntilFirstPaint(TMainForm &form, const char *program);

// Watches the application's events for the first complete paint of the main window: the board
// picture drawn with every highlight initialised (its ring images built). reached() is emitted
// once, after that paint has finished.
class FirstCompletePaint : public QObject
{
    Q_OBJECT
public:
    explicit FirstCompletePaint(TBoardImage *board, QObject *parent = nullptr);
    bool isReached() const { return m_reached; }
    // Runs the event loop until reached or timeoutMs have passed; true when reached.
    bool wait(int timeoutMs);

signals:
    void reached();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void check();

    QPointer<TBoardImage> m_board;
    bool m_checkPending = false;
    bool m_reached = false;
};

} // namespace Bench

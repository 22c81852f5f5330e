#pragma once

// The careless user of tst_random_use.cpp; its actions are in random_use_actions.cpp and its
// checks in random_use_checks.cpp.
#include "list_pick.h"
#include "main_form.h"

#include "board_highlight.h"
#include "fakes/fake_ports.h"
#include "hex_address.h"
#include "popup_form.h"
#include "port_resources_panel.h"
#include "radio_panel.h"
#include "two_jumper.h"
#include "up_down.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <time.h>

#include <memory>
#include <optional>
#include <random>

inline constexpr qint64 SettleNs = 10 * 1000 * 1000;

// Every mirror glyph and the master it repeats.
inline const QList<QPair<const char *, const char *>> MirrorPairs = {
    {"BaseJumper8B", "BaseJumper8A"}, {"BaseJumper9B", "BaseJumper9A"}, {"BaseJumper9C", "BaseJumper9A"},
    {"RS232JumperB", "RS232JumperA"}, {"RS485JumperB", "RS485JumperA"}, {"AutoRTSJumperB", "AutoRTSJumperA"},
    {"RS4xxJumperB", "RS4xxJumperA"}, {"RS422JumperB", "RS422JumperA"}, {"RLJumperB", "RLJumperA"},
    {"TLJumperB", "TLJumperA"},       {"ClockJumperB", "ClockJumperA"}, {"ClockJumperC", "ClockJumperA"},
    {"DFJumperB", "DFJumperA"},       {"DFJumperC", "DFJumperA"},
};

inline const char *const AddressMasters[] = {"BaseJumper4A", "BaseJumper5A", "BaseJumper6A",
                                             "BaseJumper7A", "BaseJumper8A", "BaseJumper9A"};

class TestRandomUse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void randomUse();
    // What the random walk found: a click that comes in while a message box is being answered.
    void secondConfigClickWhileAnswering();
    void secondUseClickWhileAnswering();

private:
    template<typename T = QWidget>
    T *get(const char *name) const
    {
        T *const object = form->findChild<T *>(QLatin1String(name));
        if (!object)
            qFatal("the main window has no %s", name);
        return object;
    }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng); }
    bool chance(int percent) { return pick(100) < percent; }
    template<typename T>
    QList<T *> reachable() const;

    void step();
    void answerBox();
    void act();
    void answer(QWidget *modal);
    void checkBoxText(const QMessageBox *box);
    void hoverRing();
    void leaveBoard();
    void clickRing();
    void clickGlyph();
    void clickButton();
    void clickConfig(const QString &address);
    void triggerMenuItem();
    void chooseListEntry();
    void typeAddress();
    void keyInPortEdit();
    void workPortPanel();
    void closeWindow();
    void exitProgram();

    void check();
    void checkAddress();
    void checkProtocol();
    void checkPortPanel();
    void checkWrites();
    void sequenceFinished();
    void fail(const QString &what);
    void maybeFinish();

    std::unique_ptr<TMainForm> form;
    std::mt19937 rng;
    quint32 seed = 0;
    int target = 0;
    int maxSequences = 0;
    int steps = 0;
    int depth = 0;
    int deepest = 0;
    std::optional<QString> failure;
    QEventLoop loop;

    QString lastValidText = QStringLiteral("300");
    quint16 expectedBase = 0;
    bool accessGranted = false;
    QStringList textsSinceAccess;
    int addressErrors = 0;
    bool configured = false;
    // The write log as far as it was checked, and where the sequence under way stands.
    int checkedCalls = 0;
    int nextRegister = 1; // 1 to 10, then 11 once the twenty writes are done
    bool expectIndex = true;
    qint64 lastWriteNs = 0;
    QList<int> sequenceValues;
    int sequencesStarted = 0;
    int sequencesWritten = 0;
    QMap<QString, int> boxes;
    QMap<QString, int> actions;
    // The last actions, shown with a failure.
    QStringList recent;
    void trace(const QString &what)
    {
        recent.append(QStringLiteral("%1: %2").arg(steps).arg(what));
        if (recent.size() > 40)
            recent.removeFirst();
    }
};

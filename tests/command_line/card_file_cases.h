#pragma once

// Card files, good and bad, that the window's File > Open and tr4410ctl read alike: each bad one
// with the message both give (%1 is the file's path).
#include <QByteArray>
#include <QList>
#include <QString>

struct CardFileCase
{
    QByteArray tag;
    QByteArray content;
    QString message; // empty for a good file
    bool wholeCheck; // found by the check of the values together, after the file was read
};

inline QByteArray cardWith(const char *keys)
{
    return QByteArray(R"({"version": 1, "ports": {"A": "0x3F8", "B": "0x2F8", "C": "0x3E8", "D": "0x2E8",
        "E": "0x100", "F": "0x108", "G": "0x110", "H": "0x118"}, )") +
           keys + "}";
}

inline QList<CardFileCase> cardFileCases()
{
    QList<CardFileCase> cases{
        {"bad JSON", "{\"version\": 1,\n \"irq\": }",
         "%1: not valid JSON at line 2, column 10: object is missing after a comma", false},
        {"wrong type", cardWith("\"irq\": \"10\""), "%1: \"irq\": must be a whole number, not a string",
         false},
        {"unknown key", cardWith("\"speed\": 9600"), "%1: unknown key \"speed\"", false},
        {"bad protocol", cardWith("\"protocol\": \"RS-999\""),
         "%1: \"protocol\": \"RS-999\" is not one of RS-232, RS-485, RS-422", false},
        {"bad controlBase", cardWith("\"controlBase\": \"0x30G\""),
         "%1: \"controlBase\": \"0x30G\" is not a hexadecimal address such as 0x300", false},
        {"bad termination", cardWith("\"termination\": \"off\""),
         "%1: \"termination\": \"off\" is not one of none, on, transmit, receive, both", false},
        {"bad clock", cardWith("\"clock\": \"X4\""), "%1: \"clock\": \"X4\" is not one of X1, X8", false},
        {"bad df", cardWith("\"df\": \"in\""), "%1: \"df\": \"in\" is not one of fitted, removed", false},
        {"IRQ 13", cardWith("\"irq\": 13"),
         "%1: \"irq\": 13 is not one of the IRQs 2, 3, 4, 5, 6, 7, 10, 11, 12, 15", false},
        {"IRQ 16", cardWith("\"irq\": 16"),
         "%1: \"irq\": 16 is not one of the IRQs 2, 3, 4, 5, 6, 7, 10, 11, 12, 15", false},
        {"IRQ -1", cardWith("\"irq\": -1"),
         "%1: \"irq\": -1 is not one of the IRQs 2, 3, 4, 5, 6, 7, 10, 11, 12, 15", false},
        {"termination of another protocol", cardWith("\"protocol\": \"RS-422\", \"termination\": \"on\""),
         "%1: \"termination\": \"on\" does not apply to RS-422 (RS-422 takes none, transmit, receive or "
         "both)",
         true},
        {"A and B at one address",
         R"({"version": 1, "irq": 5, "ports": {"A": "0x2F8", "B": "0x2F8", "C": "0x3E8", "D": "0x2E8",
             "E": "0x100", "F": "0x108", "G": "0x110", "H": "0x118"}})",
         "%1: \"ports.B\": 0x2F8 is the address of port A as well", true},
        // Text from a file is never markup nor terminal control, and is cut after 60 characters.
        {"markup in a key", cardWith(R"("<b>x</b><img src=a.png><a href=file:///etc/passwd>click</a>": 1)"),
         "%1: unknown key \"<b>x</b><img src=a.png><a href=file:///etc/passwd>click</a>\"", false},
        {"control characters", cardWith(R"("clock": "\u001b]0;owned\u0007\rok \"\\")"),
         R"(%1: "clock": "\e]0;owned\a\rok \"\\" is not one of X1, X8)", false},
        {"60 characters", cardWith(("\"df\": \"" + QByteArray(60, 'x') + "\"").constData()),
         "%1: \"df\": \"" + QString(60, 'x') + "\" is not one of fitted, removed", false},
        {"100 KB value", cardWith(("\"df\": \"" + QByteArray(100000, 'x') + "\"").constData()),
         "%1: \"df\": \"" + QString(60, 'x') + "\"\u2026 is not one of fitted, removed", false},
        {"2 MiB", QByteArray(2 * 1024 * 1024, ' '),
         "%1: cannot be read: it holds 2097152 bytes, more than the 1048576 allowed", false},
    };
    for (const int irq : {2, 3, 4, 5, 6, 7, 10, 11, 12, 15})
        cases.append({"IRQ " + QByteArray::number(irq),
                      cardWith(QByteArray("\"irq\": ") + QByteArray::number(irq)),
                      {},
                      false});
    return cases;
}

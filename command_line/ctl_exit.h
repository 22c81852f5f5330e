#pragma once

class QString;
class QTextStream;

// tr4410ctl's exit codes, as its manual page lists them, and the one way a command fails.
namespace CtlExit {

enum Code {
    Success = 0,
    InvalidInput = 1, // a bad option, card file or value, or a file that cannot be written
    NotConfirmed = 2, // the question before the write was not answered yes
    NoPortAccess = 3,
    CardBusy = 4,    // another program is writing to the card
    WriteFailed = 5, // the port layer refused a write or broke off: the card may be half written
    CheckFailed = 6, // a check found a problem (check, or write without --force)
    TestFailed = 7,  // a port failed its test
};

// "tr4410ctl: " and the message on `err`; answers the code.
int fail(QTextStream &err, Code code, const QString &message);

} // namespace CtlExit

#pragma once

#include <QString>

// The texts around a write that both the window and tr4410ctl show: the question before it and
// the news that it went through, each in the window's and in tr4410ctl's wording.
namespace WriteTexts {

// The window's question before the write.
QString windowQuestion();
// tr4410ctl's question before the write, ending in its prompt.
QString commandLineQuestion();

// The window's closing box of a write that went through.
QString windowWritten();
// tr4410ctl's closing lines of a write that went through.
QString commandLineWritten();

} // namespace WriteTexts

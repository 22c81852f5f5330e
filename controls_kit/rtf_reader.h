#pragma once

#include <QByteArray>

class QTextDocument;

// A small reader for the rich-text format that the help texts are written in: groups, the font
// and colour tables, bold, italic, underline, font size, colour, paragraphs, a few special
// characters, hex (code page 1252) and Unicode escapes. Everything else is skipped. Any input,
// however malformed or truncated, is read in time linear in its length without recursion; input
// that does not start as rich text is shown as plain text.
namespace RtfReader {

// Replaces the contents of doc with the text of rtf.
void read(const QByteArray &rtf, QTextDocument *doc);

// Deeper groups than this keep the formatting of the last group within the limit.
constexpr int MaxDepth = 1000;

} // namespace RtfReader

// Fuzz target of the rich-text reader of the help texts: any bytes must be read without a crash,
// a hang (libFuzzer's -timeout), undefined behaviour or a leak. Laying the document out is left
// out: that is Qt's own work, and its font fallback caches would only slow the search down.

#include "rtf_reader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Text formats with fonts need a GUI application; no display is wanted.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray rtf(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    RtfReader::read(rtf, &doc);
    // Reading twice into one document must replace, not add to, what was there.
    const QString first = doc.toPlainText();
    RtfReader::read(rtf, &doc);
    if (doc.toPlainText() != first)
        std::abort();
    return 0;
}

// Fuzz target of the card file reader, which meets files from anywhere: any bytes give a card or
// an error naming the reason, never a crash; an error leaves the card as it was; and a card read
// is written back as a document that reads to the same card.

#include "card_config.h"
#include "card_file.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QByteArray &document)
{
    std::fprintf(stderr, "%s for:\n%s\n", what, document.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    TCardConfig card;
    const QByteArray empty = CardFile::document(card);
    if (const TCardError error = CardFile::parse(input, QStringLiteral("card.json"), card)) {
        if (error.message().isEmpty())
            fail("an error without a message", input);
        if (CardFile::document(card) != empty)
            fail("a refused file changed the card", input);
        return 0;
    }
    const QByteArray written = CardFile::document(card);
    TCardConfig again;
    if (CardFile::parse(written, QStringLiteral("written.json"), again))
        fail("the written card is refused", written);
    if (CardFile::document(again) != written)
        fail("the written card reads back differently", written);
    return 0;
}

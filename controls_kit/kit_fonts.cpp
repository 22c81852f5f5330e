#include "kit_fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace {

bool addFontFile(const QString &path)
{
    return QFile::exists(path) && QFontDatabase::addApplicationFont(path) >= 0;
}

} // namespace

void registerKitFonts()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;

    // Debian's fonts-wine carries metric-compatible faces of the fonts the layouts were made with.
    const QString wineFonts = QStringLiteral("/usr/share/wine/fonts/");
    const bool tahoma = addFontFile(wineFonts + QStringLiteral("tahoma.ttf"));
    // Wine's tahomabd.ttf draws hardly heavier than the regular face at header sizes; bold text
    // reads better with the regular face emboldened by the font engine, so the bold file is left out.
    const bool msSansSerif = addFontFile(wineFonts + QStringLiteral("ms_sans_serif.ttf"));

    const QString sans = QStringLiteral("DejaVu Sans");
    // DejaVu Sans comes from the same design family as Verdana and has nearly its widths.
    QFont::insertSubstitution(QStringLiteral("Verdana"), sans);
    if (!tahoma)
        QFont::insertSubstitution(QStringLiteral("Tahoma"), sans);
    if (!msSansSerif)
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), tahoma ? QStringLiteral("Tahoma") : sans);
}

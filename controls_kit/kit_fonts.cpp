#include "kit_fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace {

// Debian's fonts-wine carries metric-compatible faces of the fonts the layouts were made with.
QString wineFont(const char *file)
{
    return QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file);
}

// DejaVu Sans comes from the same design family as Verdana and has nearly its widths.
QString sans()
{
    return QStringLiteral("DejaVu Sans");
}

bool addFontFile(const QString &path)
{
    return QFile::exists(path) && QFontDatabase::addApplicationFont(path) >= 0;
}

// Whether Wine's Tahoma is there; registered at the first call.
bool registerTahoma()
{
    // Wine's tahomabd.ttf draws hardly heavier than the regular face at header sizes; bold text
    // reads better with the regular face emboldened by the font engine, so the bold file is left out.
    static const bool tahoma = addFontFile(wineFont("tahoma.ttf"));
    return tahoma;
}

} // namespace

void registerLayoutFont()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    // Wine's MS Sans Serif draws its letters at the sizes of a 1x screen only: on a high-density
    // screen they stand apart at the scaled advances. Tahoma, a scalable face of nearly its widths,
    // stands in there.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const bool highDensity = screen && screen->devicePixelRatio() > 1.0;
    if (!highDensity && addFontFile(wineFont("ms_sans_serif.ttf")))
        return;
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                              registerTahoma() ? QStringLiteral("Tahoma") : sans());
}

void registerKitFonts()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    registerLayoutFont();
    if (!registerTahoma())
        QFont::insertSubstitution(QStringLiteral("Tahoma"), sans());
    QFont::insertSubstitution(QStringLiteral("Verdana"), sans());
}

#pragma once

#include <QColor>
#include <QObject>

class TTwoJumper;

// What a jumper glyph asks of the option panel it sits in, so that the glyph needs no knowledge of
// the panel's class: the colour behind it and the panel's answer to its clicks.
class TJumperHost
{
public:
    virtual ~TJumperHost() = default;

    // Whether the host serves the glyphs placed directly in it: only the panel class itself, as
    // a derived class is a stranger to the glyphs.
    virtual bool servesGlyphs() const = 0;
    virtual QColor glyphBackground() const = 0;
    // A glyph of the host was clicked; its Closed state has already been toggled.
    virtual void glyphClicked(TTwoJumper *glyph) = 0;
};

Q_DECLARE_INTERFACE(TJumperHost, "com.vanto.tr4410.JumperHost")

#pragma once

#include "card_config.h"

#include <QDate>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// The jumper sheet: one page for the bench, with the board photograph, every shunt drawn where it
// goes (a black bar over both pins when fitted, two hollow pins when open, plain in black and
// white), a table of the choices and, where known, the port resources with their Linux devices.
// The window prints it and tr4410ctl writes it to a file; both draw it here.
namespace JumperSheet {

struct Content
{
    TCardConfig config; // the choices and, where given, the port resources
    QString cardFile;   // the card file's name; empty: none
    QDate date;
};

// Where the board photograph lies on a page of pageMm, in millimetres from its top-left corner.
QRectF boardRect(const QSizeF &pageMm);

// Draws the sheet onto the painter's viewport, which shows a whole page of pageMm. The photograph
// is the board's, at any size (a null image leaves its place blank).
void paint(QPainter &p, const QSizeF &pageMm, const Content &content, const QImage &photograph);

} // namespace JumperSheet

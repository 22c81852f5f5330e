#pragma once

#include "card_config.h"

#include <QFont>
#include <QRectF>
#include <QStringList>

class QPainter;

// The jumper sheet's tables: the choices on the left; the port resources, where the configuration
// gives them, with each port's Linux device on the right.
namespace SheetTable {

// The rows of the choices: a name and its value each.
QList<QStringList> choiceRows(const CardJumpers::Options &options);
// The rows of the port resources, a heading first; empty when a port's address or the IRQ is
// not given.
QList<QStringList> resourceRows(const TCardConfig &config);

void draw(QPainter &p, const QRectF &area, const CardJumpers::Options &options, const TCardConfig &config,
          const QFont &font, const QFont &bold);

} // namespace SheetTable

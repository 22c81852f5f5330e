#include "card_error.h"

#include <QStringList>

QString TCardError::message() const
{
    QStringList parts;
    for (const QString &part : {file, key, reason}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QStringLiteral(": "));
}

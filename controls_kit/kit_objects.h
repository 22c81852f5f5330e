#pragma once

#include <QObject>

#include <cstring>

namespace KitObjects {

// The ShowFirst request: a custom event of this type, with no arguments, asks a board picture to
// open and pin its first highlight's popup. The help window sends it without knowing the picture.
constexpr int ShowFirstMessage = 0x4A2;

// Whether object is of the named class itself: the kit's components treat a derived class as a
// stranger, as the layouts they were written for do.
inline bool isExactly(const QObject *object, const char *className)
{
    return object && std::strcmp(object->metaObject()->className(), className) == 0;
}

} // namespace KitObjects

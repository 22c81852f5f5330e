#pragma once

#include <QObject>

namespace KitObjects {

// The ShowFirst request: a custom event of this type, with no arguments, asks a board picture to
// open and pin its first highlight's popup. The help window's Start button sends it.
constexpr int ShowFirstMessage = 0x4A2;

// The object as a T when it is of class T itself, else nullptr: the kit's components treat a
// derived class as a stranger, as the layouts they were written for do.
template<typename T>
T *exactly(QObject *object)
{
    return object && object->metaObject() == &T::staticMetaObject ? static_cast<T *>(object) : nullptr;
}

template<typename T>
const T *exactly(const QObject *object)
{
    return object && object->metaObject() == &T::staticMetaObject ? static_cast<const T *>(object) : nullptr;
}

} // namespace KitObjects

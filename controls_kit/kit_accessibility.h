#pragma once

// Screen readers see the kit's own controls through accessible interfaces that describe them as
// the standard controls they act like: a jumper glyph as a check box, a highlight as a button and
// the board picture as a group of them.
namespace KitAccessibility {
// Installs the factory of those interfaces; a program calls it before it builds its windows (a
// second call does nothing). The controls do not call it themselves: the interfaces know them.
void install();
} // namespace KitAccessibility

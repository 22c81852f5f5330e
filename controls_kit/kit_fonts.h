#pragma once

// Make the faces that the kit's fixed layouts are measured for available: Tahoma and MS Sans Serif
// from the system's Wine fonts when installed, and close substitutes for them and for Verdana
// otherwise, so that texts are not clipped. Each face is registered once, when it is first needed
// (reading a font file costs time at start-up); both are safe to call more than once.

// MS Sans Serif, the face of the main window's layout: needed before its first polish.
void registerLayoutFont();
// Every face of the kit: also Tahoma (headers, the cards list) and Verdana (the help window).
void registerKitFonts();

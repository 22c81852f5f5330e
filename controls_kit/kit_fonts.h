#pragma once

// Makes the faces that the kit's fixed layouts are measured for available: Tahoma and MS Sans
// Serif from the system's Wine fonts when installed, and close substitutes for them and for
// Verdana otherwise, so that texts are not clipped. Safe to call more than once.
void registerKitFonts();

#pragma once

// Identifiers of lightmatrix.scr's resources, shared by lightmatrix.rc and the
// code that loads them.

// The program's icon: 32 x 32 pixels, 24-bit colour.
#define IDI_LIGHTMATRIX 1
// The name that the screen-saver settings list shows.
#define IDS_DESCRIPTION 1

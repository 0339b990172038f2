#pragma once

// The program's artwork, built into the executable: from resources/*.png, or on Windows as
// the resources of resources/tramelo.rc.

#include <wx/bitmap.h>
#include <wx/icon.h>

// The main window's picture: 378 x 400, a light figure on a ground whose colour is the
// picture's top-left pixel.
wxBitmap LoadPicture();

// The 32 x 32 icon of the main window.
wxIcon LoadAppIcon();

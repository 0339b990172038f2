#include "app/Artwork.h"

#ifdef __WXMSW__

// The Windows build of wx decodes no PNG; the same artwork is in the program's resources
// (resources/tramelo.rc), where Windows itself reads it.

wxBitmap LoadPicture() {
    wxBitmap picture(wxT("#102"), wxBITMAP_TYPE_BMP_RESOURCE);
    // wx masks out light grey, RGB(192, 192, 192), in every bitmap it loads from resources:
    // here that is the figure's own colour.
    picture.SetMask(nullptr);
    return picture;
}

wxIcon LoadAppIcon() {
    return wxIcon(wxT("#101"), wxBITMAP_TYPE_ICO_RESOURCE, 32, 32);
}

#else

#include <wx/image.h>

#include "ArtworkPng.h"  // generated from resources/*.png

namespace {

wxBitmap FromPng(const unsigned char* png, std::size_t size) {
    // wxBitmap needs the PNG handler to decode; the program registers no other handlers.
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    return wxBitmap::NewFromPNGData(png, size);
}

}  // namespace

wxBitmap LoadPicture() {
    return FromPng(kPicturePng, sizeof kPicturePng);
}

wxIcon LoadAppIcon() {
    wxIcon icon;
    icon.CopyFromBitmap(FromPng(kIconPng, sizeof kIconPng));
    return icon;
}

#endif

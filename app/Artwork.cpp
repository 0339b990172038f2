#include "app/Artwork.h"

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

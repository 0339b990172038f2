#include "app/MainFrame.h"

#include <wx/dcbuffer.h>
#include <wx/image.h>
#include "app/Artwork.h"
#include "app/GtkWidgets.h"
#include "app/MergeDlg.h"

CMainFrame::CMainFrame() : workspace(platform_), picture_(LoadPicture()) {
    const wxImage image = picture_.ConvertToImage();
    ground_ = wxColour(image.GetRed(0, 0), image.GetGreen(0, 0), image.GetBlue(0, 0));
}

bool CMainFrame::CreateMainWindow(const wxString& caption) {
    // Every pixel of the client area comes from the one copy of the off-screen drawing: there
    // is no erasing first, so a resize does not flicker.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (!Create(nullptr, wxID_ANY, caption, wxPoint(0, 0), wxSize(600, 480), wxDEFAULT_FRAME_STYLE)) {
        return false;
    }
    SetIcon(LoadAppIcon());
    Bind(wxEVT_PAINT, &CMainFrame::OnPaint, this);
    Bind(wxEVT_SIZE, &CMainFrame::OnSize, this);
    return true;
}

void CMainFrame::RunMergeDialog() {
    // A window manager keeps a dialog over its owner, and gives it the focus, only when the
    // owner is already managed as the dialog maps; a main window mapped later is stacked over
    // the dialog.
    WaitUntilOnScreen(*this);
    {
        CMergeDlg dialog(*this);
        dialog.ShowModal();
    }
    Close(true);
}

void CMainFrame::PaintPicture(wxDC& dc) {
    ::PaintPicture(dc, GetClientSize(), picture_, ground_);
}

void CMainFrame::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    PaintPicture(dc);
}

void CMainFrame::OnSize(wxSizeEvent& event) {
    // Re-centre at once rather than when the next paint happens to come.
    Refresh(false);
    Update();
    event.Skip();
}

void PaintPicture(wxDC& dc, const wxSize& client, const wxBitmap& picture, const wxColour& ground) {
    dc.SetBackground(wxBrush(ground));
    dc.Clear();
    dc.DrawBitmap(picture, (client.x - picture.GetWidth()) / 2, (client.y - picture.GetHeight()) / 2, false);
}

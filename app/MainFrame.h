#pragma once

// The main window: a picture centred on a ground of its own colour, behind the merge dialog.
//
// The frame owns the run's MergeWorkspace (and the platform it talks through) from
// construction, before its window exists, until the frame object is deleted after its window
// has been destroyed. The dialog run by RunMergeDialog is the only way the user works; when
// it ends, the window is closed, and with it the program.

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/frame.h>

#include "app/WxPlatform.h"
#include "workspace/MergeWorkspace.h"

class wxDC;

class CMainFrame : public wxFrame {
public:
    CMainFrame();

    // Creates the window at the top-left corner of the screen, 600 x 480 pixels, with the
    // given caption. Returns false when the window cannot be created.
    bool CreateMainWindow(const wxString& caption);

    // Runs the merge dialog modally over this window, then closes the window.
    void RunMergeDialog();

    WxPlatform& platform() { return platform_; }

protected:
    // Draws the whole client area; called for every paint request.
    virtual void PaintPicture(wxDC& dc);

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);

    WxPlatform platform_;  // before workspace, which keeps a reference to it

public:
    tramelo::MergeWorkspace workspace;

private:
    wxBitmap picture_;
    wxColour ground_;  // the picture's top-left pixel
};

// Fills the client area with ground and draws picture centred in it, unscaled. The offsets
// are (client - picture) / 2 truncated toward zero, so a picture larger than the client area
// is cut equally on both sides.
void PaintPicture(wxDC& dc, const wxSize& client, const wxBitmap& picture, const wxColour& ground);

#pragma once

// The dialog through which the user works: two lists of the acquired stops and routes
// shapefiles, a button to add each kind, and "Fine" to write the results and end.
//
// The handlers only ask for paths, call the frame's workspace and turn its outcomes into
// list lines and message boxes. The lists show exactly the workspace's acquired files, in
// order, because a line is added when, and only when, the workspace appends a path.
// Esc, Enter on "Fine" and the close box all come as the cancel command, so every way out
// passes through OnFinish.

#include <optional>
#include <string>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "workspace/MergeWorkspace.h"

class CMainFrame;
class wxListBox;

class CMergeDlg : public wxDialog {
public:
    static constexpr int kStopsListId = 1203;
    static constexpr int kRoutesListId = 1204;
    static constexpr int kAddStopsId = 1201;
    static constexpr int kAddRoutesId = 1202;
    static constexpr int kFinishId = wxID_CANCEL;

    // owner: the main frame, whose workspace the dialog drives; it must outlive the dialog.
    explicit CMergeDlg(CMainFrame& owner);
    ~CMergeDlg() override;

private:
    using AddOperation = tramelo::AddOutcome (tramelo::MergeWorkspace::*)(const std::string&);

    void OnInitDialog(wxInitDialogEvent& event);
    void OnIconize(wxIconizeEvent& event);
    void OnComeBackTick(wxTimerEvent& event);
    void OnAddStops(wxCommandEvent& event);
    void OnAddRoutes(wxCommandEvent& event);
    void OnFinish(wxCommandEvent& event);
    void AddFile(const wxString& title, const wxString& initialName, AddOperation add, wxListBox* list);
    // operation's result, or none when the memory ran out, which a box then says.
    template <class Operation>
    auto WithMemory(Operation operation) -> std::optional<decltype(operation())>;

    CMainFrame& frame;
    wxWindow* previousOwner_;  // of the platform's message boxes, given back on destruction
    wxListBox* stopsList_;
    wxListBox* routesList_;
    // After an attempt to minimise the dialog: checks, a few times a second, that it is
    // shown again with the focus.
    wxTimer comeBack_;
    int comeBackTicks_ = 0;
    bool activeAtLastTick_ = false;
};

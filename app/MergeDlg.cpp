#include "app/MergeDlg.h"

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <new>
#include <optional>

#include "app/GtkWidgets.h"
#include "app/MainFrame.h"
#include "app/ShapefilePicker.h"
#include "app/WxPlatform.h"
#include "base/Texts.h"

namespace {

constexpr int kComeBackTickMs = 250;
constexpr int kComeBackTicks = 40;

}  // namespace

CMergeDlg::CMergeDlg(CMainFrame& owner)
    : frame(owner), previousOwner_(owner.platform().owner()), comeBack_(this) {
    Create(&owner, wxID_ANY, L"Unificazione ShapeFiles RT_NODI / RT_ITIN", wxDefaultPosition, wxDefaultSize,
           wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    // The layout is in dialog units of an 8-point font, so it must be set before converting;
    // at GTK's default 10 points the dialog would be wider than the main window.
#ifdef __WXMSW__
    SetFont(wxFontInfo(8).FaceName("MS Sans Serif"));
#else
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(8);
    SetFont(font);
#endif
    const auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    const auto size = [this](int width, int height) { return ConvertDialogToPixels(wxSize(width, height)); };

    // Created in tab order.
    stopsList_ = new wxListBox(this, kStopsListId, at(5, 5), size(320, 70), 0, nullptr, wxLB_SINGLE);
    routesList_ = new wxListBox(this, kRoutesListId, at(5, 80), size(320, 70), 0, nullptr, wxLB_SINGLE);
    new wxButton(this, kAddStopsId, L"Aggiungi RT_NODI", at(30, 150), size(100, 14));
    new wxButton(this, kAddRoutesId, L"Aggiungi RT_ITIN", at(140, 150), size(100, 14));
    auto* finish = new wxButton(this, kFinishId, L"Fine", at(250, 150), size(50, 14));
    finish->SetDefault();
    SetEscapeId(kFinishId);
    SetClientSize(size(330, 170));

    Bind(wxEVT_INIT_DIALOG, &CMergeDlg::OnInitDialog, this);
    Bind(wxEVT_ICONIZE, &CMergeDlg::OnIconize, this);
    Bind(wxEVT_TIMER, &CMergeDlg::OnComeBackTick, this);
    Bind(wxEVT_BUTTON, &CMergeDlg::OnAddStops, this, kAddStopsId);
    Bind(wxEVT_BUTTON, &CMergeDlg::OnAddRoutes, this, kAddRoutesId);
    Bind(wxEVT_BUTTON, &CMergeDlg::OnFinish, this, kFinishId);

    owner.platform().setOwner(this);
}

CMergeDlg::~CMergeDlg() {
    frame.platform().setOwner(previousOwner_);
}

void CMergeDlg::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    stopsList_->Clear();
    routesList_->Clear();
    CentreOnParent();
    stopsList_->SetFocus();
    // A window manager may place a new window by its own rules; once the dialog is on
    // screen, it is centred again (openbox, now and then, still keeps its own place).
    CallAfter([this] {
        WaitUntilOnScreen(*this);
        CentreOnParent();
    });
}

void CMergeDlg::OnIconize(wxIconizeEvent& event) {
    // Some window managers offer to minimise any window. A minimised modal dialog would leave
    // the main window on screen unable to take input and nothing to bring the dialog back.
    // It is shown again at once. Openbox, now and then, gives it back the focus and takes it
    // away again while it still settles the minimise, leaving the dialog in front with no
    // window taking the keys; so until the dialog has kept the focus for one tick it is
    // brought to the front again, for a few seconds at most.
    if (event.IsIconized()) {
        comeBackTicks_ = 0;
        activeAtLastTick_ = false;
        comeBack_.Start(kComeBackTickMs);
        CallAfter([this] {
            Iconize(false);
            Raise();
        });
    }
}

void CMergeDlg::OnComeBackTick(wxTimerEvent&) {
    const bool active = IsActive() && !IsIconized();
    if ((active && activeAtLastTick_) || ++comeBackTicks_ > kComeBackTicks) {
        comeBack_.Stop();
        return;
    }
    activeAtLastTick_ = active;
    if (!active) {
        Iconize(false);
        Raise();
    }
}

template <class Operation>
auto CMergeDlg::WithMemory(Operation operation) -> std::optional<decltype(operation())> {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        // What the operation had made is gone with it; the program goes on, and a file that
        // was being merged when the memory ran out keeps the run from writing anything.
        ShowMessageBox(this, Cp1252Text(tramelo::texts::kOutOfMemory), tramelo::MessageKind::Error);
        return std::nullopt;
    }
}

void CMergeDlg::OnAddStops(wxCommandEvent&) {
    AddFile(L"Selezione RT_NODI.SHP", L"RT_NODI", &tramelo::MergeWorkspace::AddStopsFile, stopsList_);
}

void CMergeDlg::OnAddRoutes(wxCommandEvent&) {
    AddFile(L"Selezione RT_ITIN.SHP", L"RT_ITIN", &tramelo::MergeWorkspace::AddRoutesFile, routesList_);
}

void CMergeDlg::AddFile(const wxString& title, const wxString& initialName, AddOperation add,
                        wxListBox* list) {
    const wxString path = PickInputShapefile(this, title, initialName);
    if (path.empty()) {
        return;
    }
    const std::string corePath = CorePath(path);
    const std::optional<tramelo::AddOutcome> outcome = WithMemory([&] {
        wxBusyCursor busy;
        RepaintAfterPicker(this);
        return (frame.workspace.*add)(corePath);
    });
    if (!outcome) {
        return;
    }
    switch (*outcome) {
    case tramelo::AddOutcome::AlreadyAcquired:
        frame.platform().showMessage(tramelo::MergeWorkspace::AlreadyAcquiredMessage(corePath));
        break;
    case tramelo::AddOutcome::Acquired: list->Append(path); break;
    case tramelo::AddOutcome::Rejected:  // the import has said why
        break;
    }
}

void CMergeDlg::OnFinish(wxCommandEvent&) {
    tramelo::MergeWorkspace& workspace = frame.workspace;
    if (workspace.HasMergedData()) {
        const wxString path = PickOutputFile(this);
        if (!path.empty()) {
            const std::string folder = tramelo::MergeWorkspace::FolderOf(CorePath(path));
            const std::optional<bool> allWritten = WithMemory([&] {
                wxBusyCursor busy;
                RepaintAfterPicker(this);
                return workspace.Finish(folder);
            });
            if (!allWritten.value_or(false)) {
                // The user has been told what failed. Ending now would lose the merged
                // data, so the dialog stays open for another folder ("Fine" again) or
                // for leaving without writing (cancelling the picker).
                return;
            }
        }
    }
    EndModal(wxID_CANCEL);
}

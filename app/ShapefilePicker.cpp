#include "app/ShapefilePicker.h"

#include <optional>
#include <string>
#include <vector>

#include <wx/dir.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "app/GtkWidgets.h"
#include "app/WxPlatform.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/OutputNames.h"

namespace {

#ifdef __WXGTK__
const wchar_t* const kShapefileFilter = L"Shapefile (*.shp)|*.shp;*.SHP|Tutti i files (*.*)|*.*";
// GTK's save chooser asks only when the typed name matches a file in the exact letter case,
// so the question is asked here instead, for every output.
constexpr bool kPickerAsksBeforeReplacing = false;
constexpr long kSaveStyle = wxFD_SAVE;
#else
const wchar_t* const kShapefileFilter = L"Shapefile (*.shp)|*.shp|Tutti i files (*.*)|*.*";
constexpr bool kPickerAsksBeforeReplacing = true;
constexpr long kSaveStyle = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
#endif
// The existence of the picked file is checked here, after the default extension is added:
// a picker that checked it would refuse "RT_NODI" before that.
constexpr long kOpenStyle = wxFD_OPEN;

// Where a picker starts: the folder of the previous answer when it is asked again; else the
// platform's default, which for GTK means naming the working folder (left alone, GTK's
// chooser opens on recent files, where a typed name means nothing).
wxString StartFolder(const wxString& previous) {
    if (!previous.empty()) {
        return wxFileName(previous).GetPath();
    }
#ifdef __WXGTK__
    return wxGetCwd();
#else
    return wxEmptyString;
#endif
}

// GTK's open chooser has no name box until the user types, so an initial name would not
// show; its location entry is opened holding it, as Ctrl+L would.
void ShowInitialName([[maybe_unused]] wxFileDialog& picker, [[maybe_unused]] const wxString& name) {
#ifdef __WXGTK__
    if (GtkWidget* chooser = FindGtkWidget(picker.GetHandle(), GTK_TYPE_FILE_CHOOSER_WIDGET)) {
        g_signal_emit_by_name(chooser, "location-popup", static_cast<const char*>(name.utf8_str()));
    }
#endif
}

// The names of the files in folder; none when it cannot be read.
wxArrayString NamesIn(const wxString& folder) {
    wxArrayString names;
    const wxLogNull quiet;
    wxDir dir(folder);
    wxString name;
    for (bool more = dir.IsOpened() && dir.GetFirst(&name, wxEmptyString, wxDIR_FILES); more;
         more = dir.GetNext(&name)) {
        names.push_back(name);
    }
    return names;
}

// The file meant by path: path itself when it names a file; for a name typed without an
// extension, that name with ".SHP" in whichever letter case the folder holds it.
std::optional<wxString> ExistingShapefile(const wxString& path) {
    if (wxFileName::FileExists(path)) {
        return path;
    }
    const wxFileName typed(path);
    if (typed.HasExt()) {
        return std::nullopt;
    }
    for (const wxString& name : NamesIn(typed.GetPath())) {
        if (name.CmpNoCase(typed.GetFullName() + L".SHP") == 0) {
            return wxFileName(typed.GetPath(), name).GetFullPath();
        }
    }
    return std::nullopt;
}

// The files of an earlier merge in folder, as the folder lists them.
wxArrayString EarlierOutputs(const wxString& folder) {
    const std::vector<std::string> outputs = tramelo::OutputNames();
    wxArrayString found;
    for (const wxString& name : NamesIn(folder)) {
        for (const std::string& output : outputs) {
            if (name.CmpNoCase(wxString::FromUTF8(output)) == 0) {
                found.push_back(name);
            }
        }
    }
    return found;
}

bool MayReplace(wxWindow* owner, const wxString& folder, const wxArrayString& outputs) {
    wxString text = L"Attenzione: la cartella\n\n" + folder + L"\n\ncontiene già\n";
    for (const wxString& name : outputs) {
        text += L"\n" + name;
    }
    text += L"\n\nSostituire questi file con i nuovi risultati?";
    return AskYesNo(owner, text);
}

}  // namespace

wxString PickInputShapefile(wxWindow* owner, const wxString& title, const wxString& initialName) {
    wxString previous;
    for (;;) {
        const wxString name = previous.empty() ? initialName : wxFileName(previous).GetFullName();
        wxFileDialog picker(owner, title, StartFolder(previous), name, kShapefileFilter, kOpenStyle);
        ShowInitialName(picker, name);
        if (picker.ShowModal() != wxID_OK) {
            return wxEmptyString;
        }
        previous = picker.GetPath();
        if (previous.empty()) {  // accepted with no name at all
            return wxEmptyString;
        }
        if (const std::optional<wxString> path = ExistingShapefile(previous)) {
            return *path;
        }
        ShowMessageBox(
            owner,
            previous + L"\nFile non trovato.\nVerificare che il nome del file specificato sia corretto.",
            tramelo::MessageKind::Warning);
    }
}

wxString PickOutputFile(wxWindow* owner) {
    wxString previous;
    for (;;) {
        wxFileDialog picker(owner, L"Selezione Cartella Output", StartFolder(previous),
                            previous.empty() ? wxString(L"RT_NODI") : wxFileName(previous).GetFullName(),
                            kShapefileFilter, kSaveStyle);
        if (picker.ShowModal() != wxID_OK) {
            return wxEmptyString;
        }
        previous = picker.GetPath();
        const wxString folder = PathText(tramelo::MergeWorkspace::FolderOf(CorePath(previous)));
        const wxArrayString outputs = EarlierOutputs(folder);
        const bool pickerAsked = kPickerAsksBeforeReplacing && wxFileName::FileExists(previous);
        if (outputs.empty() || pickerAsked || MayReplace(owner, folder, outputs)) {
            return previous;
        }
    }
}

void RepaintAfterPicker(wxWindow* dialog) {
#ifdef __WXGTK__
    // The expose events of the uncovered windows are on their way from the X server.
    gdk_display_sync(gdk_display_get_default());
#endif
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        loop->YieldFor(wxEVT_CATEGORY_UI);  // paints and sizes only: no click gets through
    }
    for (wxWindow* window = dialog; window != nullptr; window = window->GetParent()) {
        window->Update();
    }
}

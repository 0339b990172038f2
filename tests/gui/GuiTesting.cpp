#include "tests/gui/GuiTesting.h"

#include <wx/app.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include "app/GtkWidgets.h"

namespace {

#ifdef __WXGTK__
// GTK matches a pattern in its exact letter case, Windows in any.
const wxString kFilter = L"Shapefile (*.shp)|*.shp;*.SHP|Tutti i files (*.*)|*.*";
// GTK's chooser would ask only for a name in the exact case; the program asks instead.
constexpr long kSaveStyle = wxFD_SAVE;
#else
const wxString kFilter = L"Shapefile (*.shp)|*.shp|Tutti i files (*.*)|*.*";
constexpr long kSaveStyle = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
#endif
// The program checks that the file exists once it has added the default extension.
constexpr long kOpenStyle = wxFD_OPEN;
constexpr long kPickerFlags = wxFD_OPEN | wxFD_SAVE | wxFD_OVERWRITE_PROMPT | wxFD_FILE_MUST_EXIST;
constexpr int kWatchdogMilliseconds = 20000;

#ifdef __WXGTK__
// What the user sees of the real GTK chooser: the first filter takes .shp in either case and
// nothing else, and an open picker shows its initial name in the name box.
void CheckChooser(wxFileDialog* picker, const wxString& initialName) {
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(picker->GetHandle());
    GSList* filters = gtk_file_chooser_list_filters(chooser);
    ASSERT_NE(filters, nullptr);
    GtkFileFilter* shapefiles = GTK_FILE_FILTER(filters->data);
    g_slist_free(filters);
    EXPECT_STREQ(gtk_file_filter_get_name(shapefiles), "Shapefile (*.shp)");
    for (const char* name : {"RT_NODI.SHP", "rt_nodi.shp", "RT_NODI.DBF", "RT_NODI"}) {
        GtkFileFilterInfo info{};
        info.contains = GTK_FILE_FILTER_DISPLAY_NAME;
        info.display_name = name;
        EXPECT_EQ(gtk_file_filter_filter(shapefiles, &info) != FALSE, wxString(name).Upper().EndsWith(".SHP"))
            << name;
    }
    if (gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_OPEN) {
        // The location entry, not the search entry beside it.
        GtkWidget* entry = FindGtkWidget(picker->GetHandle(), g_type_from_name("GtkFileChooserEntry"));
        ASSERT_NE(entry, nullptr) << "no name box in the open picker";
        EXPECT_EQ(Utf8(wxString::FromUTF8(gtk_entry_get_text(GTK_ENTRY(entry)))), Utf8(initialName));
    }
}
#endif

}  // namespace

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    const wxLongLong end = wxGetLocalTimeMillis() + milliseconds;
    while (!condition() && wxGetLocalTimeMillis() < end) {
        wxYield();
        wxMilliSleep(5);
    }
    return condition();
}

std::string Utf8(const wxString& text) {
    return text.utf8_string();
}

int ExpectMessage::OnInvoked(wxMessageDialog* dialog) const {
    EXPECT_EQ(Utf8(dialog->GetMessage()), Utf8(text_));
    EXPECT_EQ(dialog->GetMessageDialogStyle() & wxICON_MASK, icon_) << "icon of " << Utf8(text_);
    EXPECT_EQ(dialog->GetMessageDialogStyle() & (wxOK | wxCANCEL | wxYES_NO), wxOK);
    EXPECT_EQ(Utf8(dialog->GetCaption()), Utf8(wxTheApp->GetAppName()));
    if (check_) {
        check_();
    }
    return wxID_OK;
}

int ExpectQuestion::OnInvoked(wxMessageDialog* dialog) const {
    EXPECT_TRUE(dialog->GetMessage().StartsWith(textStart_)) << Utf8(dialog->GetMessage());
    EXPECT_EQ(dialog->GetMessageDialogStyle() & wxICON_MASK, wxICON_WARNING);
    EXPECT_EQ(dialog->GetMessageDialogStyle() & (wxOK | wxCANCEL | wxYES_NO | wxNO_DEFAULT),
              wxYES_NO | wxNO_DEFAULT);
    wxString yes = dialog->GetYesLabel();
    yes.Replace(L"&", L"");  // the mnemonic, as wx
    yes.Replace(L"_", L"");  // and GTK write it
    EXPECT_EQ(Utf8(yes), "Sì");
    EXPECT_EQ(Utf8(dialog->GetCaption()), Utf8(wxTheApp->GetAppName()));
    return yes_ ? wxID_YES : wxID_NO;
}

int ExpectPicker::OnInvoked(wxFileDialog* picker) const {
    EXPECT_EQ(Utf8(picker->GetMessage()), Utf8(title_));
    EXPECT_EQ(Utf8(picker->GetWildcard()), Utf8(kFilter));
    EXPECT_EQ(picker->GetFilterIndex(), 0);
    EXPECT_EQ(picker->GetWindowStyle() & kPickerFlags, style_) << Utf8(title_);
    EXPECT_EQ(Utf8(picker->GetFilename()), Utf8(initialName_)) << Utf8(title_);
#ifdef __WXGTK__
    CheckChooser(picker, initialName_);
#endif
    if (answer_.empty()) {
        return wxID_CANCEL;
    }
#ifdef __WXGTK__
    // The user types into the open picker's name box: a name that need not exist, which
    // SetPath could not select.
    if (gtk_file_chooser_get_action(GTK_FILE_CHOOSER(picker->GetHandle())) == GTK_FILE_CHOOSER_ACTION_OPEN) {
        GtkWidget* entry = FindGtkWidget(picker->GetHandle(), g_type_from_name("GtkFileChooserEntry"));
        gtk_entry_set_text(GTK_ENTRY(entry), answer_.utf8_str());
    } else {
        picker->SetPath(answer_);
    }
#else
    picker->SetPath(answer_);
#endif
    // GTK's chooser takes the path asynchronously; GetPath() follows once the loop has run.
    EXPECT_TRUE(WaitFor([&] { return picker->GetPath() == answer_; }, 2000))
        << Utf8(answer_) << " came back as " << Utf8(picker->GetPath());
    if (then_) {
        then_();
    }
    return wxID_OK;
}

ExpectPicker StopsPicker(const wxString& answer, const wxString& initialName) {
    return ExpectPicker(L"Selezione RT_NODI.SHP", kOpenStyle, initialName, answer)
        .Describe(L"the stops picker");
}

ExpectPicker RoutesPicker(const wxString& answer) {
    return ExpectPicker(L"Selezione RT_ITIN.SHP", kOpenStyle, L"RT_ITIN", answer)
        .Describe(L"the routes picker");
}

ExpectPicker OutputPicker(const wxString& answer, std::function<void()> then, const wxString& initialName) {
    return ExpectPicker(L"Selezione Cartella Output", kSaveStyle, initialName, answer, std::move(then))
        .Describe(L"the output picker");
}

void Click(wxWindow& dialog, int id) {
    wxWindow* button = dialog.FindWindow(id);
    ASSERT_NE(button, nullptr) << "no control " << id;
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

void PressEscape(wxDialog& dialog) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    key.SetEventObject(&dialog);
    dialog.GetEventHandler()->ProcessEvent(key);
}

void PressCloseBox(wxDialog& dialog) {
    dialog.Close();
}

int RunModal(wxDialog& dialog, std::function<void()> script) {
    wxTimer watchdog;
    watchdog.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        ADD_FAILURE() << "the dialog was still running after " << kWatchdogMilliseconds << " ms";
        dialog.EndModal(wxID_ABORT);
    });
    watchdog.StartOnce(kWatchdogMilliseconds);
    dialog.CallAfter([&dialog, script = std::move(script)] {
        script();
        // wxMSW's IsModal() holds until ShowModal() returns; EndModal() hides the dialog at once.
        if (dialog.IsModal() && dialog.IsShown()) {
            dialog.EndModal(kLeftOpen);
        }
    });
    return dialog.ShowModal();
}

#include "tests/gui/GuiTesting.h"

#include <wx/app.h>
#include <wx/timer.h>
#include <wx/utils.h>

namespace {

const wxString kFilter = L"Shapefile (*.shp)|*.shp|Tutti i files (*.*)|*.*";
constexpr long kPickerFlags = wxFD_OPEN | wxFD_SAVE | wxFD_OVERWRITE_PROMPT | wxFD_FILE_MUST_EXIST;
constexpr int kWatchdogMilliseconds = 20000;

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

int ExpectPicker::OnInvoked(wxFileDialog* picker) const {
    EXPECT_EQ(Utf8(picker->GetMessage()), Utf8(title_));
    EXPECT_EQ(Utf8(picker->GetWildcard()), Utf8(kFilter));
    EXPECT_EQ(picker->GetFilterIndex(), 0);
    EXPECT_EQ(picker->GetWindowStyle() & kPickerFlags, style_) << Utf8(title_);
    EXPECT_EQ(Utf8(picker->GetFilename()), Utf8(initialName_)) << Utf8(title_);
    if (answer_.empty()) {
        return wxID_CANCEL;
    }
    picker->SetPath(answer_);
    // GTK's chooser takes the path asynchronously; GetPath() follows once the loop has run.
    EXPECT_TRUE(WaitFor([&] { return picker->GetPath() == answer_; }, 2000))
        << Utf8(answer_) << " came back as " << Utf8(picker->GetPath());
    if (then_) {
        then_();
    }
    return wxID_OK;
}

ExpectPicker StopsPicker(const wxString& answer) {
    return ExpectPicker(L"Selezione RT_NODI.SHP", wxFD_OPEN | wxFD_FILE_MUST_EXIST, L"RT_NODI", answer)
        .Describe(L"the stops picker");
}

ExpectPicker RoutesPicker(const wxString& answer) {
    return ExpectPicker(L"Selezione RT_ITIN.SHP", wxFD_OPEN | wxFD_FILE_MUST_EXIST, L"RT_ITIN", answer)
        .Describe(L"the routes picker");
}

ExpectPicker OutputPicker(const wxString& answer, std::function<void()> then) {
    return ExpectPicker(L"Selezione Cartella Output", wxFD_SAVE | wxFD_OVERWRITE_PROMPT, L"RT_NODI", answer,
                        std::move(then))
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
        if (dialog.IsModal()) {
            dialog.EndModal(kLeftOpen);
        }
    });
    return dialog.ShowModal();
}

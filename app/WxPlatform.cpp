#include "app/WxPlatform.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/strconv.h>
#include <wx/utils.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif
#ifdef __WXMSW__
#include <wx/modalhook.h>
#include <wx/msw/wrapwin.h>
#endif

using tramelo::Message;
using tramelo::MessageKind;

namespace {

// A box raised during an import or export is read with the normal pointer. wxMSW has no
// suspender (its library lacks the stored cursor), and its native boxes, being no wx
// windows, show their own arrow anyway.
struct NormalCursor {
#ifndef __WXMSW__
    wxBusyCursorSuspender suspender;
#endif
};

#ifdef __WXMSW__
// Windows' standard message box. wxMSW would show a task dialog instead, which sets the first
// line of the text apart as a large heading; here every line reads alike, as in any other
// program's box. The tests' modal hooks still see it as a wxMessageDialog.
class PlainMessageBox : public wxMessageDialog {
public:
    using wxMessageDialog::wxMessageDialog;

    int ShowModal() override {
        WX_HOOK_MODAL_DIALOG();
        UINT icon = MB_ICONINFORMATION;
        switch (GetMessageDialogStyle() & wxICON_MASK) {
        case wxICON_ERROR: icon = MB_ICONERROR; break;
        case wxICON_WARNING: icon = MB_ICONWARNING; break;
        default: break;
        }
        wxWindow* const owner = GetParent();
        ::MessageBoxW(owner != nullptr ? static_cast<HWND>(owner->GetHWND()) : nullptr, GetMessage().wc_str(),
                      GetCaption().wc_str(), MB_OK | icon);
        return wxID_OK;
    }
};
#else
using PlainMessageBox = wxMessageDialog;
#endif

}  // namespace

void WxPlatform::showMessage(const Message& message) {
    ShowMessageBox(owner_, MessageText(message), message.kind());
}

void ShowIconsInMessageBoxes() {
#ifdef __WXGTK__
    // GTK 3 message boxes leave out the icon of their kind; it is put back as each box is
    // shown (the box itself is made by wx inside ShowModal, out of reach beforehand).
    static const bool installed = [] {
        const auto addIcon = [](GSignalInvocationHint*, guint, const GValue* values, gpointer) -> gboolean {
            GObject* object = static_cast<GObject*>(g_value_get_object(&values[0]));
            if (!GTK_IS_MESSAGE_DIALOG(object)) {
                return TRUE;
            }
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            GtkMessageDialog* box = GTK_MESSAGE_DIALOG(object);
            GtkMessageType type = GTK_MESSAGE_OTHER;
            g_object_get(box, "message-type", &type, nullptr);
            const char* icon = nullptr;
            switch (type) {
            case GTK_MESSAGE_INFO: icon = "dialog-information"; break;
            case GTK_MESSAGE_WARNING: icon = "dialog-warning"; break;
            case GTK_MESSAGE_QUESTION: icon = "dialog-question"; break;
            case GTK_MESSAGE_ERROR: icon = "dialog-error"; break;
            default: break;
            }
            if (icon != nullptr && gtk_message_dialog_get_image(box) == nullptr) {
                GtkWidget* image = gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG);
                gtk_message_dialog_set_image(box, image);
                gtk_widget_show(image);
            }
            G_GNUC_END_IGNORE_DEPRECATIONS
            return TRUE;  // stay installed
        };
        g_signal_add_emission_hook(g_signal_lookup("show", GTK_TYPE_WIDGET), 0, addIcon, nullptr, nullptr);
        return true;
    }();
    (void)installed;
#endif
}

void ShowMessageBox(wxWindow* owner, const wxString& text, MessageKind kind) {
    ShowIconsInMessageBoxes();
    long icon = wxICON_INFORMATION;
    switch (kind) {
    case MessageKind::Error: icon = wxICON_ERROR; break;
    case MessageKind::Warning: icon = wxICON_WARNING; break;
    case MessageKind::Information: break;
    }
    [[maybe_unused]] const NormalCursor normalCursor;
    PlainMessageBox box(owner, text, wxTheApp->GetAppName(), wxOK | icon | wxCENTRE);
    box.ShowModal();
}

bool AskYesNo(wxWindow* owner, const wxString& text) {
    ShowIconsInMessageBoxes();
    [[maybe_unused]] const NormalCursor normalCursor;
    wxMessageDialog question(owner, text, wxTheApp->GetAppName(),
                             wxYES_NO | wxNO_DEFAULT | wxICON_WARNING | wxCENTRE);
    question.SetYesNoLabels(L"&Sì", L"&No");
    return question.ShowModal() == wxID_YES;
}

wxString MessageText(const Message& message) {
    wxString text;
    for (const Message::Piece& piece : message.pieces()) {
        text += piece.isPath ? PathText(piece.bytes) : Cp1252Text(piece.bytes);
    }
    return text;
}

wxString Cp1252Text(std::string_view bytes) {
#ifdef __WXMSW__
    // Windows' own conversion passes the five unassigned bytes through as C1 controls, which
    // a list or a box shows as nothing at all: the core's table marks them as on GTK.
    return wxString::FromUTF8(tramelo::Cp1252ToUtf8(bytes));
#else
    const wxCSConv cp1252(wxFONTENCODING_CP1252);
    wxString text(bytes.data(), cp1252, bytes.size());
    if (text.empty() && !bytes.empty()) {
        // iconv refuses the whole text when it holds one of the five bytes that code page
        // 1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D); a name from a .DBF may.
        // The core's table shows those as U+FFFD and the rest as usual.
        text = wxString::FromUTF8(tramelo::Cp1252ToUtf8(bytes));
    }
    return text;
#endif
}

std::string CorePath(const wxString& path) {
#ifdef __WXMSW__
    return path.utf8_string();
#else
    return std::string(path.fn_str());
#endif
}

wxString PathText(std::string_view path) {
#ifdef __WXMSW__
    return wxString::FromUTF8(path.data(), path.size());
#else
    return wxString(path.data(), *wxConvFileName, path.size());
#endif
}

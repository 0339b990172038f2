#include "app/WxPlatform.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/strconv.h>
#include <wx/utils.h>

using tramelo::Message;
using tramelo::MessageKind;

void WxPlatform::showMessage(const Message& message) {
    ShowMessageBox(owner_, MessageText(message), message.kind());
}

void ShowMessageBox(wxWindow* owner, const wxString& text, MessageKind kind) {
    long icon = wxICON_INFORMATION;
    switch (kind) {
    case MessageKind::Error: icon = wxICON_ERROR; break;
    case MessageKind::Warning: icon = wxICON_WARNING; break;
    case MessageKind::Information: break;
    }
    // A box raised during an import or export is read with the normal pointer.
    wxBusyCursorSuspender normalCursor;
    wxMessageBox(text, wxTheApp->GetAppName(), wxOK | icon | wxCENTRE, owner);
}

wxString MessageText(const Message& message) {
    wxString text;
    for (const Message::Piece& piece : message.pieces()) {
        text += piece.isPath ? PathText(piece.bytes) : Cp1252Text(piece.bytes);
    }
    return text;
}

wxString Cp1252Text(std::string_view bytes) {
    const wxCSConv cp1252(wxFONTENCODING_CP1252);
    wxString text(bytes.data(), cp1252, bytes.size());
    if (text.empty() && !bytes.empty()) {
        // iconv refuses the whole text when it holds one of the five bytes that code page
        // 1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D); a name from a .DBF may.
        // The core's table shows those as U+FFFD and the rest as usual.
        text = wxString::FromUTF8(tramelo::Cp1252ToUtf8(bytes));
    }
    return text;
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

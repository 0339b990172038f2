#pragma once

// The desktop program's side of the core's Platform: the real files, modal message boxes and
// the local date. Also the conversions between the core's byte strings and wxString, which
// only this program needs.
//
// Messages are shown over the owner window when one is set (the merge dialog, while it is
// open), so that they stay in front of it; the caller keeps the owner alive while it is set.

#include <string>
#include <string_view>

#include <wx/string.h>

#include "shapefile/DiskFileSystem.h"
#include "workspace/Platform.h"

class wxWindow;

class WxPlatform final : public tramelo::Platform {
public:
    tramelo::FileSystem& files() override { return files_; }
    void showMessage(const tramelo::Message& message) override;
    tramelo::CalendarDate today() override { return tramelo::LocalDateToday(); }

    wxWindow* owner() const { return owner_; }
    void setOwner(wxWindow* owner) { owner_ = owner; }

private:
    tramelo::DiskFileSystem files_;
    wxWindow* owner_ = nullptr;
};

// A modal box with a single OK button, the icon of the kind and the program file's name
// without extension as caption; returns when the user has dismissed it.
void ShowMessageBox(wxWindow* owner, const wxString& text, tramelo::MessageKind kind);

// Makes the platform's message boxes show the icon of their kind; once is enough, and the
// boxes below do it themselves.
void ShowIconsInMessageBoxes();

// A modal question with "Sì" and "No" buttons (No the default), the warning icon and the same
// caption; true when the user answered yes.
bool AskYesNo(wxWindow* owner, const wxString& text);

// The message as the user reads it: code page 1252 pieces and file-system paths each
// converted with their own encoding.
wxString MessageText(const tramelo::Message& message);

// Code page 1252 bytes (fixed texts, codes and names from a .DBF) for display.
wxString Cp1252Text(std::string_view bytes);

// A path between the core's bytes and wxString: the file system's encoding (UTF-8 on
// Windows, where the core hands narrow paths to the wide API as UTF-8).
std::string CorePath(const wxString& path);
wxString PathText(std::string_view path);

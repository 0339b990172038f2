#pragma once

// The merge dialog's three file pickers, made to behave alike on every platform:
// - the "Shapefile (*.shp)" filter matches ".shp" and ".SHP" (Windows ignores letter case;
//   GTK matches patterns exactly);
// - the open pickers start with their initial name in the name box, add the default
//   extension "SHP" to a name typed without one, and accept only an existing file;
// - the output picker asks before an earlier run's outputs in the chosen folder are
//   replaced, whatever the letter case of the typed name and of the files there.
// Each returns the accepted path, or an empty string when the user cancelled.

#include <wx/string.h>

class wxWindow;

wxString PickInputShapefile(wxWindow* owner, const wxString& title, const wxString& initialName);
wxString PickOutputFile(wxWindow* owner);

// Once a picker has closed: the busy cursor's wait can be long, so the windows under the
// picker are repainted now rather than after the work.
void RepaintAfterPicker(wxWindow* dialog);

// The desktop program: the main window with its picture, the merge dialog over it, and the
// end of the run when the dialog ends. It reads no argument, file or setting.

#include <wx/app.h>

#include "app/MainFrame.h"
#include "app/WxPlatform.h"

class CMergeApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;

private:
    bool mainWindowCreated_ = false;
};

bool CMergeApp::OnInit() {
    // Deliberately no wxApp::OnInit(): it would parse the command line.
    auto* frame = new CMainFrame;
    if (!frame->CreateMainWindow(L"Pelvare")) {
        ShowMessageBox(nullptr, L"Errore creazione finestra principale", tramelo::MessageKind::Warning);
        // Without a main window there is nothing for the dialog to stand on and nothing whose
        // closing would end the run, so the run ends here, before anything was merged.
        delete frame;
        return true;
    }
    mainWindowCreated_ = true;
    SetTopWindow(frame);
    frame->Show();
    frame->SetTitle(L"Tramelo - \"Unificazione RT_NODI ed RT_ITIN\"");
    frame->Update();
    // The whole run happens here; afterwards the main loop only sees the closed window go.
    frame->RunMergeDialog();
    return true;
}

int CMergeApp::OnRun() {
    return mainWindowCreated_ ? wxApp::OnRun() : 0;
}

wxIMPLEMENT_APP(CMergeApp);

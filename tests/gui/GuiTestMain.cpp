// The GUI tests' own main(): wx is started as a GUI application without entering its main
// loop, so that tests can create windows and run modal loops of their own.

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// wx's default handler shows a modal box and waits for a user.
void AssertToGTest(const wxString& file, int line, const wxString& function, const wxString& condition,
                   const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << function.utf8_string() << ": "
                                          << condition.utf8_string() << " " << message.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();  // test discovery needs no display
    }
#ifndef __WXMSW__
    // No accessibility bus, no Wayland, no settings daemon: a bare X server is all there is.
    setenv("NO_AT_BRIDGE", "1", 0);
    setenv("GDK_BACKEND", "x11", 0);
    setenv("GSETTINGS_BACKEND", "memory", 0);
#endif
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        std::fputs("cannot open a display: run under xvfb-run\n", stderr);
        return 2;
    }
    wxSetAssertHandler(AssertToGTest);
    // wxLogGui would show its messages in a modal box when wx shuts down.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxTheApp->CallOnInit();
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}

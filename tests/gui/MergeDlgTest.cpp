#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/listbox.h>
#include <wx/uiaction.h>
#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

#include "app/MainFrame.h"
#include "app/MergeDlg.h"
#include "base/CodePage.h"
#include "shapefile/DiskFileSystem.h"
#include "tests/gui/GuiTesting.h"
#include "tests/support/Outputs.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "tests/support/TestPaths.h"

namespace {

namespace fs = std::filesystem;
using tramelo::testing::Route;
using tramelo::testing::RoutesShapefile;
using tramelo::testing::Stop;
using tramelo::testing::StopsShapefile;

// Everything a finished merge writes, as a folder listing shows it, but for the names left
// out (a .PRJ of a dataset that had no input to tell its coordinate system).
std::vector<std::string> SortedOutputs(const std::vector<std::string>& without = {}) {
    std::vector<std::string> names = tramelo::testing::AllOutputNames();
    std::erase_if(names, [&](const std::string& name) {
        return std::find(without.begin(), without.end(), name) != without.end();
    });
    std::sort(names.begin(), names.end());
    return names;
}

// A main frame on screen, and a scratch folder whose name is not ASCII, so that every path
// crosses the picker, the core and the message boxes in the file system's encoding.
class MergeDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new CMainFrame;
        ASSERT_TRUE(frame->CreateMainWindow(L"Pelvare"));
        frame->Show();
    }

    void TearDown() override { delete frame; }

    static wxString Text(const fs::path& path) {
        const std::u8string bytes = path.u8string();
        return wxString::FromUTF8(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    // Writes the trio of a shapefile into folder/<subfolder>/<name>.SHP and returns the
    // .SHP's path.
    wxString Install(const tramelo::testing::ShapefileBytes& bytes, const std::string& subfolder,
                     const std::string& name) {
        const fs::path path = folder / subfolder / (name + ".SHP");
        fs::create_directories(path.parent_path());
        bytes.install(disk, path.string());
        return Text(path);
    }

    wxString StopsFile(const std::string& subfolder, const std::vector<Stop>& stops) {
        return Install(StopsShapefile(stops), subfolder, "RT_NODI");
    }

    wxString RoutesFile(const std::string& subfolder, const std::vector<Route>& routes) {
        return Install(RoutesShapefile(routes), subfolder, "RT_ITIN");
    }

    static wxListBox* List(wxDialog& dialog, int id) {
        return wxDynamicCast(dialog.FindWindow(id), wxListBox);
    }

    static std::vector<std::string> Lines(wxDialog& dialog, int id) {
        std::vector<std::string> lines;
        for (const wxString& line : List(dialog, id)->GetStrings()) {
            lines.push_back(Utf8(line));
        }
        return lines;
    }

    static std::vector<std::string> FilesIn(const fs::path& directory) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    tramelo::testing::TemporaryFolder temporary{"città"};
    const fs::path& folder = temporary.path();
    CMainFrame* frame = nullptr;
    tramelo::DiskFileSystem disk;
};

TEST_F(MergeDlgTest, OpensEmptyOverTheMainWindowWithTheStopsListFocused) {
    CMergeDlg dialog(*frame);
    const int result = RunModal(dialog, [&] {
        EXPECT_TRUE(List(dialog, CMergeDlg::kStopsListId)->IsEmpty());
        EXPECT_TRUE(List(dialog, CMergeDlg::kRoutesListId)->IsEmpty());
        EXPECT_TRUE(
            WaitFor([&] { return wxWindow::FindFocus() == List(dialog, CMergeDlg::kStopsListId); }, 2000));
        // Centred over the frame, as far as the screen allows (the dialog may be wider).
        const wxRect owner = frame->GetRect();
        const wxRect own = dialog.GetRect();
        EXPECT_EQ(own.y, owner.y + (owner.height - own.height) / 2);
        EXPECT_EQ(own.x, std::max(0, owner.x + (owner.width - own.width) / 2));
    });
    EXPECT_EQ(result, kLeftOpen);
    EXPECT_FALSE(frame->workspace.HasMergedData());
}

TEST_F(MergeDlgTest, WithNothingMergedEscAndTheCloseBoxEndAtOnceWithoutAnyDialog) {
    const wxString empty = StopsFile("vuoto", {});
    for (const auto& leave : {PressEscape, PressCloseBox}) {
        CMergeDlg dialog(*frame);
        const int result = RunModal(dialog, [&] {
            GTestModalHook noDialogAtAll(__FILE__, __LINE__, "");
            leave(dialog);
        });
        EXPECT_EQ(result, wxID_CANCEL);
    }
    // A file without features is listed but merges nothing: still no picker on the way out.
    CMergeDlg dialog(*frame);
    const int result = RunModal(dialog, [&] {
        wxTEST_DIALOG(Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(empty));
        EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId), std::vector<std::string>{Utf8(empty)});
        GTestModalHook noDialogAtAll(__FILE__, __LINE__, "");
        Click(dialog, CMergeDlg::kFinishId);
    });
    EXPECT_EQ(result, wxID_CANCEL);
}

TEST_F(MergeDlgTest, StopsFilesAreListedInTheOrderPickedAndACancelledPickerAddsNothing) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    const wxString b = StopsFile("b", {{"B1", "Due", 2, 2}});
    const wxString c = StopsFile("c", {{"C1", "Tre", 3, 3}});
    CMergeDlg dialog(*frame);
    RunModal(dialog, [&] {
        wxTEST_DIALOG(Click(dialog, CMergeDlg::kAddStopsId); Click(dialog, CMergeDlg::kAddStopsId);
                      Click(dialog, CMergeDlg::kAddStopsId);
                      Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(a), StopsPicker(b),
                      StopsPicker(wxEmptyString), StopsPicker(c));
        EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId),
                  (std::vector<std::string>{Utf8(a), Utf8(b), Utf8(c)}));
        EXPECT_TRUE(List(dialog, CMergeDlg::kRoutesListId)->IsEmpty());
    });
    std::vector<std::string> acquired;
    for (const auto& file : frame->workspace.acquiredStops) {
        acquired.push_back(file.path);
    }
    EXPECT_EQ(acquired, (std::vector<std::string>{Utf8(a), Utf8(b), Utf8(c)}));
}

TEST_F(MergeDlgTest, APathAlreadyListedIsRefusedWithAWarningAndNoNewLine) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    CMergeDlg dialog(*frame);
    RunModal(dialog, [&] {
        wxTEST_DIALOG(
            Click(dialog, CMergeDlg::kAddStopsId);
            Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(a), StopsPicker(a),
            ExpectMessage(L"Attenzione: lo shapefile indicato\n\n" + a + L"\n\nrisulta già acquisito",
                          wxICON_WARNING));
        EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId), std::vector<std::string>{Utf8(a)});
    });
}

TEST_F(MergeDlgTest, AStopsPathPickedForRoutesGoesToTheRoutesImport) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    CMergeDlg dialog(*frame);
    RunModal(dialog, [&] {
        // The routes import refuses a point shapefile, and says so while the busy cursor is up.
        wxTEST_DIALOG(Click(dialog, CMergeDlg::kAddStopsId);
                      Click(dialog, CMergeDlg::kAddRoutesId), StopsPicker(a), RoutesPicker(a),
                      ExpectMessage(L"lo ShapeFile non presenta gli attributi obbligatori di RT_ITIN "
                                    L"oppure non contiene entità lineari:\n\nforma: Point (1), serve "
                                    L"PolyLine (3); campo COD_PERC assente; campo DESCR assente",
                                    wxICON_ERROR, [] {
                                        EXPECT_TRUE(wxIsBusy());
                                        // The picker is gone before the import starts.
                                        for (const wxWindow* window : wxTopLevelWindows) {
                                            EXPECT_FALSE(window->IsKindOf(wxCLASSINFO(wxFileDialog)));
                                        }
                                    }));
        EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId), std::vector<std::string>{Utf8(a)});
        EXPECT_TRUE(List(dialog, CMergeDlg::kRoutesListId)->IsEmpty());
    });
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(MergeDlgTest, ANameWithoutExtensionMeansTheShapefileAndAMissingFileIsAskedForAgain) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    const wxString typed = Text(folder / "a" / "RT_NODI");
    const wxString missing = Text(folder / "a" / "NIENTE");
    CMergeDlg dialog(*frame);
    RunModal(dialog, [&] {
        wxTEST_DIALOG(
            Click(dialog, CMergeDlg::kAddStopsId);
            Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(typed), StopsPicker(missing),
            ExpectMessage(missing + L"\nFile non trovato.\nVerificare che il nome del file specificato "
                                    L"sia corretto.",
                          wxICON_WARNING),
            StopsPicker(wxEmptyString, L"NIENTE"));
        EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId), std::vector<std::string>{Utf8(a)});
    });
}

TEST_F(MergeDlgTest, EarlierOutputsInTheFolderAreReplacedOnlyWhenTheUserSaysSo) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    const fs::path out = folder / "uscita";
    fs::create_directories(out);
    // An earlier run's files, one in another letter case; none has the name typed.
    std::ofstream(out / "ReportFusione.txt") << "earlier";
    std::ofstream(out / "rt_itin.dbf") << "earlier";
    CMergeDlg dialog(*frame);
    const int result = RunModal(dialog, [&] {
        wxTEST_DIALOG(
            Click(dialog, CMergeDlg::kAddStopsId);
            Click(dialog, CMergeDlg::kFinishId), StopsPicker(a), OutputPicker(Text(out / "RT_NODI.shp")),
            ExpectQuestion(L"Attenzione: la cartella\n\n" + Text(out) + L"\n\ncontiene già\n", false),
            OutputPicker(wxEmptyString, {}, L"RT_NODI.shp"));
        EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"ReportFusione.txt", "rt_itin.dbf"}));
    });
    EXPECT_EQ(result, wxID_CANCEL);
    CMergeDlg again(*frame);
    RunModal(again, [&] {
        wxTEST_DIALOG(Click(again, CMergeDlg::kFinishId), OutputPicker(Text(out / "RT_NODI.shp")),
                      ExpectQuestion(L"Attenzione: la cartella", true),
                      ExpectMessage(L"Sono state esportate 1 fermate", wxICON_INFORMATION),
                      ExpectMessage(L"Sono stati esportati 0 percorsi", wxICON_INFORMATION));
    });
    std::ifstream report(out / "ReportFusione.txt");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(report), {}), "earlier");
}

TEST_F(MergeDlgTest, AWarningOfTheImportComesAsAWarningBoxBeforeThePathIsListed) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    tramelo::testing::ShapefileBytes other = StopsShapefile({{"B1", "Due", 2, 2}});
    other.prj = "PROJCS[\"altro\"]";
    const wxString b = Install(other, "b", "RT_NODI");
    CMergeDlg dialog(*frame);
    RunModal(dialog, [&] {
        wxTEST_DIALOG(
            Click(dialog, CMergeDlg::kAddStopsId);
            Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(a), StopsPicker(b),
            ExpectMessage(L"lo shapefile " + b +
                              L" ha un sistema di riferimento (.prj) diverso da quello degli shapefile "
                              L"già acquisiti: nessun file .PRJ sarà scritto",
                          wxICON_WARNING, [&] {
                              EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId),
                                        std::vector<std::string>{Utf8(a)});
                          }));
        EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId), (std::vector<std::string>{Utf8(a), Utf8(b)}));
    });
}

TEST_F(MergeDlgTest, EscWithMergedDataAsksForTheFolderAndCancellingWritesNothing) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    const std::vector<std::string> before = FilesIn(folder / "a");
    CMergeDlg dialog(*frame);
    const int result = RunModal(dialog, [&] {
        wxTEST_DIALOG(Click(dialog, CMergeDlg::kAddStopsId);
                      PressEscape(dialog), StopsPicker(a), OutputPicker(wxEmptyString));
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"a"}));
    EXPECT_EQ(FilesIn(folder / "a"), before);
}

TEST_F(MergeDlgTest, FineWritesTheOutputsIntoThePickedFolderAndShowsTheCounts) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}, {"A2", "Due", 2, 2}});
    const wxString b = StopsFile("b", {{"B1", "Tre", 3, 3}});
    const wxString r = RoutesFile("r", {{"L1", "Linea uno", {{0, 0}, {1, 1}}}});
    const fs::path out = folder / "uscita";
    fs::create_directories(out);
    CMergeDlg dialog(*frame);
    const int result = RunModal(dialog, [&] {
        wxTEST_DIALOG(Click(dialog, CMergeDlg::kAddStopsId); Click(dialog, CMergeDlg::kAddStopsId);
                      Click(dialog, CMergeDlg::kAddRoutesId);
                      Click(dialog, CMergeDlg::kFinishId), StopsPicker(a), StopsPicker(b), RoutesPicker(r),
                      OutputPicker(Text(out / "RT_NODI.shp")),
                      ExpectMessage(L"Sono state esportate 3 fermate", wxICON_INFORMATION),
                      ExpectMessage(L"Sono stati esportati 1 percorsi", wxICON_INFORMATION));
        EXPECT_EQ(Lines(dialog, CMergeDlg::kRoutesListId), std::vector<std::string>{Utf8(r)});
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(FilesIn(out), SortedOutputs());
    // The report names the inputs as picked, in its own code page.
    std::ifstream report(out / "ReportFusione.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
    const auto inReport = [](const wxString& path) {
        return tramelo::Utf8ToCp1252Lossy(Utf8(path)) + "\r\n";
    };
    EXPECT_NE(text.find(inReport(a) + inReport(b)), std::string::npos) << text;
    EXPECT_NE(text.find(inReport(r)), std::string::npos) << text;
}

// An output that cannot be written, or a folder another run is writing into: the user is
// told, and the dialog stays open for another folder.
TEST_F(MergeDlgTest, AnOutputThatCannotBeWrittenKeepsTheDialogOpenForAnotherFolder) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    const fs::path lost = folder / "persa";
    const fs::path busy = folder / "occupata";
    const fs::path other = folder / "altra";
    for (const fs::path& path : {lost, busy, other}) {
        fs::create_directories(path);
    }
    tramelo::DiskFileSystem disk;
    tramelo::testing::RecordingPlatform elsewhere(disk);
    tramelo::MergeWorkspace otherRun(elsewhere);
    ASSERT_EQ(otherRun.ClaimOutputFolder(Utf8(Text(busy))), tramelo::ClaimOutcome::Claimed);
    // Once picked, the folder turns into a regular file: nothing can be created in it, even
    // by a user who may write anywhere.
    const auto blockFolder = [&] {
        fs::remove_all(lost);
        std::ofstream(lost) << "x";
    };
    CMergeDlg dialog(*frame);
    const int result = RunModal(dialog, [&] {
        wxTEST_DIALOG(
            Click(dialog, CMergeDlg::kAddStopsId);
            Click(dialog, CMergeDlg::kFinishId), StopsPicker(a),
            OutputPicker(Text(lost / "RT_NODI.shp"), blockFolder),
            ExpectMessage(L"Impossibile creare\n\n" + Text(lost / "ReportFusione.txt"), wxICON_WARNING),
            ExpectMessage(L"Impossibile creare\n\n" + Text(lost / "RT_NODI.SHP"), wxICON_WARNING),
            ExpectMessage(L"Impossibile creare\n\n" + Text(lost / "RT_ITIN.SHP"), wxICON_WARNING));
        ASSERT_TRUE(dialog.IsModal());
        EXPECT_EQ(Lines(dialog, CMergeDlg::kStopsListId), std::vector<std::string>{Utf8(a)});
        // The close box asks again, like "Fine".
        wxTEST_DIALOG(PressCloseBox(dialog), OutputPicker(Text(busy / "RT_NODI.shp")),
                      ExpectMessage(L"la cartella " + Text(busy) + L" \u00E8 in uso da un'altra unificazione",
                                    wxICON_ERROR));
        ASSERT_TRUE(dialog.IsModal());
        const std::vector<std::string> left = FilesIn(busy);  // on Windows, the other run's lock
        EXPECT_TRUE(left.empty() || left == std::vector<std::string>{"tramelo.lock"});
        wxTEST_DIALOG(PressCloseBox(dialog), OutputPicker(Text(other / "RT_NODI.shp")),
                      ExpectMessage(L"Sono state esportate 1 fermate", wxICON_INFORMATION),
                      ExpectMessage(L"Sono stati esportati 0 percorsi", wxICON_INFORMATION));
    });
    EXPECT_EQ(result, wxID_CANCEL);
    EXPECT_EQ(FilesIn(other), SortedOutputs({"RT_ITIN.PRJ"}));
}

// The harness itself: a test must fail when the program shows a dialog other than the one
// expected, or none at all, or a text that differs by one accent.
TEST_F(MergeDlgTest, TheHarnessFailsWhenTheExpectedDialogsDoNotAppear) {
    const wxString a = StopsFile("a", {{"A1", "Uno", 1, 1}});
    CMergeDlg dialog(*frame);
    RunModal(dialog, [&] {
        const auto cancelledPickerThenAWarning = [&] {
            wxTEST_DIALOG(Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(wxEmptyString),
                          ExpectMessage(L"Attenzione", wxICON_WARNING));
        };
        EXPECT_NONFATAL_FAILURE(cancelledPickerThenAWarning(), "was not shown");

        const auto pickerNobodyExpects = [&] {
            GTestModalHook hook(__FILE__, __LINE__, "");
            Click(dialog, CMergeDlg::kAddRoutesId);
        };
        EXPECT_NONFATAL_FAILURE(pickerNobodyExpects(), "was shown unexpectedly");

        wxTEST_DIALOG(Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(a));
        const auto accentMissing = [&] {
            wxTEST_DIALOG(
                Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(a),
                ExpectMessage(L"Attenzione: lo shapefile indicato\n\n" + a + L"\n\nrisulta gia acquisito",
                              wxICON_WARNING));
        };
        EXPECT_NONFATAL_FAILURE(accentMissing(), "risulta gia acquisito");

        const auto wrongIcon = [&] {
            wxTEST_DIALOG(
                Click(dialog, CMergeDlg::kAddStopsId), StopsPicker(a),
                ExpectMessage(L"Attenzione: lo shapefile indicato\n\n" + a + L"\n\nrisulta già acquisito",
                              wxICON_ERROR));
        };
        EXPECT_NONFATAL_FAILURE(wrongIcon(), "icon of");
    });
}

TEST_F(MergeDlgTest, ControlsFollowTheTemplateInDialogUnits) {
    CMergeDlg dialog(*frame);
    EXPECT_EQ(Utf8(dialog.GetTitle()), "Unificazione ShapeFiles RT_NODI / RT_ITIN");
    EXPECT_EQ(dialog.GetClientSize(), dialog.ConvertDialogToPixels(wxSize(330, 170)));
    // Dialog units of an 8-point font: the dialog fits within the main window.
    EXPECT_EQ(dialog.GetFont().GetPointSize(), 8);
    EXPECT_LE(dialog.GetSize().x, frame->GetSize().x);
#ifdef __WXMSW__
    // The face Windows really made the font from: a missing one is replaced without a word,
    // and the layout would then follow another font's dialog units.
    wxClientDC dc(&dialog);
    dc.SetFont(dialog.GetFont());
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(static_cast<HDC>(dc.GetHDC()), LF_FACESIZE, face);
    EXPECT_STREQ(face, L"MS Sans Serif");
#endif

    struct Control {
        int id;
        const char* label;
        wxRect units;
    };
    const Control controls[] = {
        {1203, nullptr, {5, 5, 320, 70}},
        {1204, nullptr, {5, 80, 320, 70}},
        {1201, "Aggiungi RT_NODI", {30, 150, 100, 14}},
        {1202, "Aggiungi RT_ITIN", {140, 150, 100, 14}},
        {wxID_CANCEL, "Fine", {250, 150, 50, 14}},
    };
    // Creation order is the tab order.
    const wxWindowList& children = dialog.GetChildren();
    ASSERT_EQ(children.size(), std::size(controls));
    auto child = children.begin();
    for (const Control& control : controls) {
        wxWindow* window = *child++;
        EXPECT_EQ(window->GetId(), control.id);
        const wxRect expected(dialog.ConvertDialogToPixels(control.units.GetPosition()),
                              dialog.ConvertDialogToPixels(control.units.GetSize()));
        EXPECT_EQ(window->GetRect(), expected) << control.id;
        // The texts are in the font the units come from (wxMSW's controls would otherwise
        // take the system's GUI font).
        EXPECT_EQ(window->GetFont(), dialog.GetFont()) << control.id;
        if (control.label != nullptr) {
            EXPECT_EQ(Utf8(window->GetLabel()), control.label);
        } else {
            // Entries stay in the order added, one may be selected, long paths are cut.
            EXPECT_FALSE(window->HasFlag(wxLB_SORT) || window->HasFlag(wxLB_MULTIPLE) ||
                         window->HasFlag(wxLB_EXTENDED) || window->HasFlag(wxLB_HSCROLL));
        }
    }
    EXPECT_EQ(dialog.GetDefaultItem(), dialog.FindWindow(wxID_CANCEL));
    EXPECT_EQ(dialog.GetEscapeId(), wxID_CANCEL);
    EXPECT_EQ(dialog.FindWindow(wxID_OK), nullptr);
}

// Real keys through the X server: Enter while the stops list has the focus presses the
// default button, "Fine".
TEST_F(MergeDlgTest, EnterPressesFine_UiSim) {
    CMergeDlg dialog(*frame);
    const int result = RunModal(dialog, [&] {
        wxListBox* stops = List(dialog, CMergeDlg::kStopsListId);
        ASSERT_TRUE(WaitFor([&] { return wxWindow::FindFocus() == stops; }, 2000));
        wxUIActionSimulator simulator;
        // Without a window manager the keyboard follows the pointer.
        simulator.MouseMove(stops->GetScreenRect().GetLeftTop() + wxPoint(10, 10));
        simulator.Char(WXK_RETURN);
        EXPECT_TRUE(WaitFor([&] { return !dialog.IsModal() || !dialog.IsShown(); }, 3000));  // see RunModal
    });
    EXPECT_EQ(result, wxID_CANCEL);
}

}  // namespace

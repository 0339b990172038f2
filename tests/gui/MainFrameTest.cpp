#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include "ArtworkPng.h"
#include "app/Artwork.h"
#include "app/MainFrame.h"
#include "tests/gui/GuiTesting.h"

namespace {

const wxColour kGround(128, 128, 128);

// The pixels of screen (or of a drawing) in the rectangle area, compared with the picture
// at offset inside it on the ground colour. Returns a description of the first difference.
::testing::AssertionResult ShowsPictureAt(const wxImage& drawn, const wxRect& area, const wxImage& picture,
                                          const wxPoint& offset) {
    int differences = 0;
    std::string first;
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x) {
            const int px = x - offset.x;
            const int py = y - offset.y;
            const bool inside = px >= 0 && py >= 0 && px < picture.GetWidth() && py < picture.GetHeight();
            const wxColour expected =
                inside ? wxColour(picture.GetRed(px, py), picture.GetGreen(px, py), picture.GetBlue(px, py))
                       : kGround;
            const int sx = area.x + x;
            const int sy = area.y + y;
            const wxColour got(drawn.GetRed(sx, sy), drawn.GetGreen(sx, sy), drawn.GetBlue(sx, sy));
            if (got != expected && differences++ == 0) {
                first = "first at (" + std::to_string(x) + "," + std::to_string(y) +
                        "): " + Utf8(got.GetAsString()) + " instead of " + Utf8(expected.GetAsString());
            }
        }
    }
    if (differences == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << differences << " pixels differ, " << first;
}

TEST(ArtworkTest, PictureIsOneBitLightFigureOnMidGreyGround) {
    // IHDR: width, height, bit depth 1, colour type 3 (palette); then PLTE with index 0
    // light grey and index 1 mid grey.
    const unsigned char header[] = {0x00, 0x00, 0x01, 0x7A, 0x00, 0x00, 0x01, 0x90, 0x01, 0x03};
    ASSERT_GT(sizeof kPicturePng, 45u);
    EXPECT_TRUE(std::equal(std::begin(header), std::end(header), kPicturePng + 16));
    const unsigned char palette[] = {0, 0, 0, 6, 'P', 'L', 'T', 'E', 192, 192, 192, 128, 128, 128};
    EXPECT_TRUE(std::equal(std::begin(palette), std::end(palette), kPicturePng + 33));

    const wxImage picture = LoadPicture().ConvertToImage();
    ASSERT_TRUE(picture.IsOk());
    EXPECT_EQ(picture.GetSize(), wxSize(378, 400));
    EXPECT_EQ(wxColour(picture.GetRed(0, 0), picture.GetGreen(0, 0), picture.GetBlue(0, 0)), kGround);

    const wxIcon icon = LoadAppIcon();
    ASSERT_TRUE(icon.IsOk());
    EXPECT_EQ(icon.GetSize(), wxSize(32, 32));
}

TEST(PaintPictureTest, CentresWithOffsetsTruncatedTowardZero) {
    const wxBitmap picture = LoadPicture();
    struct Case {
        wxSize client;
        wxPoint offset;
    };
    const Case cases[] = {
        {{600, 480}, {111, 40}},  {{378, 400}, {0, 0}}, {{377, 399}, {0, 0}},  // -1 / 2 is 0, not -1
        {{301, 480}, {-38, 40}},                                               // cut equally: -77 / 2 is -38
        {{300, 300}, {-39, -50}},
    };
    for (const Case& c : cases) {
        // A bitmap larger than the client area, dirty beyond it: only the client area counts.
        wxBitmap target(c.client.x + 7, c.client.y + 5, 24);
        wxMemoryDC dc(target);
        dc.SetBackground(*wxRED_BRUSH);
        dc.Clear();
        PaintPicture(dc, c.client, picture, kGround);
        dc.SelectObject(wxNullBitmap);
        EXPECT_TRUE(
            ShowsPictureAt(target.ConvertToImage(), wxRect(c.client), picture.ConvertToImage(), c.offset))
            << c.client.x << "x" << c.client.y;
    }
}

// The screen as the X server has it. wxScreenDC can return stale pixels after a resize on
// GTK 3, so the root window is dumped with xwd instead.
wxImage Screenshot(const std::string& png) {
    const std::string command = "xwd -root -silent | convert xwd:- png:'" + png + "'";
    if (std::system(command.c_str()) != 0) {
        return {};
    }
    return wxImage(wxString::FromUTF8(png), wxBITMAP_TYPE_PNG);
}

TEST(MainFrameTest, WindowShowsThePictureCentredAndRecentresAfterAResize_Live) {
    if (std::system("command -v xwd >/dev/null && command -v convert >/dev/null") != 0) {
        GTEST_SKIP() << "needs xwd (x11-apps) and convert (imagemagick)";
    }
    const std::filesystem::path shots = TRAMELO_SCREENSHOT_DIR;
    std::filesystem::create_directories(shots);
    const wxImage picture = LoadPicture().ConvertToImage();

    auto* frame = new CMainFrame;
    ASSERT_TRUE(frame->CreateMainWindow(L"Pelvare"));
    EXPECT_EQ(Utf8(frame->GetTitle()), "Pelvare");
    frame->Show();
    ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }, 2000));
    WaitFor([] { return false; }, 300);  // let the X server draw

    EXPECT_EQ(frame->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(frame->GetSize(), wxSize(600, 480));
    const wxRect client(frame->ClientToScreen(wxPoint(0, 0)), frame->GetClientSize());
    const wxImage before = Screenshot((shots / "main-window.png").string());
    ASSERT_TRUE(before.IsOk());
    EXPECT_EQ(wxColour(before.GetRed(client.x, client.y), before.GetGreen(client.x, client.y),
                       before.GetBlue(client.x, client.y)),
              kGround);
    EXPECT_TRUE(ShowsPictureAt(before, client, picture,
                               wxPoint((client.width - 378) / 2, (client.height - 400) / 2)));

    frame->SetClientSize(300, 450);
    WaitFor([&] { return frame->GetClientSize() == wxSize(300, 450); }, 2000);
    WaitFor([] { return false; }, 300);
    const wxImage after = Screenshot((shots / "main-window-300x450.png").string());
    ASSERT_TRUE(after.IsOk());
    EXPECT_TRUE(ShowsPictureAt(after, wxRect(frame->ClientToScreen(wxPoint(0, 0)), wxSize(300, 450)), picture,
                               wxPoint(-39, 25)));
    delete frame;
}

}  // namespace

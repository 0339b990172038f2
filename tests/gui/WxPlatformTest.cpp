#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filename.h>

#include "app/WxPlatform.h"
#include "tests/gui/GuiTesting.h"
#include "workspace/Message.h"

namespace {

using tramelo::Message;
using tramelo::MessageKind;

TEST(WxPlatformTest, CodePage1252TextsReadAsWritten) {
    struct Case {
        std::string bytes;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {"gi\xE0", L"già"},
        {"entit\xE0", L"entità"},
        {"Criticit\xE0", L"Criticità"},
        {"Non \xE8 possibile", L"Non è possibile"},
        // Where code page 1252 and Latin-1 differ.
        {"\x80", L"\u20AC"},
        {"l\x92"
         "entit\xE0\x85",
         L"l\u2019entità\u2026"},
        // An unassigned byte must not blank out the rest of a name.
        {"Via \x81"
         "Roma",
         L"Via \uFFFDRoma"},
        {"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8(Cp1252Text(c.bytes)), Utf8(c.shown)) << c.bytes;
    }
}

TEST(WxPlatformTest, EachPieceOfAMessageIsShownInItsOwnEncoding) {
    const std::string path = "/dati/citt\xC3\xA0/RT_NODI.SHP";  // UTF-8, as the file system has it
    const Message message =
        Message(MessageKind::Warning).text("Impossibile creare\n\n").path(path).text(" gi\xE0");
    EXPECT_EQ(Utf8(MessageText(message)), Utf8(L"Impossibile creare\n\n/dati/città/RT_NODI.SHP già"));
    EXPECT_EQ(CorePath(PathText(path)), path);
}

TEST(WxPlatformTest, BoxesCarryTheIconOfTheirKindAndTheProgramName) {
    // The caption is the program file's name without its extension: here the test program's.
    EXPECT_EQ(Utf8(wxTheApp->GetAppName()), Utf8(wxFileName(wxTheApp->argv[0]).GetName()));
    WxPlatform platform;
    wxTEST_DIALOG(
        platform.showMessage(Message(MessageKind::Error).text("l'entit\xE0 \"3\" non \xE8 di tipo puntuale"));
        platform.showMessage(Message(MessageKind::Warning).text("Impossibile creare\n\n").path("/x"));
        platform.showMessage(
            Message(MessageKind::Information).text("Sono state esportate ").number(12).text(" fermate")),
        ExpectMessage(L"l'entità \"3\" non è di tipo puntuale", wxICON_ERROR),
        ExpectMessage(L"Impossibile creare\n\n/x", wxICON_WARNING),
        ExpectMessage(L"Sono state esportate 12 fermate", wxICON_INFORMATION));
}

}  // namespace

#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filename.h>

#include "app/WxPlatform.h"
#include "tests/gui/GuiTesting.h"
#include "workspace/Message.h"

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

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

#ifdef __WXGTK__
// GTK 3 shows a message box without the icon of its kind unless the program puts it in, and
// the icon comes from a theme that the machine must have.
TEST(WxPlatformTest, GtkMessageBoxesShowTheIconOfTheirKind) {
    ShowIconsInMessageBoxes();
    const std::pair<GtkMessageType, const char*> kinds[] = {
        {GTK_MESSAGE_ERROR, "dialog-error"},
        {GTK_MESSAGE_WARNING, "dialog-warning"},
        {GTK_MESSAGE_INFO, "dialog-information"},
    };
    for (const auto& [type, icon] : kinds) {
        GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "x");
        gtk_widget_show(box);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        GtkWidget* image = gtk_message_dialog_get_image(GTK_MESSAGE_DIALOG(box));
        G_GNUC_END_IGNORE_DEPRECATIONS
        ASSERT_TRUE(image != nullptr && GTK_IS_IMAGE(image)) << icon;
        const char* name = nullptr;
        gtk_image_get_icon_name(GTK_IMAGE(image), &name, nullptr);
        EXPECT_STREQ(name, icon);
        EXPECT_TRUE(gtk_widget_get_visible(image)) << icon;
        EXPECT_TRUE(gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), icon))
            << icon << ": no icon theme has it";
        gtk_widget_destroy(box);
    }
}
#endif

}  // namespace

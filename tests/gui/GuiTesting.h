#pragma once

// Driving the program's dialogs from GoogleTest: wx's modal-dialog hooks with failures
// reported to GoogleTest, expectations for message boxes and file pickers, and synchronous
// stand-ins for the user's clicks and keys.
//
// Every picker and message box shown inside wxTEST_DIALOG(code, expectations...) must match
// the next expectation; a dialog that was expected but not shown, or shown but not expected,
// is a test failure, and an unexpected one is cancelled rather than shown, so a broken test
// cannot wait for a user who is not there.

#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook

#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

class GTestModalHook : public wxTestingModalHook {
public:
    GTestModalHook(const char* file, int line, const char* function)
        : wxTestingModalHook(file, line, function), file_(file), line_(line) {}

protected:
    int Enter(wxDialog* dialog) override {
        const int result = wxTestingModalHook::Enter(dialog);
        return result == wxID_NONE ? wxID_CANCEL : result;
    }
    void ReportFailure(const wxString& message) override {
        ADD_FAILURE_AT(file_, line_) << message.utf8_string();
    }

private:
    const char* file_;
    int line_;
};

// Runs the event loop until condition() holds or milliseconds have passed; returns
// condition().
bool WaitFor(const std::function<bool()>& condition, int milliseconds);

// A message box with exactly this text (UTF-8 in the test source) and icon, one OK button
// and the program's name as caption. check, when given, runs while the box is up.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
public:
    ExpectMessage(const wxString& text, long icon, std::function<void()> check = {})
        : text_(text), icon_(icon), check_(std::move(check)) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    wxString text_;
    long icon_;
    std::function<void()> check_;
};

// A question with "Sì" and "No" (No the default), the warning icon and the program's name as
// caption, whose text starts with textStart; answered yes or no.
class ExpectQuestion : public wxExpectModalBase<wxMessageDialog, ExpectQuestion> {
public:
    ExpectQuestion(const wxString& textStart, bool yes) : textStart_(textStart), yes_(yes) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    wxString textStart_;
    bool yes_;
};

// A file picker with this title and these style flags. It answers answer, or is cancelled
// when answer is empty. then, when given, runs after the answer is in place and before the
// program reads it.
class ExpectPicker : public wxExpectModalBase<wxFileDialog, ExpectPicker> {
public:
    ExpectPicker(const wxString& title, long style, const wxString& initialName, const wxString& answer,
                 std::function<void()> then = {})
        : title_(title), style_(style), initialName_(initialName), answer_(answer), then_(std::move(then)) {}

protected:
    int OnInvoked(wxFileDialog* picker) const override;

private:
    wxString title_;
    long style_;
    wxString initialName_;
    wxString answer_;
    std::function<void()> then_;
};

// The stops and routes pickers, and the output picker, as the program must show them; shown
// again, a picker holds the name the user typed before.
ExpectPicker StopsPicker(const wxString& answer, const wxString& initialName = L"RT_NODI");
ExpectPicker RoutesPicker(const wxString& answer);
ExpectPicker OutputPicker(const wxString& answer, std::function<void()> then = {},
                          const wxString& initialName = L"RT_NODI");

// What the user does, delivered synchronously: a click on the button with this id, the Esc
// key, the close box.
void Click(wxWindow& dialog, int id);
void PressEscape(wxDialog& dialog);
void PressCloseBox(wxDialog& dialog);

// Runs dialog modally with script queued to run inside its modal loop. A dialog still open
// after the script is ended with kLeftOpen; one that hangs is ended by a watchdog, which
// fails the test.
constexpr int kLeftOpen = wxID_HIGHEST + 100;
int RunModal(wxDialog& dialog, std::function<void()> script);

// The path of a wxString as UTF-8, for messages and comparisons.
std::string Utf8(const wxString& text);

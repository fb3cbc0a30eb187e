#pragma once

#include "foundation/LumivexApi.h"

// The one way the host talks to the player through a message box. Texts are
// in the game's text code page. Tests intercept every box here: in-process
// through intercept(), and for a whole process through the environment
// variable LUMIVEX_MESSAGE_LOG (each box is appended to that file as a UTF-8
// line "caption<TAB>text<TAB>style" and answered with its first button, or
// Cancel for a Retry/Cancel box, or with the number in
// LUMIVEX_MESSAGE_ANSWER).
//
// Dialogs pass the same seam once their window exists (see answerDialog):
// an interceptor sees them with dialogTemplate set and may fill in their
// controls before it answers.
class LUMIVEX_API UxMessageBox {
public:
    // The Windows MB_* values, so callers need no Windows header.
    enum Style : unsigned {
        kOk = 0x0,
        kOkCancel = 0x1,
        kAbortRetryIgnore = 0x2,
        kYesNoCancel = 0x3,
        kYesNo = 0x4,
        kRetryCancel = 0x5,
        kIconStop = 0x10,
        kIconQuestion = 0x20,
        kIconExclamation = 0x30,
        kIconInformation = 0x40,
        kTaskModal = 0x2000,
        kSetForeground = 0x10000,
        kTopMost = 0x40000,
    };
    // The Windows ID* answers.
    enum Answer : int { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7 };

    struct Request {
        // For a dialog: the dialog window itself.
        FCWindowHandle owner;
        const char* text;
        const char* caption;
        unsigned style;
        // The dialog's template number; 0 for a message box.
        int dialogTemplate = 0;
    };
    using Interceptor = int (*)(const Request& request, void* context);

    static int show(FCWindowHandle owner, const char* text, const char* caption, unsigned style);

    // Installs (or, with null, removes) the process-wide interceptor; returns
    // the previous one through the out-parameters when they are given.
    static void intercept(
        Interceptor interceptor, void* context, Interceptor* previous = nullptr, void** previousContext = nullptr);

    // Asks the seam for the answer to a dialog that has just been made: the
    // interceptor's answer, or under LUMIVEX_MESSAGE_LOG a logged line
    // "dialog<TAB>caption<TAB>template" answered with Cancel (or with
    // LUMIVEX_DIALOG_ANSWER); 0 when the player is to answer.
    static int answerDialog(FCWindowHandle dialog, int dialogTemplate, const char* caption);

    // The answer of the first button of a style (OK, Abort, Yes or Retry).
    static int firstButton(unsigned style);

    static void pause(unsigned milliseconds);

private:
    // Shows the box for real; the platform's own file provides it.
    static int showOnScreen(const Request& request);
    // The whole-process answer to a dialog; 0 when there is none.
    static int answerDialogForProcess(const Request& request);
};

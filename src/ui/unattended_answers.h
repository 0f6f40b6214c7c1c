// How a box is answered when nobody is at the PC (TELMORA_SETUP_UNATTENDED=1):
// the one table of every message box and dialog with its unattended answer,
// and the reason where that answer is not the one the box proposes.
//
// No box is shown. A box takes what a person pressing Enter would choose (a
// message box the default button of the style it was given, a dialog its
// default button with the text or choice it offers) unless its row says
// otherwise. Where the proposed answer would bring the same question back,
// the asking loop stops instead (GiveUpRepeatedQuestion).
#pragma once

#include <windows.h>

// What an unattended run answers.
enum UnattendedRule : int {
    kTakeProposal,         // what a person pressing Enter would choose
    kChooseNo,             // a message box: No instead of the proposed Yes
    kChooseExit,           // the reboot box: Exit instead of the proposed Reboot
    kChooseQuitAfterWork,  // the function box: Quit once a workflow has run
};

struct UnattendedAnswer {
    const char* templatePrefix;  // dialogs: the templates whose upper-case name starts so
    UINT textId;                 // message boxes: the string the text ends with; 0 any other
    UnattendedRule rule;
    const char* answer;          // the answer, in words
    const char* why;             // why it is not the proposal; null where it is
};

// 1 in a run under TELMORA_SETUP_UNATTENDED=1.
int IsUnattendedRun();

// The row of dialog template `name` (mixed or upper case).
const UnattendedAnswer& DialogAnswerRow(const char* name);

// The row of a message box showing `text`.
const UnattendedAnswer& MessageBoxAnswerRow(const char* text);

// The button a message box of `style` proposes: its MB_DEFBUTTONn among the
// buttons of its MB_TYPE (IDOK, IDYES...).
int ProposedButton(UINT style);

// In an unattended run, called where the answer just given would bring the
// same question back (the areas' test failed again, a directory check or a
// device name refused): notes the run as failed, naming the last box, and
// returns 1, so the caller stops instead of asking again. 0 otherwise.
int GiveUpRepeatedQuestion();

// The action log's "box" lines: every message box and dialog with its whole
// text and the answer, a person's or the unattended run's; and the text of
// the last box, which names the question an unattended run gave up on.
#pragma once

#include <windows.h>

#include "ui/unattended_answers.h"

enum : int {
    kAnswerWordsSize = 300,  // an offer or an answer in words
};

// A message box: caption, text, its buttons and the proposed one, the answer
// (an IDOK... value; 0 when no box could be shown). `row` is the unattended
// answer's row, null when a person answered.
void LogMessageBox(const char* text, const char* caption, UINT style, int answer, const UnattendedAnswer* row);

// A dialog: its template's title and lines, what it offered and the answer,
// both in words; `row` as above.
void LogDialog(const char* name, const char* offer, const char* answer, const UnattendedAnswer* row);

// The line of an unattended run that stops instead of asking again.
void LogGiveUp(const char* reason);

// The last box's text (a message box's text, a dialog's template words),
// "" before the first.
const char* LastBoxText();

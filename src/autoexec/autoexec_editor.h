// AUTOEXEC.BAT editing: the QVTLINIT line that tells the client's DOS side
// where TELMORA.INI is, and the line that starts the DOS spooler QSPOOL.EXE.
// The user is asked first; the file is then changed through the safe rewrite
// (or created), and every line the program does not own keeps its bytes.
// On Windows NT nothing is done.
#pragma once

#include "autoexec/autoexec_lines.h"
#include "common/setup_context.h"

// Called by the installation and configuration workflows with the settings'
// `useTsr` and `programDir`: edits the lines that differ from what the run
// knows the file says. Returns 1, or 0 when the user aborted or the file
// could not be changed (the message has been shown).
int UpdateStartupFile(int useTsr, const char* programDir);

// Edits the lines of `request` (AutoexecRequest bits): the QVTLINIT line is
// set to `initDir` (null: removed), the spooler line to start QSPOOL.EXE
// from `spoolDir` (null: removed). Asks first (not in a quiet uninstall);
// answered No, warns which lines the user must see to and returns 1. After a
// change sets g_setup.rebootNeeded and records the new state in
// g_setup.qvtlinitValue and g_setup.tsrInStartupFile.
int EditAutoexec(int request, const char* initDir, const char* spoolDir);

// The yes/no question for `request`, installation or uninstallation wording
// by g_setup.uninstallMode; `answer` proposes (1 Yes) and receives the answer.
// Returns 0 on Abort.
int AskAutoexecPrompt(int request, int& answer);

// Asks where AUTOEXEC.BAT is, proposing `directory` without its trailing
// backslash; stores the answer upper-cased with a trailing backslash.
// Returns 0 on Abort (`directory` unchanged).
int AskAutoexecDirectory(char (&directory)[kPathFieldSize]);

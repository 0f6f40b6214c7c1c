// Windows version tests; each reads GetVersion() anew.
#pragma once

int IsWindowsNT();
int IsWindows95();
int IsVersion4();
int IsWindowsNT351();

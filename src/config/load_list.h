// The client in the WIN.INI load= line: the matcher that finds its element,
// and the test that reads the line.
#pragma once

// The start of the first element of the comma-separated, upper-cased `list`
// that names the client (TELMORA.EXE, or else TELMORA, at the element's
// start or behind a character that is neither letter nor digit); null when
// no element does. Pure text.
const char* FindClientInLoadList(const char* list);

// Sets `flag` to 1 when WIN.INI [windows] load= holds the client, else 0.
// Returns 1.
int IsClientInLoadList(int* flag);

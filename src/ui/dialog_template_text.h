// The words of a dialog template, read from the resource rather than from a
// dialog: what the action log shows of a dialog that an unattended run
// answers without creating it, and of one a person answers.
#pragma once

#include <cstddef>

enum : int {
    kTemplateWordsSize = 600,  // the title and the six text lines, quoted
};

// `"<title>": "<line 3201>" / "<line 3202>" / ...` of template `name`, as
// RunDialog finds it: in the client language library first, then in the
// program's own resources; the lines up to the last one with text. A
// template that cannot be read gives an empty text.
void ReadTemplateWords(const char* name, char (&words)[kTemplateWordsSize]);

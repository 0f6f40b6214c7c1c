// Whether the client starts with Windows: its element in WIN.INI [windows]
// load=, read with the limit of the line the program edits.
#include "config/load_list.h"

#include <windows.h>

#include "common/bounded_text.h"

namespace {

const int kLoadListSize = 201;

}  // namespace

int IsClientInLoadList(int* flag) {
    char list[kLoadListSize];
    GetProfileStringA("windows", "load", "", list, kLoadListSize);
    list[kLoadListSize - 1] = '\0';
    text::UpperCase(list);
    *flag = FindClientInLoadList(list) != nullptr;
    return 1;
}

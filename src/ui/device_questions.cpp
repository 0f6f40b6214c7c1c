// The questions for the DOS spooler's devices and for the default user name:
// each offers the current value, checks the answer and stores it upper-cased.
// An abort leaves the stored value as it was.
#include <cstring>

#include "common/bounded_text.h"
#include "ui/messages.h"
#include "ui/question_dialogs.h"
#include "ui/resource_ids.h"
#include "ui/unattended_answers.h"

namespace {

const char kDefaultDevice[] = "LPT1";
const char kDeviceNameForbidden[] = ".:\\";

// Asks until the name holds none of '.', ':' and '\'; a refused name is
// offered again for correction (by a person: an unattended run would only
// offer it again, and stops).
int AskDevice(const char* name, char (&device)[kDeviceSize]) {
    char answer[kDeviceSize];
    text::Copy(answer, text::IsEmpty(device) ? kDefaultDevice : device);
    for (;;) {
        if (!AskText(name, answer, answer, kDeviceSize)) return 0;
        if (!std::strpbrk(answer, kDeviceNameForbidden)) break;
        ShowError(IDS_INVALID_DEVICE_NAME);
        if (GiveUpRepeatedQuestion()) return 0;
    }
    text::UpperCase(answer);
    text::Copy(device, answer);
    return 1;
}

}  // namespace

int AskSpoolDevice(char (&device)[kDeviceSize]) { return AskDevice(IDD_STRING_SPOOL_DEVICE, device); }

int AskRedirectDevice(char (&device)[kDeviceSize]) { return AskDevice(IDD_STRING_REDIRECT_DEVICE, device); }

int AskDefaultUser(unsigned short network, char (&user)[kDefaultUserSize]) {
    const char* name = network == kNetworkOther ? IDD_STRING_DEFAULT_USER2 : IDD_STRING_DEFAULT_USER1;
    char answer[kDefaultUserSize];
    if (!AskText(name, user, answer, kDefaultUserSize)) return 0;
    text::UpperCase(answer);
    text::Copy(user, answer);
    return 1;
}

// The uninstallation workflow.
#include "workflow/workflows.h"

// Not built yet: the uninstallation arrives with the uninstall work.
int UninstallClient() { return 1; }

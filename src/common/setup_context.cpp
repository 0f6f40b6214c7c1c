// The one global run record; zero-initialised before the program starts.
#include "common/setup_context.h"

SetupContext g_setup;

#pragma once

// The command-line tests still include the home from here; it is support/TestHome.h now.
#include "support/TestHome.h"

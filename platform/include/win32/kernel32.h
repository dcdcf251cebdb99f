// Kernel values the suite uses.
#pragma once

#include "types.h"

#pragma once

// The installed program lives with the other child-process helpers.
#include "support/installed_process.h"

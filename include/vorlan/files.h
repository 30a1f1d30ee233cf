// Filled in by its subsystem.
#pragma once

#include <vorlan/rt_string.h>

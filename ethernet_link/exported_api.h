// The public header seen with default visibility: the library is built with
// hidden visibility, and only the four functions declared there are exported
// (the version script ZUV_ETHERNET.map lists the same four).
#pragma once

#pragma GCC visibility push(default)
#include "ZUV_ETHERNET.h"
#pragma GCC visibility pop

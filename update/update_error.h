#pragma once

#include "core/cpstring.h"

// The reason the last update step failed; the driver shows it. One text for
// the whole process, empty at start.
cpString& UpdateErrorText();

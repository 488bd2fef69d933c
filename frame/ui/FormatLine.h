#pragma once
// The panels' name for the frame core's printf-style formatting, which
// lives in the core so that the notification handlers reach it too.

#include "frame/core/FormatLine.h"

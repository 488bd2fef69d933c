#pragma once
// The frame's name for the platform's bounded byte reader: every body that
// came from the server, the lobby or a file is read through it (see
// platform/Bytes.h for its rules).

#include "platform/Bytes.h"

namespace frame {

using WireReader = platform::ByteReader;
using platform::LoadLe32;
using platform::StoreLe32;
using platform::WrapAdd;

} // namespace frame

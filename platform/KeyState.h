#pragma once
// Whether modifier keys are held now, as the keyboard last reported them.

namespace platform {

bool IsControlDown();

} // namespace platform

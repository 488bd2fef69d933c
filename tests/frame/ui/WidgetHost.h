#pragma once
// The headless host window for the frame's widgets: the control tests'
// host, with real mouse and key messages injected at the window and an
// owner that records what the widgets deliver.

#include "tests/engine/controls/widgets/OwnerHost.h"

namespace frameuitest {

using objectstest::Recorder;
class WidgetHost : public objectstest::OwnerHost {};

} // namespace frameuitest

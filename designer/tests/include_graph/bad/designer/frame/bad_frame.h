#pragma once
// The frame uses the navigator, and the navigator the frame: a cycle the check must refuse.
#include "designer/navigator/navigator_view.h"

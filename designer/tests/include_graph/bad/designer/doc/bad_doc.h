#pragma once
// A document header that reaches up into the frame: what the check must refuse.
#include "designer/frame/main_frame.h"

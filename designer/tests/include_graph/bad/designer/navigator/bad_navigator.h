#pragma once
#include "designer/frame/navigator_bar.h"
#include "designer/doc/quillmark_doc.h"

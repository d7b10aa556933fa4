#include "designer/frame/menu_bitmaps.h"

#include <QPainter>

#include "controls/resources/module_resources.h"
#include "designer/frame/command_icons.h"

namespace quillmark {

QImage ProgramBitmap(int id) {
    for (unsigned toolbarId : kMenuToolbars) {
        zor::ToolbarResource toolbar;
        if (!zor::FindToolbarResource(int(toolbarId), toolbar) || toolbar.bitmapId != id) continue;
        int buttons = 0;
        for (uint16_t command : toolbar.commands) buttons += command != 0;
        QImage strip(toolbar.imageWidth * std::max(buttons, 1), toolbar.imageHeight, QImage::Format_RGB32);
        strip.fill(QColor(0xC0, 0xC0, 0xC0));
        QPainter painter(&strip);
        int x = 0;
        for (uint16_t command : toolbar.commands) {
            if (command == 0) continue;
            painter.drawPixmap(x, 0, CommandIcon(command).pixmap(toolbar.imageWidth, toolbar.imageHeight));
            x += toolbar.imageWidth;
        }
        return strip;
    }
    return {};
}

void RegisterProgramBitmaps() { zor::SetBitmapLoader(zor::ResourceModule::Program, &ProgramBitmap); }

}  // namespace quillmark

// The small program of the real-window menu test: a main window with the menu bar of menu 930 and the
// icons of toolbars 910 and 920, drawn by the menu. Each chosen command is written to stdout as
// "command N"; 32877 switches the look and 57665 ends the program. Once shown it writes where the bar's
// titles are ("title i x y width height") and "ready".
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include <cstdio>

#include "controls/menu/zor_menu.h"
#include "controls/resources/module_resources.h"
#include "controls/tests/menu_test_bitmaps.h"
#include "testkit/test_look.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);
    zor::SetBitmapLoader(zor::ResourceModule::Program, &menu_test::TestBitmap);
    CzorMenu::LoadXpMode();

    QMainWindow frame;
    frame.setWindowTitle("Меню: тест");
    frame.setGeometry(0, 0, 480, 360);
    CzorMenu menu;
    const UINT toolbars[] = {910, 920};
    if (!menu.LoadMenu(930) || !menu.LoadToolbars(toolbars, 2)) {
        std::fprintf(stderr, "the menu could not be loaded\n");
        return 2;
    }
    CzorMenu* view = menu.GetSubCzorMenu("&View");
    auto showLook = [view] { view->CheckMenuItem(32877, CzorMenu::GetMenuDrawMode() ? MF_CHECKED : MF_UNCHECKED); };
    showLook();
    menu.AttachToFrame(&frame, [&](UINT command) {
        std::printf("command %u\n", command);
        std::fflush(stdout);
        if (command == 32877) {
            CzorMenu::SetMenuDrawMode(CzorMenu::GetMenuDrawMode() <= 0 ? 1 : 0);
            showLook();
        }
        if (command == 57665) app.quit();
    });
    menu.Install(&frame);
    frame.show();
    // Where the bar's titles are on the screen, for the test to click them.
    QTimer::singleShot(300, &frame, [&frame] {
        QMenuBar* bar = frame.menuBar();
        for (int i = 0; i < bar->actions().size(); ++i) {
            const QRect r = bar->actionGeometry(bar->actions()[i]);
            const QPoint at = bar->mapToGlobal(r.topLeft());
            std::printf("title %d %d %d %d %d\n", i, at.x(), at.y(), r.width(), r.height());
        }
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}

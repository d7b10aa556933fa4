// The small program of the text controls' real-window test: one gallery window with labels turned by
// each right angle and one written downwards, a label with a flashing background, rich text with raised,
// lowered and bulleted lines, and a masked edit. Once shown it writes where its parts are on the screen
// ("<part> x y width height") and "ready". F5 moves the flashing label to its next phase ("flash on" or
// "flash off"); F6 writes the masked edit's text and data ("mask <text>|<data>").
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <string>

#include "controls/text/masked_edit.h"
#include "controls/text/rich_edit.h"
#include "controls/text/static_label.h"
#include "testkit/test_look.h"

namespace {

void Report(const char* part, const QWidget* w, QRect r = {}) {
    if (r.isNull()) r = w->rect();
    const QPoint at = w->mapToGlobal(r.topLeft());
    std::printf("%s %d %d %d %d\n", part, at.x(), at.y(), r.width(), r.height());
    std::fflush(stdout);
}

CzorStatic* Label(QWidget* parent, const char* text, QRect place) {
    auto* label = new CzorStatic(parent);
    label->SetText(text).SetTextColor(RGB(0, 0, 160)).SetBkColor(RGB(255, 255, 255)).SetFontSize(-20).SetFontBold(1);
    label->SetAlignment(zor::AlignCenter | zor::AlignVCenter);
    label->setGeometry(place);
    return label;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quillmark_test::ApplyTestLook(app);

    QWidget window;
    window.setWindowTitle("Галерея текста");
    window.setGeometry(0, 0, 900, 560);

    // Square labels, so that only the turn decides whether the ink is wide or tall.
    const unsigned angles[] = {0, 90, 180, 270};
    CzorStatic* turned[4];
    for (int i = 0; i < 4; ++i) turned[i] = Label(&window, "Turned", QRect(10 + i * 170, 10, 160, 160));
    for (int i = 0; i < 4; ++i) turned[i]->SetAngle(angles[i]);
    CzorStatic* vertical = Label(&window, "Down", QRect(690, 10, 160, 160));
    vertical->SetVerticalText(1);

    CzorStatic* flashing = Label(&window, "Flash", QRect(10, 190, 200, 60));
    flashing->SetBkColor(RGB(0, 160, 0));

    auto* rich = new CzorRichEditCtrl(&window);
    rich->setGeometry(230, 190, 400, 200);
    QFont font = rich->font();
    font.setPointSize(16);
    rich->setFont(font);
    rich->setPlainText("Raised line\nLowered line\nBulleted line");
    QTextCursor lines(rich->document());
    auto selectLine = [&](int n) {
        const QTextBlock block = rich->document()->findBlockByNumber(n);
        lines.setPosition(block.position());
        lines.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        rich->setTextCursor(lines);
    };
    selectLine(0);
    rich->SetSuperscribe();
    selectLine(1);
    rich->SetSubscribe();
    selectLine(2);
    rich->SetParagraphBulleted();
    rich->moveCursor(QTextCursor::End);

    auto* mask = new CzorMaskedEdit(&window);
    mask->setGeometry(10, 420, 200, 30);
    mask->Init("[0-9][0-9].[0-9][0-9]", "");
    mask->SetPromptChar("_");
    mask->SetData("");

    QShortcut flash(QKeySequence(Qt::Key_F5), &window);
    flash.setContext(Qt::ApplicationShortcut);
    QObject::connect(&flash, &QShortcut::activated, &window, [flashing] {
        flashing->OnBackFlashTick();
        std::printf("flash %s\n", flashing->BackFlashOff() ? "off" : "on");
        std::fflush(stdout);
    });
    QShortcut data(QKeySequence(Qt::Key_F6), &window);
    data.setContext(Qt::ApplicationShortcut);
    QObject::connect(&data, &QShortcut::activated, &window, [mask] {
        std::printf("mask %s|%s\n", mask->text().toStdString().c_str(), mask->GetData().c_str());
        std::fflush(stdout);
    });

    window.show();
    QTimer::singleShot(300, &app, [&] {
        const char* names[] = {"angle0", "angle90", "angle180", "angle270"};
        for (int i = 0; i < 4; ++i) Report(names[i], turned[i]);
        Report("vertical", vertical);
        Report("flashing", flashing);
        const char* lineNames[] = {"raised", "lowered", "bulleted"};
        for (int n = 0; n < 3; ++n) {
            const QTextBlock block = rich->document()->findBlockByNumber(n);
            const QRectF box = rich->document()->documentLayout()->blockBoundingRect(block);
            Report(lineNames[n], rich->viewport(), box.toRect().adjusted(0, 0, -1, -1));
        }
        // Where the bulleted line's text begins: its bullet stands left of that.
        QTextCursor start(rich->document()->findBlockByNumber(2));
        Report("bullettext", rich->viewport(), rich->cursorRect(start));
        Report("mask", mask);
        mask->setFocus();
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}

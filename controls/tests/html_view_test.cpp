// The HTML pane offscreen: "app:" links dispatched to the host's commands, the contents set,
// appended and read back, and the pane put where a placeholder stood.
#include <string>
#include <vector>

#include <QLabel>
#include <QPrinter>

#include "controls/html/html_view.h"
#include "controls/tests/gui_fixture.h"
#include "platform/base/file_io.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"

namespace {

TEST(HtmlViewRules, AppCommandOfTargets) {
    struct Case { std::string target; bool app; std::string command; };
    const Case cases[] = {
        {"app:Beep", true, "Beep"},   {"APP:Beep", true, "Beep"}, {"aPp:Minimise", true, "Minimise"},
        {"app:", true, ""},           {"app", false, ""},         {"http://app:Beep", false, ""},
        {"application:x", false, ""}, {"", false, ""},
    };
    for (const auto& c : cases) {
        std::string command;
        EXPECT_EQ(zor::AppCommandOf(c.target, &command), c.app) << c.target;
        if (c.app) {
            EXPECT_EQ(command, c.command) << c.target;
        }
    }
}

class HtmlViewTest : public GuiFixture {
protected:
    HtmlViewTest() {
        view.SetBeep([this] { heard.push_back("beep"); });
        view.SetMinimise([this] { heard.push_back("minimise"); });
    }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CzorHtmlView view;
    std::vector<std::string> heard;
};

TEST_F(HtmlViewTest, AppLinksDispatchCommandNamesExactly) {
    struct Case { const char* target; std::vector<std::string> heard; std::vector<std::string> boxes; };
    const Case cases[] = {
        {"APP:Beep", {"beep"}, {}},
        {"app:Minimise", {"minimise"}, {}},
        {"app:beep", {}, {"beep"}},  // the prefix ignores case, the command does not
        {"app:Open file", {}, {"Open file"}},
    };
    for (const auto& c : cases) {
        heard.clear();
        sink.Clear();
        view.Navigate(c.target);
        EXPECT_EQ(heard, c.heard) << c.target;
        EXPECT_EQ(sink.Texts(), c.boxes) << c.target;
        for (const auto& m : sink.Messages()) {
            EXPECT_EQ(m.caption, "Unexpected Command");
            EXPECT_EQ(m.type & MB_ICONMASK, unsigned(MB_ICONQUESTION));
        }
    }
    // A click on a link of the page takes the same road.
    heard.clear();
    emit view.anchorClicked(QUrl("APP:Beep"));
    EXPECT_EQ(heard, (std::vector<std::string>{"beep"}));
}

TEST_F(HtmlViewTest, ContentsSetAppendedAndReadBack) {
    std::string html;
    EXPECT_EQ(view.SetContents(nullptr), 0);
    EXPECT_EQ(view.AppendContents(nullptr), 0);
    const std::string first = "<p><b>Жирный</b> текст &amp; <a href=\"app:Beep\">ссылка</a></p>";
    EXPECT_EQ(view.SetContents(first.c_str()), 1);
    EXPECT_EQ(view.GetContents(html), 1);
    EXPECT_EQ(html, first);
    EXPECT_EQ(view.SetContents(""), 1);  // nothing changes
    EXPECT_EQ(view.AppendContents(""), 1);
    view.GetContents(html);
    EXPECT_EQ(html, first);
    EXPECT_EQ(view.AppendContents("<p>ещё</p>"), 1);
    view.GetContents(html);
    EXPECT_EQ(html, first + "<p>ещё</p>");
    EXPECT_TRUE(view.toPlainText().contains(QString::fromUtf8("ещё")));

    // Edited by the user: the body of Qt's own HTML comes back, with the edit in it.
    EXPECT_EQ(view.SetEditMode(true), 1);
    EXPECT_FALSE(view.isReadOnly());
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText("Новое");
    view.GetContents(html);
    EXPECT_NE(html.find("Новое"), std::string::npos);
    EXPECT_EQ(html.find("<body"), std::string::npos);
    EXPECT_EQ(view.SetEditMode(false), 1);
    EXPECT_TRUE(view.isReadOnly());
}

TEST_F(HtmlViewTest, CreateFromStaticTakesThePlaceholdersPlace) {
    QWidget dialog;
    auto* placeholder = new QLabel(&dialog);
    placeholder->setObjectName("1055");
    placeholder->setGeometry(10, 20, 200, 100);
    EXPECT_EQ(view.CreateFromStatic(1066, &dialog), 0);
    ASSERT_EQ(view.CreateFromStatic(1055, &dialog), 1);
    EXPECT_EQ(view.parentWidget(), &dialog);
    EXPECT_EQ(view.geometry(), QRect(10, 20, 200, 100));
    EXPECT_EQ(view.objectName(), "1055");
    EXPECT_EQ(dialog.findChildren<QLabel*>().size(), 0);
    view.setParent(nullptr);  // the host owns the pane
}

TEST(HtmlViewRules, BodyOfQtHtml) {
    EXPECT_EQ(zor::HtmlBodyOf("<html><body style=\"x\">\n<p>a</p></body></html>"), "\n<p>a</p>");
    EXPECT_EQ(zor::HtmlBodyOf("<p>plain</p>"), "<p>plain</p>");
    EXPECT_EQ(zor::HtmlBodyOf("<body>open"), "open");
}

TEST_F(HtmlViewTest, PrintsThroughQtsPrintSupport) {
    zor::test::ScopedTempDir dir;
    const std::string pdf = dir / "page.pdf";
    view.SetContents("<h1>Отчёт</h1><p>страница</p>");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    EXPECT_EQ(view.PrintOn(printer), 1);
    std::string bytes;
    ASSERT_TRUE(zor::ReadWholeFile(pdf, bytes));
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
}

// Print asks first: a cancelled dialog prints nothing and is not reported as printed.
TEST_F(HtmlViewTest, PrintReportsACancelledDialog) {
    zor::test::ScopedTempDir dir;
    const std::string pdf = dir / "asked.pdf";
    view.SetContents("<p>страница</p>");
    for (const bool accept : {false, true}) {
        int asked = 0;
        view.SetPrinterChooser([&](QPrinter& printer) {
            ++asked;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            return accept;
        });
        EXPECT_EQ(view.Print(), accept ? 1 : 0);
        EXPECT_EQ(asked, 1);
        std::string bytes;
        EXPECT_EQ(zor::ReadWholeFile(pdf, bytes), accept) << accept;
    }
}

}  // namespace

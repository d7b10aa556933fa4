#include "controls/html/html_view.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include "platform/ui/messages.h"

namespace zor {

bool AppCommandOf(const std::string& target, std::string* command) {
    if (target.size() < 4) return false;
    for (int i = 0; i < 4; ++i) {
        const char c = target[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != "app:"[i]) return false;
    }
    if (command) *command = target.substr(4);
    return true;
}

std::string HtmlBodyOf(const std::string& html) {
    const auto open = html.find("<body");
    if (open == std::string::npos) return html;
    const auto start = html.find('>', open);
    if (start == std::string::npos) return html;
    const auto end = html.rfind("</body>");
    if (end == std::string::npos || end < start) return html.substr(start + 1);
    return html.substr(start + 1, end - start - 1);
}

}  // namespace zor

CzorHtmlView::CzorHtmlView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { Navigate(url.toString()); });
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_setting) m_edited = true;
    });
    m_beep = [] { QApplication::beep(); };
    m_minimise = [this] {
        if (QWidget* main = QApplication::activeWindow() ? QApplication::activeWindow() : window()) main->showMinimized();
    };
    m_choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
}

CzorHtmlView::~CzorHtmlView() = default;

int CzorHtmlView::CreateFromStatic(unsigned id, QWidget* parent) {
    if (!parent) return 0;
    QWidget* placeholder = parent->findChild<QWidget*>(QString::number(id));
    if (!placeholder || placeholder == this) return 0;
    const QRect place = placeholder->geometry();
    QWidget* holder = placeholder->parentWidget();
    delete placeholder;
    setParent(holder);
    setGeometry(place);
    setObjectName(QString::number(id));
    show();
    return 1;
}

int CzorHtmlView::SetContents(const char* html) {
    if (!html) return 0;
    if (!*html) return 1;
    m_setting = true;
    setHtml(QString::fromUtf8(html));
    m_setting = false;
    m_markup = html;
    m_edited = false;
    return 1;
}

int CzorHtmlView::AppendContents(const char* html) {
    if (!html) return 0;
    if (!*html) return 1;
    std::string now;
    GetContents(now);
    return SetContents((now + html).c_str());
}

int CzorHtmlView::GetContents(std::string& html) const {
    html = m_edited ? zor::HtmlBodyOf(toHtml().toStdString()) : m_markup;
    return 1;
}

int CzorHtmlView::SetEditMode(bool on) {
    setReadOnly(!on);
    setTextInteractionFlags(on ? Qt::TextEditorInteraction : Qt::TextBrowserInteraction);
    return 1;
}

int CzorHtmlView::Print() {
    QPrinter printer;
    // A cancelled dialog printed nothing, and the host must not hear that it did.
    if (!m_choosePrinter(printer)) return 0;
    return PrintOn(printer);
}

int CzorHtmlView::PrintOn(QPrinter& printer) {
    document()->print(&printer);
    return 1;
}

void CzorHtmlView::Navigate(const QString& target) {
    std::string command;
    if (zor::AppCommandOf(target.toStdString(), &command)) {
        OnAppCmd(command.c_str());
        return;
    }
    setSource(QUrl(target));
}

void CzorHtmlView::OnAppCmd(const char* command) {
    const std::string cmd = command ? command : "";
    if (cmd == "Minimise") {
        if (m_minimise) m_minimise();
    } else if (cmd == "Beep") {
        if (m_beep) m_beep();
    } else {
        zorMessageBox(cmd, "Unexpected Command", MB_ICONQUESTION);
    }
}

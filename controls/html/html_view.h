#pragma once
// An HTML pane a dialog puts where a static control stood: its host sets, appends and reads back
// the contents as HTML, switches it into editing and prints it. Links of the "app:" scheme run
// commands of the host instead of navigating.
//
// The pane keeps the markup it was given and returns it unchanged until the user edits; after
// an edit the body of Qt's own rendering of the document comes back.
#include <functional>
#include <string>

#include <QTextBrowser>

class QPrinter;

namespace zor {
// The command of an "app:" link (prefix in any case); false for any other target.
bool AppCommandOf(const std::string& target, std::string* command);
// The text between "<body ...>" and "</body>"; the whole text when it has no body.
std::string HtmlBodyOf(const std::string& html);
}  // namespace zor

class CzorHtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit CzorHtmlView(QWidget* parent = nullptr);
    ~CzorHtmlView() override;

    // Takes the place and number of the child of `parent` named `id`, which goes; 0 without one.
    int CreateFromStatic(unsigned id, QWidget* parent);

    // Null: 0; empty: 1 and nothing changes; else the body becomes `html`.
    int SetContents(const char* html);
    int AppendContents(const char* html);
    int GetContents(std::string& html) const;
    int SetEditMode(bool on);
    // Asks for a printer, then prints the document: 1 when printed, 0 when the user cancelled.
    int Print();
    // Prints on a printer the host set up (a PDF file, say) without asking.
    int PrintOn(QPrinter& printer);

    // Follows a link as a click would: "app:" targets go to OnAppCmd, others are shown.
    void Navigate(const QString& target);
    // "Minimise", "Beep"; anything else is shown as "Unexpected Command".
    virtual void OnAppCmd(const char* command);

    // Tests hear the beep and the minimising here.
    void SetBeep(std::function<void()> beep) { m_beep = std::move(beep); }
    void SetMinimise(std::function<void()> minimise) { m_minimise = std::move(minimise); }
    // The printer dialog, replaceable so tests answer it: true when the user chose to print.
    void SetPrinterChooser(std::function<bool(QPrinter&)> chooser) { m_choosePrinter = std::move(chooser); }

private:
    std::string m_markup;
    bool m_edited = false;
    bool m_setting = false;
    std::function<void()> m_beep, m_minimise;
    std::function<bool(QPrinter&)> m_choosePrinter;
};

#pragma once
// A folder picker: the toolkit's own (non-native) file dialog reshaped so that a "Текущая папка:"
// field, following the browsing, takes the place of the file name, and "Выбрать" confirms the
// typed or browsed folder (creating it on request). Mode 0 lists folders only; another mode lists
// files too, with the file-type choice when a filter is given.
#include <string>

#include <QFileDialog>

class QLabel;
class QLineEdit;

class CzorSelectFolderDialog : public QFileDialog {
    Q_OBJECT
public:
    // `filter`: pairs of description and patterns separated by "|" ("Отчеты (*.zorrep)|*.zorrep||").
    explicit CzorSelectFolderDialog(int mode = 0, const char* initialFolder = nullptr, unsigned flags = 6,
                                    const char* filter = nullptr, QWidget* parent = nullptr);

    void SetTitle(const std::string& title);
    // The confirmed folder, ending in "/"; empty until the user confirms.
    const std::string& GetSelectedPath() const { return m_selected; }
    void SetSelectedPath(const std::string& path) { m_selected = path; }
    unsigned Flags() const { return m_flags; }

    QLineEdit* PathField() const { return m_path; }

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnFolderChange(const QString& folder);

    int m_mode;
    unsigned m_flags;
    std::string m_title = "Выбор папки";
    std::string m_selected;
    QLabel* m_label = nullptr;
    QLineEdit* m_path = nullptr;
};

#include "designer/addins/addin_dialogs.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "controls/dialogs/button.h"
#include "controls/stock_icons.h"
#include "platform/base/file_io.h"
#include "platform/ui/messages.h"
#include "report/dialogs/dialog_controls.h"

namespace quillmark {

bool ChooseQuery(int selected) {
    if (selected >= 0) return true;
    AfxMessageBox("Источник данных не выбран!", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

CQueryChoiceDlg::CQueryChoiceDlg(const std::vector<CAddinQuery>& queries, QWidget* parent) : QDialog(parent) {
    setObjectName("175");
    setWindowTitle(QString::fromUtf8("Выбор источника данных"));
    auto* layout = new QVBoxLayout(this);
    m_pList = new QListWidget(this);
    m_pList->setObjectName("1101");
    for (const CAddinQuery& entry : queries) m_pList->addItem(QString::fromStdString(entry.query.m_Name));
    layout->addWidget(m_pList);
    connect(m_pList, &QListWidget::itemDoubleClicked, this, [this] {
        m_nChosen = m_pList->currentRow();
        accept();
    });
    AddOkCancel(this, layout, [this] {
        const int row = m_pList->currentItem() && m_pList->currentItem()->isSelected() ? m_pList->currentRow() : -1;
        if (!ChooseQuery(row)) return false;
        m_nChosen = row;
        return true;
    });
}

CAddinSettingsLogic::CAddinSettingsLogic(std::string dictionaryDir) : m_DictionaryDir(std::move(dictionaryDir)) {
    // A library that does not load keeps its line: only the user removes it.
    for (const std::string& path : ReadAddinList(m_DictionaryDir)) m_Lines.push_back(MakeLine(path));
}

CAddinSettingsLogic::Line CAddinSettingsLogic::MakeLine(const std::string& path) const {
    Line line;
    line.path = path;
    const CAddinProbe probe = ProbeAddin(AddinModulePath(m_DictionaryDir, path));
    line.loadable = probe.result == CAddinProbe::kLoaded;
    if (!line.loadable)
        line.text = path + " (не загружается)";
    else if (!probe.name.empty())
        line.text = probe.name + " (" + path + ")";
    else
        line.text = path;
    return line;
}

bool CAddinSettingsLogic::Add(const std::string& path) {
    const CAddinProbe probe = ProbeAddin(AddinModulePath(m_DictionaryDir, path));
    if (probe.result == CAddinProbe::kNotLoadable) {
        AfxMessageBox("Не могу прочесть модуль: " + path, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (probe.result == CAddinProbe::kNotAddin) {
        AfxMessageBox("Модуль не является дополнением Quillmark!", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_Lines.push_back(MakeLine(path));
    return true;
}

void CAddinSettingsLogic::Remove(int index) {
    if (index >= 0 && index < static_cast<int>(m_Lines.size())) m_Lines.erase(m_Lines.begin() + index);
}

bool CAddinSettingsLogic::Save() {
    std::string text;
    for (const Line& line : m_Lines) text += line.path + "\n";
    const std::string path = AddinListPath(m_DictionaryDir);
    std::string error;
    if (!zor::WriteFileAtomically(path, text, &error)) {
        AfxMessageBox("Не удалось записать файл " + path + (error.empty() ? "" : ": " + error), MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

CAddinSettingsDlg::CAddinSettingsDlg(const std::string& dictionaryDir, QWidget* parent)
    : QDialog(parent), m_Logic(dictionaryDir) {
    setObjectName("174");
    setWindowTitle(QString::fromUtf8("Настройка дополнений"));
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QString::fromUtf8("Список дополнений"), this);
    auto* inner = new QHBoxLayout(frame);
    m_pList = new QListWidget(frame);
    m_pList->setObjectName("1099");
    inner->addWidget(m_pList);
    auto* side = new QVBoxLayout();
    auto makeButton = [this, side, frame](const char* id, int icon) {
        CzorButton* button = MakeIconButton(frame, id, GetZorTableIco(icon), true);
        side->addWidget(button);
        return button;
    };
    connect(makeButton("1101", 0), &QAbstractButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QString(), QString(), QString::fromUtf8("Файлы дополнений (*.so);;Все файлы (*)"));
        if (!path.isEmpty() && m_Logic.Add(path.toStdString())) FillList();
    });
    connect(makeButton("1100", 5), &QAbstractButton::clicked, this, [this] {
        m_Logic.Remove(m_pList->currentRow());
        FillList();
    });
    side->addStretch();
    inner->addLayout(side);
    layout->addWidget(frame);
    AddOkCancel(this, layout, [this] { return m_Logic.Save(); });
    FillList();
}

void CAddinSettingsDlg::FillList() {
    m_pList->clear();
    for (const auto& line : m_Logic.Lines()) m_pList->addItem(QString::fromStdString(line.text));
}

}  // namespace quillmark

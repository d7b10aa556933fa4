#include "designer/datasource/data_source_dialog.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dialogs/button.h"
#include "controls/stock_icons.h"
#include "designer/addins/addin_dialogs.h"
#include "designer/addins/addins.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/show_dialogs.h"

namespace quillmark {
namespace {

CzorButton* IconButton(QWidget* parent, QBoxLayout* layout, const char* id, const QIcon& icon) {
    CzorButton* button = MakeIconButton(parent, id, icon, true);
    layout->addWidget(button);
    return button;
}

void FillRows(QTreeWidget* list, const std::vector<CDataSourceDlgLogic::Row>& rows) {
    list->clear();
    for (const auto& row : rows)
        new QTreeWidgetItem(list, QStringList{QString::fromStdString(row.first), QString::fromStdString(row.second)});
}

}  // namespace

CCombinedFieldDlg::CCombinedFieldDlg(const CHeader& source, const std::string& name, const std::string& function,
                                     QWidget* parent)
    : QDialog(parent) {
    setObjectName("207");
    setWindowTitle(QString::fromUtf8("Настройка комбинированного поля"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_pName = new QLineEdit(QString::fromStdString(name), this);
    m_pName->setObjectName("1117");
    m_pFunction = new QLineEdit(QString::fromStdString(function), this);
    m_pFunction->setObjectName("1118");
    form->addRow(QString::fromUtf8("Наименование поля:"), m_pName);
    form->addRow(QString::fromUtf8("Функция:"), m_pFunction);
    layout->addLayout(form);
    m_pFields = new QListWidget(this);
    m_pFields->setObjectName("1119");
    for (int i = 0; i < source.GetSize(); ++i) m_pFields->addItem(QString::fromStdString(source.GetColumn(i)->GetName()));
    layout->addWidget(m_pFields);
    connect(m_pFields, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_pFunction->setText(m_pFunction->text() + item->text());
        m_pFunction->setFocus();
    });
    AddOkCancel(this, layout, [] { return true; });
}

std::string CCombinedFieldDlg::Name() const { return m_pName->text().toStdString(); }
std::string CCombinedFieldDlg::Function() const { return m_pFunction->text().toStdString(); }

CDataSourceDlg::CDataSourceDlg(CFolivox* manager, const CAddinManager* addins, QWidget* parent)
    : QDialog(parent), m_Logic(manager), m_pAddins(addins) {
    setObjectName("162");
    setWindowTitle(QString::fromUtf8("Источник данных"));
    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout();

    auto* sourceBox = new QGroupBox(QString::fromUtf8(" Исходные поля"), this);
    auto* sourceLayout = new QVBoxLayout(sourceBox);
    m_pSource = MakeRowList(sourceBox, "1065", {{"Поле", 110}, {"Тип", 80}});
    sourceLayout->addWidget(m_pSource);
    auto* sourceButtons = new QHBoxLayout();
    auto* fromFile = new QPushButton(QString::fromUtf8("Получить данные из файла..."), sourceBox);
    fromFile->setObjectName("1074");
    auto* fromQuery = new QPushButton(QString::fromUtf8("Получить данные из запроса..."), sourceBox);
    fromQuery->setObjectName("1076");
    sourceButtons->addWidget(fromFile);
    sourceButtons->addWidget(fromQuery);
    sourceLayout->addLayout(sourceButtons);
    lists->addWidget(sourceBox);

    auto* middle = new QVBoxLayout();
    middle->addStretch();
    CzorButton* addPath = IconButton(this, middle, "1067", GetZorStdIco16(2));
    CzorButton* removePath = IconButton(this, middle, "1070", GetZorTableIco(5));
    middle->addStretch();
    lists->addLayout(middle);

    auto* extraBox = new QGroupBox(QString::fromUtf8(" Дополнительные поля"), this);
    auto* extraLayout = new QVBoxLayout(extraBox);
    m_pAdditional = MakeRowList(extraBox, "1066", {{"Поле", 100}, {"Атрибут", 150}});
    m_pAdditional->setContextMenuPolicy(Qt::CustomContextMenu);
    extraLayout->addWidget(m_pAdditional);
    auto* extraButtons = new QHBoxLayout();
    CzorButton* add = IconButton(extraBox, extraButtons, "1122", GetZorTableIco(0));
    CzorButton* del = IconButton(extraBox, extraButtons, "1121", GetZorTableIco(5));
    CzorButton* prop = IconButton(extraBox, extraButtons, "1120", GetZorTableIco(42));
    extraButtons->addStretch();
    extraLayout->addLayout(extraButtons);
    lists->addWidget(extraBox);
    layout->addLayout(lists);

    connect(fromFile, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QString(), QString::fromStdString(m_Logic.LastFile()),
                                                          QString::fromUtf8("Файлы csv (*.csv);;Все файлы (*)"));
        if (path.isEmpty()) return;
        m_Logic.LoadFromFile(path.toStdString());
        Redisplay();
    });
    connect(fromQuery, &QPushButton::clicked, this, [this] {
        static const std::vector<CAddinQuery> none;
        const std::vector<CAddinQuery>& queries = m_pAddins ? m_pAddins->Queries() : none;
        CQueryChoiceDlg choice(queries, this);
        if (choice.exec() != QDialog::Accepted || choice.Chosen() < 0) return;
        m_Logic.LoadFromQuery(queries[choice.Chosen()]);
        Redisplay();
    });
    connect(addPath, &QAbstractButton::clicked, this, [this] {
        if (m_Logic.AddPathField(SourceRow(), AskText())) Redisplay();
    });
    connect(removePath, &QAbstractButton::clicked, this, [this] { OnDelete(); });
    connect(add, &QAbstractButton::clicked, this, [this] { OnAdd(); });
    connect(del, &QAbstractButton::clicked, this, [this] { OnDelete(); });
    connect(prop, &QAbstractButton::clicked, this, [this] { OnEdit(); });
    connect(m_pAdditional, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& point) { OnContextMenu(point); });
    AddOkCancel(this, layout, [this] {
        m_bChanged = m_Logic.Apply();
        return true;
    });
    Redisplay();
}

int CDataSourceDlg::exec() { return m_Logic.CanOpen() ? QDialog::exec() : 0; }

void CDataSourceDlg::Redisplay() {
    FillRows(m_pSource, m_Logic.SourceRows());
    FillRows(m_pAdditional, m_Logic.AdditionalRows());
}

int CDataSourceDlg::SourceRow() const {
    QTreeWidgetItem* item = m_pSource->currentItem();
    return item && item->isSelected() ? m_pSource->indexOfTopLevelItem(item) : -1;
}

int CDataSourceDlg::AdditionalRow() const {
    QTreeWidgetItem* item = m_pAdditional->currentItem();
    return item && item->isSelected() ? m_pAdditional->indexOfTopLevelItem(item) : -1;
}

AskTextFn CDataSourceDlg::AskText() {
    return [](const std::string& caption, std::string& text) { return ShowSimplDialog(caption.c_str(), &text, 0); };
}

CombinedFieldFn CDataSourceDlg::AskCombined() {
    return [this](const CHeader& source, std::string& name, std::string& function) {
        CCombinedFieldDlg dialog(source, name, function, this);
        if (dialog.exec() != QDialog::Accepted) return false;
        name = dialog.Name();
        function = dialog.Function();
        return true;
    };
}

void CDataSourceDlg::OnAdd() {
    if (m_Logic.AddCombinedField(AskCombined())) Redisplay();
}

void CDataSourceDlg::OnEdit() {
    if (m_Logic.EditAdditional(AdditionalRow(), AskText(), AskCombined())) Redisplay();
}

void CDataSourceDlg::OnDelete() {
    if (m_Logic.DeleteAdditional(AdditionalRow())) Redisplay();
}

void CDataSourceDlg::OnContextMenu(const QPoint& point) {
    QMenu menu(this);
    menu.setObjectName("COLUMN");
    const bool selected = AdditionalRow() >= 0;
    connect(menu.addAction(GetZorTableIco(0), QString::fromUtf8("Добавить...")), &QAction::triggered, this,
            [this] { OnAdd(); });
    QAction* remove = menu.addAction(GetZorTableIco(5), QString::fromUtf8("Удалить"));
    remove->setEnabled(selected);
    connect(remove, &QAction::triggered, this, [this] { OnDelete(); });
    QAction* properties = menu.addAction(GetZorTableIco(42), QString::fromUtf8("Свойства..."));
    properties->setEnabled(selected);
    connect(properties, &QAction::triggered, this, [this] { OnEdit(); });
    menu.exec(m_pAdditional->viewport()->mapToGlobal(point));
}

}  // namespace quillmark

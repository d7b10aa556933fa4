#include "zorStepData/CzorData_Client/query_edit_view.h"

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>

#include "controls/desktop_opener.h"
#include "controls/stock_icons.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/retry_dialog_view.h"

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPushButton* MakeButton(QWidget* parent, const char* id, const char* text, const QIcon& icon, const QRect& at,
                        const char* tip) {
    auto* b = new QPushButton(icon, QString::fromUtf8(text), parent);
    b->setObjectName(id);
    b->setGeometry(at);
    b->setToolTip(QString::fromUtf8(tip));
    b->setAutoDefault(false);
    return b;
}

const char* const kStartEditingQuestion =
    "При изменении текста запроса вручную Вы не сможете\nвернуться в диалог свойств запроса. Продолжить?\n";

}  // namespace

CDlgQueryEdit::CDlgQueryEdit(zor::net::QueryEditData& data, QWidget* parent)
    : CzorResizableDialog(4014, parent), m_logic(data) {
    setWindowTitle(QString::fromUtf8("Ввод запроса"));
    resize(640, 460);
    // The buttons along the top.
    m_pExecute = MakeButton(this, "7021", "Выполнить", GetZorTableIco(43), {8, 8, 100, 26}, "Выполнить");
    MakeButton(this, "2", "Отмена", GetZorStdIco16(1), {112, 8, 90, 26}, "");
    MakeButton(this, "4024", "О языке запросов...", GetZorStdIco16(4), {206, 8, 150, 26}, "Вывести подсказку");
    MakeButton(this, "4022", "Сохранить в файл", GetZorTableIco(32), {8, 38, 150, 26}, "Сохранить текст запроса в файл");
    m_pLoad = MakeButton(this, "4021", "Загрузить из файла", GetZorTableIco(31), {162, 38, 160, 26},
                         "Загрузить текст запроса из файла");
    m_pStartEditing = MakeButton(this, "7027", "Начать редактирование", GetZorTableIco(58), {326, 38, 180, 26},
                                 "Начать редактирование");
    m_pCut = MakeButton(this, "4026", "", GetZorTableIco(28), {510, 38, 28, 26}, "");
    MakeButton(this, "4023", "", GetZorTableIco(29), {540, 38, 28, 26}, "");
    m_pPaste = MakeButton(this, "4025", "", GetZorTableIco(30), {570, 38, 28, 26}, "");
    // The name and its check boxes.
    m_pNameLabel = new QLabel(QString::fromUtf8("Наименование:"), this);
    m_pNameLabel->setObjectName("7030");
    m_pNameLabel->setGeometry(8, 72, 96, 22);
    m_pName = new QLineEdit(this);
    m_pName->setObjectName("7029");
    m_pName->setGeometry(106, 72, 330, 22);
    m_pSaveToDb = new QCheckBox(QString::fromUtf8("Сохранить в БД"), this);
    m_pSaveToDb->setObjectName("7032");
    m_pSaveToDb->setGeometry(444, 72, 130, 22);
    m_pShowInTable = new QCheckBox(QString::fromUtf8("Показать в таблице"), this);
    m_pShowInTable->setObjectName("7033");
    m_pShowInTable->setGeometry(444, 96, 180, 22);
    // The query text, the error messages and the status bar.
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(9);
    m_pText = new QPlainTextEdit(this);
    m_pText->setObjectName("4019");
    m_pText->setGeometry(8, 124, 624, 230);
    m_pText->setFont(mono);
    m_pText->setToolTip(QString::fromUtf8("Введите текст запроса"));
    m_pText->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pErrors = new QPlainTextEdit(this);
    m_pErrors->setObjectName("4020");
    m_pErrors->setGeometry(8, 360, 624, 66);
    m_pErrors->setReadOnly(true);
    m_pErrors->setFont(mono);
    m_pErrors->setToolTip(QString::fromUtf8("Вывод сведений об ошибках"));
    auto* status = new QStatusBar(this);
    status->setObjectName("10001");
    status->setGeometry(0, 432, 640, 28);
    status->setSizeGripEnabled(false);
    auto* first = new QLabel(status);
    first->setMinimumWidth(200);
    m_pLine = new QLabel(status);
    m_pLine->setMinimumWidth(100);
    m_pColumn = new QLabel(status);
    m_pColumn->setMinimumWidth(100);
    // Without the size grip nothing keeps the last pane off the dialog's edge.
    m_pColumn->setContentsMargins(0, 0, 8, 0);
    status->addWidget(first);
    status->addWidget(m_pLine, 1);
    status->addWidget(m_pColumn);

    connect(m_pExecute, &QPushButton::clicked, this, [this] { Execute(); });
    connect(findChild<QPushButton*>("2"), &QPushButton::clicked, this, &QDialog::reject);
    connect(findChild<QPushButton*>("4024"), &QPushButton::clicked, this, [this] { Help(); });
    connect(findChild<QPushButton*>("4022"), &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QString(), QString(), QString::fromUtf8("Все файлы (*)"));
        if (!path.isEmpty()) SaveToFile(path.toStdString());
    });
    connect(m_pLoad, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), QString::fromUtf8("Все файлы (*)"));
        if (!path.isEmpty()) LoadFromFile(path.toStdString());
    });
    connect(m_pStartEditing, &QPushButton::clicked, this, [this] {
        if (QMessageBox::question(this, windowTitle(), QString::fromUtf8(kStartEditingQuestion)) == QMessageBox::Yes)
            StartEditing();
    });
    connect(m_pCut, &QPushButton::clicked, this, [this] { m_pText->cut(); m_pText->setFocus(); });
    connect(findChild<QPushButton*>("4023"), &QPushButton::clicked, this, [this] { m_pText->copy(); m_pText->setFocus(); });
    connect(m_pPaste, &QPushButton::clicked, this, [this] { m_pText->paste(); m_pText->setFocus(); });
    connect(m_pText, &QPlainTextEdit::cursorPositionChanged, this, [this] { UpdatePosition(); });
    connect(m_pText, &QPlainTextEdit::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.setObjectName("QueryTextMenu");
        QAction* cut = menu.addAction(QString::fromUtf8("Вырезать"), m_pText, &QPlainTextEdit::cut);
        menu.addAction(QString::fromUtf8("Копировать"), m_pText, &QPlainTextEdit::copy);
        QAction* paste = menu.addAction(QString::fromUtf8("Вставить"), m_pText, &QPlainTextEdit::paste);
        menu.addSeparator();
        QAction* pick = menu.addAction(QString::fromUtf8("Выбрать "), this, [this] { PickFromDictionary(); });
        const bool can = m_logic.CanChangeText();
        cut->setEnabled(can);
        paste->setEnabled(can);
        pick->setEnabled(can && m_logic.CanExecute());
        menu.exec(m_pText->mapToGlobal(at));
    });
}

CDlgQueryEdit::~CDlgQueryEdit() = default;

bool CDlgQueryEdit::OnInitDialog() {
    CzorResizableDialog::OnInitDialog();
    zor::net::QueryEditData& d = m_logic.Data();
    m_pNameLabel->setEnabled(m_logic.IsNameEnabled());
    m_pName->setEnabled(m_logic.IsNameEnabled());
    m_pName->setText(Q(d.name));
    m_pSaveToDb->setChecked(d.saveToDb);
    m_pSaveToDb->setEnabled(m_logic.IsSaveToDbEnabled());
    m_pShowInTable->setChecked(d.showInTable);
    m_pShowInTable->setEnabled(m_logic.IsShowInTableEnabled());
    AddAnchor(m_pName, ANCHOR_TOP_LEFT, ANCHOR_TOP_RIGHT);
    AddAnchor(m_pShowInTable, ANCHOR_TOP_RIGHT);
    AddAnchor(m_pSaveToDb, ANCHOR_TOP_RIGHT);
    AddAnchor(m_pText, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
    AddAnchor(m_pErrors, ANCHOR_BOTTOM_LEFT, ANCHOR_BOTTOM_RIGHT);
    AddAnchor(10001, ANCHOR_BOTTOM_LEFT, ANCHOR_BOTTOM_RIGHT);
    m_pText->setPlainText(Q(m_logic.InitialText()));
    ApplyLocks();
    UpdatePosition();
    return true;
}

void CDlgQueryEdit::ApplyLocks() {
    m_pStartEditing->setEnabled(m_logic.CanStartEditing());
    m_pText->setReadOnly(m_logic.IsTextReadOnly());
    m_pLoad->setEnabled(m_logic.CanLoadFile());
    m_pName->setReadOnly(m_logic.IsNameReadOnly());
    m_pCut->setEnabled(m_logic.CanChangeText());
    m_pPaste->setEnabled(m_logic.CanChangeText());
    // Without a store there is no dictionary to check the text against.
    m_pExecute->setEnabled(m_logic.CanExecute());
}

void CDlgQueryEdit::ReadFields() {
    zor::net::QueryEditData& d = m_logic.Data();
    d.name = m_pName->text().toStdString();
    d.saveToDb = m_pSaveToDb->isChecked();
    d.showInTable = m_pShowInTable->isChecked();
}

void CDlgQueryEdit::Execute() {
    ReadFields();
    const CQueryEditLogic::CheckResult r = m_logic.Execute(m_pText->toPlainText().toStdString());
    if (r.ok) {
        accept();
        return;
    }
    m_pErrors->setPlainText(Q(r.message));
    if (r.selStart >= 0) {
        QTextCursor c = m_pText->textCursor();
        const int size = m_pText->document()->characterCount() - 1;
        c.setPosition(std::min(r.selStart, size));
        c.setPosition(std::min(r.selEnd, size), QTextCursor::KeepAnchor);
        m_pText->setTextCursor(c);
    }
    m_pText->setFocus();
}

void CDlgQueryEdit::StartEditing() {
    m_logic.StartEditing();
    ApplyLocks();
}

void CDlgQueryEdit::LoadFromFile(const std::string& path) {
    std::string text, message;
    if (!m_logic.LoadFile(path, text, message)) {
        QMessageBox::warning(this, windowTitle(), Q(message));
        return;
    }
    m_pText->setPlainText(Q(text));
    ApplyLocks();
}

void CDlgQueryEdit::SaveToFile(const std::string& path) {
    std::string message;
    if (!CQueryEditLogic::SaveFile(path, m_pText->toPlainText().toStdString(), message))
        QMessageBox::warning(this, windowTitle(), Q(message));
}

void CDlgQueryEdit::Help() {
    const std::string path = CQueryEditLogic::HelpFilePath();
    if (::access(path.c_str(), R_OK) == 0) zor::OpenThroughDesktop(path);
    else QMessageBox::information(this, windowTitle(), Q(CQueryEditLogic::HelpMissingMessage(path)));
}

void CDlgQueryEdit::InsertName(const std::string& name) {
    if (!m_logic.CanChangeText()) return;
    m_pText->textCursor().insertText(Q(name));
    m_pText->setFocus();
}

void CDlgQueryEdit::PickFromDictionary() {
    CDlgSelectDictObject picker(m_logic.Data().store, this);
    const int r = picker.exec();
    if (r == CDlgSelectDictObject::kInsertEntity || r == CDlgSelectDictObject::kInsertAttribute)
        InsertName(picker.ChosenName());
}

void CDlgQueryEdit::UpdatePosition() {
    const QTextCursor c = m_pText->textCursor();
    m_pLine->setText(Q(CQueryEditLogic::LineText(c.blockNumber() + 1)));
    m_pColumn->setText(Q(CQueryEditLogic::ColumnText(c.positionInBlock() + 1)));
}

CDlgSelectDictObject::CDlgSelectDictObject(const CzorStepData* store, QWidget* parent)
    : QDialog(parent), m_pStore(store) {
    setObjectName("7022");
    setWindowTitle(QString::fromUtf8("Выбор объекта словаря"));
    resize(420, 130);
    m_pEntities = new QComboBox(this);
    m_pEntities->setObjectName("7042");
    m_pEntities->setGeometry(8, 10, 250, 24);
    m_pAttrs = new QComboBox(this);
    m_pAttrs->setObjectName("7044");
    m_pAttrs->setGeometry(8, 50, 250, 24);
    auto* insertEntity = MakeButton(this, "7041", "Вставить имя entity", QIcon(), {266, 10, 146, 26}, "");
    auto* insertAttr = MakeButton(this, "7043", "Вставить имя атрибута", QIcon(), {266, 50, 146, 26}, "");
    auto* cancel = MakeButton(this, "2", "Отмена", GetZorStdIco16(1), {266, 94, 146, 26}, "");
    for (const std::string& name : CQueryEditLogic::EntityNames(store)) m_pEntities->addItem(Q(name));
    connect(m_pEntities, &QComboBox::currentIndexChanged, this, [this](int i) { SelectEntity(i); });
    connect(insertEntity, &QPushButton::clicked, this, [this] {
        m_Chosen = m_pEntities->currentText().toStdString();
        done(kInsertEntity);
    });
    connect(insertAttr, &QPushButton::clicked, this, [this] {
        m_Chosen = m_pAttrs->currentText().toStdString();
        done(kInsertAttribute);
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    SelectEntity(m_pEntities->currentIndex());
}

void CDlgSelectDictObject::SelectEntity(int index) {
    if (index != m_pEntities->currentIndex()) {
        m_pEntities->setCurrentIndex(index);  // the combo's signal comes back here
        return;
    }
    m_pAttrs->clear();
    for (const std::string& name :
         CQueryEditLogic::AttributeNames(m_pStore, m_pEntities->itemText(index).toStdString()))
        m_pAttrs->addItem(Q(name));
}

bool zor::net::QtNetUi::RunQueryEditDialog(QueryEditData& data) {
    CDlgQueryEdit dlg(data);
    return dlg.exec() == QDialog::Accepted;
}

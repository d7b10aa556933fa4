#include "report/dialogs/contents_page.h"

#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dialogs/button.h"
#include "controls/stock_icons.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/section_dialog.h"

namespace {

constexpr int kIndentColumn = 1;
constexpr int kFontColumn = 2;

}  // namespace

CPropEdit::CPropEdit(QWidget* parent) : QLineEdit(parent) {}

void CPropEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (isVisible() && onCommit) onCommit();
}

void CPropEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (onCommit) onCommit();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        if (onCancel) onCancel();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

CContentsPage::CContentsPage(CTableContentElement& element, QWidget* parent) : QWidget(parent), m_Logic(element) {
    setObjectName("211");
    auto* layout = new QVBoxLayout(this);
    m_pList = MakeRowList(this, "1074", {{"", 60}, {"Отступ", 60}, {"Шрифт", 120}});
    m_pList->setAllColumnsShowFocus(true);
    m_pList->setStyleSheet("QTreeView::item { border: 1px solid palette(mid); }");  // grid lines
    auto* listRow = new QHBoxLayout();
    listRow->addWidget(m_pList, 1);
    auto* buttons = new QVBoxLayout();
    CzorButton* add = MakeIconButton(this, "8023", GetZorStdIco16(2), false);
    CzorButton* del = MakeIconButton(this, "8022", GetZorTableIco(5), false);
    buttons->addWidget(add);
    buttons->addWidget(del);
    buttons->addStretch(1);
    listRow->addLayout(buttons);
    layout->addLayout(listRow, 1);

    auto* form = new QFormLayout();
    m_pTitle = new QLineEdit(QString::fromStdString(m_Logic.m_Title), this);
    m_pTitle->setObjectName("8024");
    form->addRow(QString::fromUtf8("Заголовок:"), m_pTitle);
    auto* fontRow = new QHBoxLayout();
    m_pTitleFont = new QLineEdit(QString::fromStdString(ContentsFontText(m_Logic.m_TitleFont)), this);
    m_pTitleFont->setObjectName("8025");
    m_pTitleFont->setReadOnly(true);
    auto* chooser = new QPushButton("...", this);
    chooser->setObjectName("8026");
    fontRow->addWidget(m_pTitleFont, 1);
    fontRow->addWidget(chooser);
    form->addRow(QString::fromUtf8("Шрифт:"), fontRow);
    m_pWidth = new QLineEdit(QString::fromStdString(m_Logic.m_PageNumberWidth), this);
    m_pWidth->setObjectName("1031");
    form->addRow(QString::fromUtf8("Ширина область отображения страниц:"), m_pWidth);
    layout->addLayout(form);

    m_pEditor = new CPropEdit(m_pList->viewport());
    m_pEditor->setFont(font());
    m_pEditor->hide();
    m_pEditor->onCommit = [this] { CommitIndent(); };
    m_pEditor->onCancel = [this] { CancelIndent(); };

    FillList();
    connect(add, &QPushButton::clicked, this, [this] {
        m_Logic.AddLevel();
        FillList();
    });
    connect(del, &QPushButton::clicked, this, [this] {
        const int row = m_pList->indexOfTopLevelItem(m_pList->currentItem());
        if (row < 0) return;
        m_Logic.DelLevel(row);
        FillList();
    });
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int column) { OnDoubleClick(item, column); });
    connect(chooser, &QPushButton::clicked, this, [this] {
        if (!ChooseReportFont(this, m_Logic.m_TitleFont)) return;
        m_pTitleFont->setText(QString::fromStdString(ContentsFontText(m_Logic.m_TitleFont)));
    });
}

void CContentsPage::FillList() {
    CancelIndent();
    m_pList->clear();
    for (int i = 0; i < m_Logic.Levels().GetLevelCount(); ++i) {
        auto* item = new QTreeWidgetItem(m_pList);
        item->setText(0, QString::fromStdString(m_Logic.LevelName(i)));
        item->setText(kIndentColumn, QString::fromStdString(m_Logic.IndentText(i)));
        item->setText(kFontColumn, QString::fromStdString(m_Logic.FontText(i)));
    }
}

void CContentsPage::OnDoubleClick(QTreeWidgetItem* item, int column) {
    const int row = m_pList->indexOfTopLevelItem(item);
    if (row < 0) return;
    if (column == kIndentColumn) {
        EditIndent(row);
    } else if (column == kFontColumn) {
        LOGFONT font = m_Logic.Levels().GetLevel(row)->GetFont();
        if (!ChooseReportFont(this, font)) return;
        m_Logic.SetLevelFont(row, font);
        item->setText(kFontColumn, QString::fromStdString(m_Logic.FontText(row)));
    }
}

void CContentsPage::EditIndent(int row) {
    QTreeWidgetItem* item = m_pList->topLevelItem(row);
    if (!item) return;
    m_Logic.BeginIndentEdit(row);
    const QRect rowRect = m_pList->visualItemRect(item);
    m_pEditor->setGeometry(m_pList->columnViewportPosition(kIndentColumn), rowRect.top(),
                           m_pList->columnWidth(kIndentColumn), rowRect.height());
    m_pEditor->setText(item->text(kIndentColumn));
    m_pEditor->selectAll();
    m_pEditor->show();
    m_pEditor->setFocus();
}

void CContentsPage::CommitIndent() {
    const int row = m_Logic.EditingLevel();
    if (row < 0 || m_bCommitting) return;
    m_bCommitting = true;
    if (m_Logic.CommitIndentEdit(m_pEditor->text().toStdString())) {
        m_pEditor->hide();
        if (QTreeWidgetItem* item = m_pList->topLevelItem(row))
            item->setText(kIndentColumn, QString::fromStdString(m_Logic.IndentText(row)));
        m_pList->setFocus();
    } else {
        // A text that is no number keeps the editor open: the focus goes back once this event is done.
        QTimer::singleShot(0, m_pEditor, [editor = m_pEditor] { editor->setFocus(); });
    }
    m_bCommitting = false;
}

void CContentsPage::CancelIndent() {
    m_Logic.CancelIndentEdit();
    m_pEditor->hide();
}

bool CContentsPage::Apply() {
    // An indent still open is taken as if Enter had been pressed; one that is no number keeps the page.
    if (m_Logic.EditingLevel() >= 0) {
        CommitIndent();
        if (m_Logic.EditingLevel() >= 0) return false;
    }
    m_Logic.m_Title = m_pTitle->text().toStdString();
    m_Logic.m_PageNumberWidth = m_pWidth->text().toStdString();
    return m_Logic.Apply();
}

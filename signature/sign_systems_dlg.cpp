#include "signature/sign_systems_dlg.h"

#include "signature/sign_system_props_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sig {

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

QPushButton* Button(const char* text, const char* id, QWidget* parent) {
    auto* b = new QPushButton(U(text), parent);
    b->setObjectName(id);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

CSignSystemsDlg::CSignSystemsDlg(CSignSystemsModel& model, zor::IMessageSink& sink, QWidget* parent)
    : QDialog(parent), m_model(model), m_sink(sink) {
    setObjectName("14000");
    setWindowTitle(U(texts::kListCaption));

    m_list = new QTreeWidget(this);
    m_list->setObjectName("14008");
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({U(texts::kNameColumn), U(texts::kNoteColumn)});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->installEventFilter(this);

    auto* add = Button(texts::kAddButton, "14000", this);
    m_properties = Button(texts::kPropertiesButton, "14001", this);
    m_delete = Button(texts::kDeleteButton, "14002", this);
    auto* exit = Button(texts::kExitButton, "2", this);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(U(texts::kListLabel), this));
    left->addWidget(m_list, 1);
    auto* right = new QVBoxLayout;
    right->addSpacing(20);
    right->addWidget(add);
    right->addWidget(m_properties);
    right->addWidget(m_delete);
    right->addStretch(1);
    right->addWidget(exit);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);
    // 248 x 111 dialog units of an 8-point font.
    setMinimumSize(372, 180);

    runProps = [this](CSignSystemPropsModel& props) {
        CSignSystemPropsDlg dialog(props, m_sink, this);
        return dialog.exec() == QDialog::Accepted;
    };
    connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(m_properties, &QPushButton::clicked, this, [this] { OnProperties(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { FollowSelection(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (!SelectedName().empty()) OnProperties();
    });
    Fill();
}

void CSignSystemsDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_columnsSized) return;
    // Two thirds of the list for the name, one for the note.
    const int third = m_list->viewport()->width() / 3;
    m_list->setColumnWidth(0, 2 * third);
    m_list->setColumnWidth(1, third);
    m_columnsSized = true;
}

void CSignSystemsDlg::Fill() {
    m_list->clear();
    for (const SignSystemRow& row : m_model.Rows())
        new QTreeWidgetItem(m_list, {QString::fromStdString(row.name), QString::fromStdString(row.note)});
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_properties->setEnabled(false);
    m_delete->setEnabled(false);
}

std::string CSignSystemsDlg::SelectedName() const {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? std::string() : selected.first()->text(0).toStdString();
}

void CSignSystemsDlg::FollowSelection() {
    const bool any = !m_list->selectedItems().isEmpty();
    m_properties->setEnabled(any);
    m_delete->setEnabled(any);
}

bool CSignSystemsDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool selected = !SelectedName().empty();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (selected) OnProperties();
            return true;
        }
        if (key == Qt::Key_Delete) {
            if (selected) OnDelete();
            return true;
        }
        if (key == Qt::Key_Insert) {
            OnAdd();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CSignSystemsDlg::OnAdd() {
    CSignSystemPropsModel props;
    props.caption = texts::kAddCaption;
    props.okText = texts::kAddOk;
    if (!runProps || !runProps(props)) return;
    if (m_model.Add(props.values)) Fill();
}

void CSignSystemsDlg::OnProperties() {
    const std::string name = SelectedName();
    if (name.empty()) return;
    CSignSystemPropsModel props;
    props.caption = texts::kPropsCaption;
    props.okText = texts::kPropsOk;
    props.values = m_model.PropsOf(name);
    const SignSystemProps old = props.values;
    if (!runProps || !runProps(props)) return;
    if (m_model.ApplyProperties(old, props.values)) Fill();
}

void CSignSystemsDlg::OnDelete() {
    const std::string name = SelectedName();
    if (!name.empty() && m_model.Delete(name)) Fill();
}

}  // namespace sig

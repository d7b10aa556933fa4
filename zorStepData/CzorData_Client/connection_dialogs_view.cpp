#include "zorStepData/CzorData_Client/connection_dialogs_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <QTreeWidget>

#include "controls/dialogs/button.h"
#include "controls/dialogs/resizable_dialog.h"
#include "controls/stock_icons.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
QString Q(const char* text) { return QString::fromUtf8(text); }
std::string S(const QString& text) { return text.toStdString(); }

// Dialog units in pixels of the application's font, measured as dialog units always were: a quarter of the
// mean width of the Latin letters across, an eighth of the line height down.
QRect Du(int x, int y, int w, int h) {
    static const QSizeF unit = [] {
        const QFontMetricsF fm(QApplication::font());
        const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        return QSizeF(fm.horizontalAdvance(letters) / letters.size() / 4.0, fm.height() / 8.0);
    }();
    const auto px = [](int v, double u) { return static_cast<int>(v * u + 0.5); };
    return QRect(px(x, unit.width()), px(y, unit.height()), px(w, unit.width()), px(h, unit.height()));
}

template <class W>
W* Place(W* widget, const char* id, const QRect& at) {
    if (id) widget->setObjectName(id);
    widget->setGeometry(at);
    return widget;
}

QLabel* Label(QWidget* parent, const char* text, const QRect& at, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = Place(new QLabel(Q(text), parent), nullptr, at);
    label->setAlignment(align);
    return label;
}

// OK (1) and Cancel (2): classic look, the stock icons 0 and 1.
CzorButton* Button(QWidget* parent, const char* id, const char* text, int icon, const QRect& at) {
    auto* button = Place(new CzorButton(parent), id, at);
    button->setText(Q(text));
    if (icon >= 0) button->SetIcon(GetZorStdIco16(icon));
    button->SetFlat(false, true);
    return button;
}

void Fixed(QDialog& dialog, const char* id, const char* caption, int w, int h) {
    dialog.setObjectName(id);
    dialog.setWindowTitle(Q(caption));
    dialog.setFixedSize(Du(0, 0, w, h).size());
}

// A list of whole rows, one selected at a time, its selection kept in sight.
QTreeWidget* RowList(QWidget* parent, const char* id, const QRect& at) {
    auto* list = Place(new QTreeWidget(parent), id, at);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    return list;
}

int SelectedRow(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->indexOfTopLevelItem(items.front());
}

void SelectRow(QTreeWidget* list, int row) {
    list->clearSelection();
    if (QTreeWidgetItem* item = list->topLevelItem(row)) {
        item->setSelected(true);
        list->setCurrentItem(item);
        list->scrollToItem(item);
    }
}

}  // namespace

// ---- Login (7018)

struct CDlgConnectBase::View {
    QDialog dialog;
    zor::net::CLoginLogic& logic;
    CzorNetStepData* store;
    QComboBox* users = nullptr;
    QComboBox* connections = nullptr;
    QLineEdit* password = nullptr;
    bool filling = false;

    View(zor::net::CLoginLogic& l, CzorNetStepData* s, QWidget* parent) : dialog(parent), logic(l), store(s) {}

    void Show() {
        filling = true;
        users->clear();
        for (const std::string& u : logic.users) users->addItem(Q(u));
        users->setCurrentIndex(logic.userSelection);
        if (logic.userSelection < 0) users->setEditText(Q(logic.user));
        connections->clear();
        for (const std::string& n : logic.connectionNames) connections->addItem(Q(n));
        connections->setCurrentIndex(logic.connectionSelection);
        if (logic.connectionSelection < 0) connections->setPlaceholderText(Q(logic.connectionText));
        filling = false;
    }
    // The user typed into the box stays what the box shows when the lists are filled anew.
    void TakeUser() { logic.user = S(users->currentText()); }
};

CDlgConnectBase::CDlgConnectBase(zor::net::CLoginLogic& logic, CzorNetStepData* store, QWidget* parent)
    : m_view(std::make_unique<View>(logic, store, parent)) {
    View& v = *m_view;
    QDialog& d = v.dialog;
    Fixed(d, "7018", "Установка соединения с БД", 282, 143);
    auto* logo = Place(new QLabel(&d), "4016", Du(6, 3, 271, 43));
    logo->setAlignment(Qt::AlignCenter);
    Place(new QGroupBox(&d), nullptr, Du(6, 45, 271, 75));
    Label(&d, "Пользователь:", Du(11, 54, 53, 12), Qt::AlignRight | Qt::AlignVCenter);
    Label(&d, "Пароль:", Du(11, 70, 53, 12), Qt::AlignRight | Qt::AlignVCenter);
    Label(&d, "Подключение:", Du(11, 86, 53, 12), Qt::AlignRight | Qt::AlignVCenter);
    v.users = Place(new QComboBox(&d), "7020", Du(70, 54, 201, 12));
    v.users->setEditable(true);
    v.password = Place(new QLineEdit(&d), "4001", Du(70, 70, 201, 12));
    v.password->setEchoMode(QLineEdit::Password);
    v.connections = Place(new QComboBox(&d), "7001", Du(70, 86, 141, 12));
    auto* configure = Place(new QPushButton(Q("Настроить..."), &d), "4003", Du(217, 86, 54, 13));
    CzorButton* ok = Button(&d, "1", "OK", 0, Du(136, 124, 65, 16));
    ok->setDefault(true);
    CzorButton* cancel = Button(&d, "2", "Отмена", 1, Du(212, 124, 65, 16));

    // Without a store there is nothing to offer.
    if (store || logic.connections) {
        QPixmap picture;
        if (zorGetLogoBmp(picture, &d)) logo->setPixmap(picture);
        logic.Fill();
    }
    v.Show();

    QObject::connect(v.connections, qOverload<int>(&QComboBox::currentIndexChanged), &d, [&v](int index) {
        if (v.filling) return;
        v.TakeUser();
        v.logic.ConnectionChanged(index);
        v.Show();
    });
    QObject::connect(configure, &QPushButton::clicked, &d, [&v] {
        if (!v.store) return;
        v.TakeUser();
        v.logic.chosen = v.store->NET_TuningConnections();
        v.logic.Fill();
        v.logic.ConnectionChanged(v.logic.chosen);
        v.Show();
    });
    QObject::connect(ok, &QPushButton::clicked, &d, [&v] {
        v.logic.Ok(S(v.users->currentText()), v.connections->currentIndex(), S(v.password->text()));
        // The recent users and the connection are kept for the next login: a file that cannot take
        // them is said at once, and the dialog stays.
        if (v.logic.recentUsers && v.logic.chosen >= 0 &&
            !zor::net::WriteLastActive(*v.logic.recentUsers, v.logic.connectionNames[static_cast<size_t>(v.logic.chosen)])) {
            zorMessageBox("Список пользователей не сохранен: файл " + zor::net::RecentUsersPath() + " не записан",
                          "Ошибка!", MB_OK | MB_ICONERROR);
            return;
        }
        v.dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
}

CDlgConnectBase::~CDlgConnectBase() = default;
QDialog* CDlgConnectBase::Window() const { return &m_view->dialog; }

bool CDlgConnectBase::Run() {
    m_view->dialog.raise();
    m_view->dialog.activateWindow();
    return m_view->dialog.exec() == QDialog::Accepted;
}

// ---- Database choice (4001)

namespace {

class SelectBaseDialog : public CzorResizableDialog {
public:
    SelectBaseDialog(zor::net::CSelectBaseLogic& logic, QWidget* parent) : CzorResizableDialog(4001, parent), m_logic(logic) {
        setWindowTitle(Q("Выберите базу"));
        resize(Du(0, 0, 186, 100).size());
        m_list = RowList(this, "4004", Du(5, 5, 176, 69));
        m_list->setHeaderLabels({Q("Имя базы")});
        m_ok = Button(this, "1", "OK", 0, Du(43, 79, 65, 16));
        m_ok->setDefault(true);
        m_cancel = Button(this, "2", "Отмена", 1, Du(116, 79, 65, 16));
        QObject::connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { m_logic.SelectionChanged(SelectedRow(m_list)); });
        QObject::connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
            m_logic.SelectionChanged(SelectedRow(m_list));
            accept();
        });
        QObject::connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
        QObject::connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    }

protected:
    bool OnInitDialog() override {
        CzorResizableDialog::OnInitDialog();
        m_list->clear();
        m_list->setColumnWidth(0, m_list->width() - 2 * m_list->frameWidth());
        m_logic.Open();
        if (m_logic.names)
            for (size_t i = 0; i < m_logic.names->size(); ++i) {
                auto* item = new QTreeWidgetItem(m_list, {Q((*m_logic.names)[i])});
                item->setData(0, Qt::UserRole, static_cast<int>(i));
            }
        AddAnchor(m_list, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
        AddAnchor(m_ok, ANCHOR_BOTTOM_RIGHT);
        AddAnchor(m_cancel, ANCHOR_BOTTOM_RIGHT);
        const int initial = m_logic.chosen;
        SelectRow(m_list, initial);
        m_logic.chosen = initial;
        return true;
    }

private:
    zor::net::CSelectBaseLogic& m_logic;
    QTreeWidget* m_list = nullptr;
    CzorButton* m_ok = nullptr;
    CzorButton* m_cancel = nullptr;
};

}  // namespace

struct CDlgSelectBase::View {
    SelectBaseDialog dialog;
    View(zor::net::CSelectBaseLogic& logic, QWidget* parent) : dialog(logic, parent) {}
};

CDlgSelectBase::CDlgSelectBase(zor::net::CSelectBaseLogic& logic, QWidget* parent)
    : m_view(std::make_unique<View>(logic, parent)) {}
CDlgSelectBase::~CDlgSelectBase() = default;
QDialog* CDlgSelectBase::Window() const { return &m_view->dialog; }
bool CDlgSelectBase::Run() { return m_view->dialog.exec() == QDialog::Accepted; }

// ---- One connection (7005)

struct CDlgTuneConnection::View {
    QDialog dialog;
    zor::net::CTuneConnectionLogic& logic;
    QLineEdit *name = nullptr, *computer = nullptr, *port = nullptr, *database = nullptr, *user = nullptr;
    QCheckBox* defaultPort = nullptr;
    zor::net::CTuneConnectionLogic::BaseListFetch fetch;
    zor::net::CTuneConnectionLogic::BaseChooser choose;

    View(zor::net::CTuneConnectionLogic& l, QWidget* parent) : dialog(parent), logic(l) {}

    void Show() {
        name->setText(Q(logic.name));
        computer->setText(Q(logic.computer));
        port->setText(QString::number(logic.port));
        port->setReadOnly(logic.PortReadOnly());
        defaultPort->setChecked(logic.defaultPort);
        database->setText(Q(logic.database));
        user->setText(Q(logic.user));
    }
    // False when the port cannot be taken (its message was shown).
    bool Take() {
        logic.name = S(name->text());
        logic.computer = S(computer->text());
        logic.defaultPort = defaultPort->isChecked();
        logic.database = S(database->text());
        logic.user = S(user->text());
        return logic.TakePort(S(port->text()));
    }
};

CDlgTuneConnection::CDlgTuneConnection(zor::net::CTuneConnectionLogic& logic, QWidget* parent)
    : m_view(std::make_unique<View>(logic, parent)) {
    View& v = *m_view;
    QDialog& d = v.dialog;
    Fixed(d, "7005", "Настройка параметров подключения", 265, 114);
    Label(&d, "Название подключения:", Du(5, 3, 105, 14));
    v.name = Place(new QLineEdit(&d), "7009", Du(112, 3, 148, 14));
    Label(&d, "Компьютер:", Du(5, 20, 105, 14));
    v.computer = Place(new QLineEdit(&d), "7002", Du(112, 20, 126, 14));
    auto* browse = Place(new QPushButton(Q("..."), &d), "7006", Du(243, 20, 17, 14));
    // Picking a computer from the Windows network neighbourhood has no counterpart here.
    browse->setEnabled(false);
    browse->setToolTip(Q("Обзор сетевого окружения Windows в этой системе недоступен: введите имя или адрес компьютера"));
    Label(&d, "Порт:", Du(5, 37, 105, 14));
    v.port = Place(new QLineEdit(&d), "7003", Du(112, 37, 49, 14));
    v.port->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), v.port));
    v.defaultPort = Place(new QCheckBox(Q("По умолчанию (7239)"), &d), "7004", Du(172, 37, 88, 14));
    Label(&d, "База:", Du(5, 56, 105, 14));
    v.database = Place(new QLineEdit(&d), "7005", Du(112, 56, 126, 14));
    auto* bases = Place(new QPushButton(Q("..."), &d), "7008", Du(243, 56, 17, 14));
    Label(&d, "Пользователь по умолчанию:", Du(5, 74, 105, 14));
    v.user = Place(new QLineEdit(&d), "7007", Du(112, 74, 148, 14));
    CzorButton* ok = Button(&d, "1", "OK", 0, Du(112, 93, 65, 16));
    ok->setDefault(true);
    CzorButton* cancel = Button(&d, "2", "Отмена", 1, Du(195, 93, 65, 16));

    v.fetch = [](const std::string& host, int port, std::vector<std::string>& names) {
        return zor::net::FetchBaseList(host, port, names, false);
    };
    v.choose = [&d](const std::vector<std::string>& names, int initial) {
        zor::net::CSelectBaseLogic select;
        select.names = &names;
        select.initial = initial;
        CDlgSelectBase dlg(select, &d);
        return dlg.Run() ? select.chosen : -2;
    };
    logic.Open();
    v.Show();

    QObject::connect(v.defaultPort, &QCheckBox::toggled, &d, [&v](bool on) {
        v.logic.defaultPort = on;
        v.port->setReadOnly(v.logic.PortReadOnly());
    });
    QObject::connect(bases, &QPushButton::clicked, &d, [&v] {
        if (!v.Take()) return;
        v.logic.ChooseDatabase(v.fetch, v.choose);
        v.Show();
    });
    QObject::connect(ok, &QPushButton::clicked, &d, [&v] {
        if (!v.Take() || !v.logic.Ok()) return;
        v.Show();
        v.dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
}

CDlgTuneConnection::~CDlgTuneConnection() = default;
QDialog* CDlgTuneConnection::Window() const { return &m_view->dialog; }
bool CDlgTuneConnection::Run() { return m_view->dialog.exec() == QDialog::Accepted; }
void CDlgTuneConnection::SetBaseList(zor::net::CTuneConnectionLogic::BaseListFetch fetch) { m_view->fetch = std::move(fetch); }
void CDlgTuneConnection::SetBaseChooser(zor::net::CTuneConnectionLogic::BaseChooser choose) {
    m_view->choose = std::move(choose);
}

// ---- The list (7004)

namespace {

class TuneListDialog : public CzorResizableDialog {
public:
    TuneListDialog(zor::net::CTuneListLogic& logic, QWidget* parent) : CzorResizableDialog(7004, parent), m_logic(logic) {
        setWindowTitle(Q("Настройка списка подключений"));
        resize(Du(0, 0, 359, 153).size());
        m_label = Place(new QLabel(Q("  Подключения"), this), "7009", Du(3, 4, 248, 14));
        m_label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        struct Tool {
            const char* id;
            int icon;
            int x;
            const char* tip;
        };
        const Tool tools[] = {{"7008", 0, 255, "Добавить подключение"},
                              {"7011", 5, 275, "Удалить подключение"},
                              {"7012", 42, 295, "Изменить подключение"},
                              {"7013", 1, 315, "Сместить подключение вверх"},
                              {"7014", 2, 335, "Сместить подключение вниз"}};
        for (const Tool& t : tools) {
            auto* b = Place(new CzorButton(this), t.id, Du(t.x, 4, 18, 14));
            b->SetIcon(GetZorTableIco(t.icon));
            b->setToolTip(Q(t.tip));
            m_tools.push_back(b);
        }
        m_list = RowList(this, "7007", Du(3, 22, 350, 104));
        m_list->setHeaderLabels(
            {Q("Имя подключения"), Q("Адрес сервера"), Q("Порт сервера"), Q("Имя базы"), Q("Пользователь по умолчанию")});
        m_clear = Place(new QCheckBox(Q("Очистить список пользователей"), this), "7022", Du(3, 130, 157, 18));
        m_ok = Button(this, "1", "OK", 0, Du(210, 132, 65, 16));
        m_ok->setDefault(true);
        m_ok->setToolTip(Q("Ок"));
        m_cancel = Button(this, "2", "Отмена", 1, Du(288, 132, 65, 16));
        m_cancel->setToolTip(Q("Отмена"));

        m_editor = [this](zor::net::CTuneConnectionLogic& one) {
            CDlgTuneConnection dlg(one, this);
            return dlg.Run();
        };
        QObject::connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { m_logic.selection = SelectedRow(m_list); });
        QObject::connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { Do([this] { m_logic.Edit(m_editor); }); });
        QObject::connect(m_tools[0], &QPushButton::clicked, this, [this] { Do([this] { m_logic.Add(m_editor); }); });
        QObject::connect(m_tools[1], &QPushButton::clicked, this, [this] { Do([this] { m_logic.Remove(); }); });
        QObject::connect(m_tools[2], &QPushButton::clicked, this, [this] { Do([this] { m_logic.Edit(m_editor); }); });
        QObject::connect(m_tools[3], &QPushButton::clicked, this, [this] { Do([this] { m_logic.Up(); }); });
        QObject::connect(m_tools[4], &QPushButton::clicked, this, [this] { Do([this] { m_logic.Down(); }); });
        QObject::connect(m_clear, &QCheckBox::toggled, this, [this](bool on) { m_logic.clearUsers = on; });
        QObject::connect(m_ok, &QPushButton::clicked, this, [this] {
            if (m_logic.Ok()) accept();
        });
        QObject::connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    void SetEditor(zor::net::CTuneListLogic::Editor editor) { m_editor = std::move(editor); }
    void RedrawList() {
        // Emptying the list drops its selection: the logic's is kept and put back.
        const int keep = m_logic.selection;
        m_list->clear();
        if (m_logic.list)
            for (size_t i = 0; i < m_logic.list->size(); ++i) {
                const CzorConnectionRec& rec = (*m_logic.list)[i];
                auto* item = new QTreeWidgetItem(
                    m_list, {Q(rec.name), Q(rec.host), QString::number(rec.port), Q(rec.database), Q(rec.user)});
                item->setData(0, Qt::UserRole, static_cast<int>(i));
            }
        SelectRow(m_list, keep);
        m_logic.selection = SelectedRow(m_list);
        m_clear->setChecked(m_logic.clearUsers);
    }

protected:
    bool OnInitDialog() override {
        CzorResizableDialog::OnInitDialog();
        const int w = m_list->width() - 2 * m_list->frameWidth();
        const int widths[] = {3 * w / 10, w / 5, w / 10, w / 5, w / 5};
        for (int i = 0; i < 5; ++i) m_list->setColumnWidth(i, widths[i]);
        AddAnchor(m_ok, ANCHOR_BOTTOM_RIGHT);
        AddAnchor(m_cancel, ANCHOR_BOTTOM_RIGHT);
        for (CzorButton* b : m_tools) AddAnchor(b, ANCHOR_TOP_RIGHT);
        AddAnchor(m_list, ANCHOR_TOP_LEFT, ANCHOR_BOTTOM_RIGHT);
        AddAnchor(m_label, ANCHOR_TOP_LEFT, ANCHOR_TOP_RIGHT);
        AddAnchor(m_clear, ANCHOR_BOTTOM_LEFT);
        RedrawList();
        return true;
    }

private:
    template <class F>
    void Do(F&& f) {
        f();
        RedrawList();
    }

    zor::net::CTuneListLogic& m_logic;
    QLabel* m_label = nullptr;
    std::vector<CzorButton*> m_tools;
    QTreeWidget* m_list = nullptr;
    QCheckBox* m_clear = nullptr;
    CzorButton* m_ok = nullptr;
    CzorButton* m_cancel = nullptr;
    zor::net::CTuneListLogic::Editor m_editor;
};

}  // namespace

struct CDlgTuneListConnections::View {
    TuneListDialog dialog;
    View(zor::net::CTuneListLogic& logic, QWidget* parent) : dialog(logic, parent) {}
};

CDlgTuneListConnections::CDlgTuneListConnections(zor::net::CTuneListLogic& logic, QWidget* parent)
    : m_view(std::make_unique<View>(logic, parent)) {}
CDlgTuneListConnections::~CDlgTuneListConnections() = default;
QDialog* CDlgTuneListConnections::Window() const { return &m_view->dialog; }
bool CDlgTuneListConnections::Run() { return m_view->dialog.exec() == QDialog::Accepted; }
void CDlgTuneListConnections::SetEditor(zor::net::CTuneListLogic::Editor editor) {
    m_view->dialog.SetEditor(std::move(editor));
}
void CDlgTuneListConnections::RedrawList() { m_view->dialog.RedrawList(); }

// ---- The program's network UI

namespace zor::net {

bool QtConnectionNetUi::RunLoginDialog(LoginDialogData& data) {
    std::vector<CzorConnectionRec> named;
    CLoginLogic logic;
    if (data.store) {
        logic.connections = &data.store->Connections();
    } else {
        for (const std::string& n : data.connections) named.push_back({0, n, {}, 0, {}, {}});
        logic.connections = &named;
    }
    logic.recentUsers = &data.recentUsers;
    logic.user = data.user;
    logic.connectionName = data.connection;
    logic.chosen = data.index;
    CDlgConnectBase dlg(logic, data.store);
    if (!dlg.Run()) return false;
    data.user = logic.user;
    data.password = logic.password;
    data.index = logic.chosen;
    return true;
}

int QtConnectionNetUi::RunConnectionsDialog(std::vector<CzorConnectionRec>& list, bool& listChanged) {
    listChanged = false;
    // The list as the file holds it now: another program may have changed it.
    std::string serverPath;
    ReadConnections(list, serverPath, nullptr);
    CTuneListLogic logic;
    logic.list = &list;
    CDlgTuneListConnections dlg(logic);
    if (!dlg.Run()) return -1;
    listChanged = logic.clearUsers;
    return logic.chosen;
}

}  // namespace zor::net

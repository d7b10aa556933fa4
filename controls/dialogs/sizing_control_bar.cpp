#include "controls/dialogs/sizing_control_bar.h"

#include <algorithm>

#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>

#include "controls/dialogs/widget_colors.h"
#include "platform/gdi/sys_colors.h"
#include "platform/settings/profile.h"

namespace {

std::vector<CSizingControlBar*>& AllBars() {
    static std::vector<CSizingControlBar*> bars;
    return bars;
}

void Raised(QPainter& p, const QRect& r, const QColor& light, const QColor& shadow) {
    if (r.width() <= 0 || r.height() <= 0) return;
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), light);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), light);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), shadow);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), shadow);
}

// The gripper band of a docked bar: two raised bars, the caption and the close button.
class CBarGripper : public QWidget {
public:
    explicit CBarGripper(CSizingControlBar* bar) : QWidget(bar), m_bar(bar) { setMouseTracking(true); }

    QSize sizeHint() const override { return QSize(m_bar->GripperSize(), m_bar->GripperSize()); }
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Beside the caption along the top, or at the top of a band running down the left side.
    QRect CloseRect() const {
        return Vertical() ? QRect(2, 2, 12, 12) : QRect(width() - 13, 2, 12, 12);
    }

protected:
    bool Vertical() const { return m_bar->features() & QDockWidget::DockWidgetVerticalTitleBar; }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        auto sys = [&p](int i) { return zor::ToQColor(zor::ScreenSysColor(p, i)); };
        const QColor face = sys(COLOR_BTNFACE), light = sys(COLOR_BTNHIGHLIGHT), shadow = sys(COLOR_BTNSHADOW);
        p.fillRect(rect(), face);
        const QRect close = CloseRect();
        if (Vertical()) {
            for (int i = 0; i < 2; ++i) Raised(p, QRect(3 + 3 * i, close.top() + 15, 3, height() - close.top() - 16), light, shadow);
        } else {
            for (int i = 0; i < 2; ++i) Raised(p, QRect(1, 4 + 3 * i, close.left() - 4, 3), light, shadow);
        }
        if (m_bar->ShowsCaption()) {
            const QString title = m_bar->windowTitle();
            p.setPen(sys(COLOR_BTNTEXT));
            if (Vertical()) {
                const QRect area = rect().adjusted(1, 20, 0, -10);
                const QString down = QString::fromStdString(zor::VerticalCaption(title.toStdString()));
                const QRect measured = p.fontMetrics().boundingRect(area, Qt::AlignHCenter | Qt::AlignTop, down);
                p.fillRect(measured, face);
                p.drawText(area, Qt::AlignHCenter | Qt::AlignTop, down);
            } else {
                const QRect area = rect().adjusted(15, 0, -25, 0);
                const QString text = QLatin1Char(' ') + title + QLatin1Char(' ');
                const QRect measured = p.fontMetrics().boundingRect(area, Qt::AlignLeft | Qt::AlignVCenter, text);
                p.fillRect(measured, face);
                p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text);
            }
        }
        // The close button: sunken while pushed, raised while the mouse is on it, flat otherwise,
        // with a cross of our own.
        if (m_pushed) Raised(p, close, shadow, light);
        else if (m_raised) Raised(p, close, light, shadow);
        QPen pen(sys(COLOR_BTNTEXT), 1.5);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(pen);
        const QRectF glyph = QRectF(close).adjusted(3.5, 3.5, -3.5, -3.5);
        p.drawLine(glyph.topLeft(), glyph.bottomRight());
        p.drawLine(glyph.topRight(), glyph.bottomLeft());
    }

    void mouseMoveEvent(QMouseEvent* e) override {
        const bool on = CloseRect().contains(e->position().toPoint());
        const bool pushed = on && (e->buttons() & Qt::LeftButton);
        if (on != m_raised || pushed != m_pushed) {
            m_raised = on;
            m_pushed = pushed;
            update();
        }
        e->ignore();  // the dock widget drags the bar from its title bar
    }
    void leaveEvent(QEvent*) override {
        m_raised = m_pushed = false;
        update();
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && CloseRect().contains(e->position().toPoint())) {
            m_pushed = true;
            update();
            return;
        }
        e->ignore();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool wasPushed = m_pushed;
        m_pushed = false;
        update();
        if (wasPushed && e->button() == Qt::LeftButton && CloseRect().contains(e->position().toPoint())) {
            m_bar->hide();
            return;
        }
        e->ignore();
    }

private:
    CSizingControlBar* m_bar;
    bool m_pushed = false, m_raised = false;
};

}  // namespace

CSizingControlBar::CSizingControlBar() = default;

CSizingControlBar::~CSizingControlBar() {
    auto& bars = AllBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
}

const std::vector<CSizingControlBar*>& CSizingControlBar::Bars() { return AllBars(); }

bool CSizingControlBar::Create(const std::string& title, QMainWindow* parent, CSize size, bool hasGripper, unsigned id,
                               unsigned) {
    if (!parent) return false;
    setParent(parent);
    m_frame = parent;
    m_id = id;
    setObjectName(QString::number(id));
    setWindowTitle(QString::fromStdString(title));
    m_sizes.horz = m_sizes.vert = m_sizes.floating = size;
    m_gripper = hasGripper ? zor::kGripperSize : 0;
    setMinimumSize(m_sizes.minimum.cx, m_sizes.minimum.cy);
    if (hasGripper) {
        m_gripperWidget = new CBarGripper(this);
        setTitleBarWidget(m_gripperWidget);
    } else {
        setTitleBarWidget(new QWidget(this));
    }
    connect(this, &QDockWidget::dockLocationChanged, this, &CSizingControlBar::OnPlaceChanged);
    connect(this, &QDockWidget::topLevelChanged, this, &CSizingControlBar::OnPlaceChanged);
    if (std::find(AllBars().begin(), AllBars().end(), this) == AllBars().end()) AllBars().push_back(this);
    return true;
}

unsigned CSizingControlBar::DockBarId() const {
    if (!m_frame || isFloating()) return 0;
    switch (m_frame->dockWidgetArea(const_cast<CSizingControlBar*>(this))) {
    case Qt::TopDockWidgetArea: return zor::AFX_IDW_DOCKBAR_TOP;
    case Qt::LeftDockWidgetArea: return zor::AFX_IDW_DOCKBAR_LEFT;
    case Qt::RightDockWidgetArea: return zor::AFX_IDW_DOCKBAR_RIGHT;
    case Qt::BottomDockWidgetArea: return zor::AFX_IDW_DOCKBAR_BOTTOM;
    default: return 0;
    }
}

bool CSizingControlBar::IsFloating() const { return !zor::IsHorzDockBar(DockBarId()) && !zor::IsVertDockBar(DockBarId()); }
bool CSizingControlBar::IsHorzDocked() const { return zor::IsHorzDockBar(DockBarId()); }
bool CSizingControlBar::IsVertDocked() const { return zor::IsVertDockBar(DockBarId()); }

void CSizingControlBar::OnPlaceChanged() {
    // A bar docked along the top or bottom carries its gripper down its left side unless the
    // gripper is asked on top.
    setFeatures(IsHorzDocked() && !m_gripperOnTop ? features() | DockWidgetVerticalTitleBar
                                                  : features() & ~DockWidgetVerticalTitleBar);
    ApplySize();
}

void CSizingControlBar::ApplySize() {
    if (!m_frame) return;
    m_applying = true;
    const unsigned id = DockBarId();
    const CSize s = m_sizes.For(id);
    if (zor::IsHorzDockBar(id)) m_frame->resizeDocks({this}, {s.cy}, Qt::Vertical);
    else if (zor::IsVertDockBar(id)) m_frame->resizeDocks({this}, {s.cx}, Qt::Horizontal);
    else resize(s.cx, s.cy);
    m_applying = false;
}

void CSizingControlBar::resizeEvent(QResizeEvent* event) {
    QDockWidget::resizeEvent(event);
    if (m_applying || !isVisible()) return;
    // The size the user gave it is kept for the way it is shown now.
    m_sizes.For(DockBarId()) = CSize(width(), height());
}

void CSizingControlBar::LoadState(const std::string& profileName) {
    const std::string section = zor::SizingBarSection(profileName, m_id);
    auto read = [&](const char* key, int32_t& value) { value = GetProfileInt(section, key, value); };
    read("sizeHorzCX", m_sizes.horz.cx);
    read("sizeHorzCY", m_sizes.horz.cy);
    read("sizeVertCX", m_sizes.vert.cx);
    read("sizeVertCY", m_sizes.vert.cy);
    read("sizeFloatCX", m_sizes.floating.cx);
    read("sizeFloatCY", m_sizes.floating.cy);
    m_sizes.Clamp();
    if (isVisible()) ApplySize();
}

void CSizingControlBar::SaveState(const std::string& profileName) {
    const std::string section = zor::SizingBarSection(profileName, m_id);
    WriteProfileInt(section, "sizeHorzCX", m_sizes.horz.cx);
    WriteProfileInt(section, "sizeHorzCY", m_sizes.horz.cy);
    WriteProfileInt(section, "sizeVertCX", m_sizes.vert.cx);
    WriteProfileInt(section, "sizeVertCY", m_sizes.vert.cy);
    WriteProfileInt(section, "sizeFloatCX", m_sizes.floating.cx);
    WriteProfileInt(section, "sizeFloatCY", m_sizes.floating.cy);
}

void CSizingControlBar::GlobalLoadState(const std::string& profileName) {
    for (CSizingControlBar* bar : AllBars()) bar->LoadState(profileName);
}

void CSizingControlBar::GlobalSaveState(const std::string& profileName) {
    for (CSizingControlBar* bar : AllBars()) bar->SaveState(profileName);
}

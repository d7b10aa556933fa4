#include "controls/bars/rebar.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QPainter>
#include <QTimerEvent>

#include "controls/dialogs/button.h"
#include "controls/resources/bitmaps.h"
#include "controls/resources/palette.h"
#include "controls/stock_icons.h"

namespace zor {
int LogoFramesBitmapId(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? IDB_ZOR_LOGO_FRAMES16 : IDB_ZOR_LOGO_FRAMES256;
}
}  // namespace zor

int CzorReBar::MaxButtonCount = 17;

namespace {

// Paints the bar's background picture behind a band, before the band paints itself. Held by the band,
// which may be taken out of the bar and outlive it.
class BandBackground : public QObject {
public:
    BandBackground(QWidget* band, const CzorReBar* bar) : QObject(band), m_bar(bar) { band->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_bar && !m_bar->Background().isNull()) {
            auto* band = static_cast<QWidget*>(watched);
            QPainter p(band);
            p.drawTiledPixmap(band->rect(), m_bar->Background());
        }
        return false;
    }

private:
    QPointer<const CzorReBar> m_bar;
};

}  // namespace

CzorReBar::CzorReBar(QWidget* parent) : QWidget(parent), m_layout(new QHBoxLayout(this)), m_depth(&zorGetBitPerPixel) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(2);
    m_layout->addStretch(1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

CzorReBar::~CzorReBar() = default;

void CzorReBar::SetDepthProvider(DepthProvider provider) {
    m_depth = provider ? std::move(provider) : DepthProvider(&zorGetBitPerPixel);
}

void CzorReBar::AddBand(QWidget* band) {
    if (!band) return;
    // Bands keep their order; the logo band stays last, after the stretch.
    m_layout->insertWidget(int(m_bands.size()) - (m_logoBand ? 1 : 0), band);
    m_bands.insert(m_logoBand ? m_bands.end() - 1 : m_bands.end(), band);
    new BandBackground(band, this);
    band->update();
}

bool CzorReBar::CreateLogoBar(const QPixmap* background) {
    if (m_created) return true;
    const int stripId = zor::LogoFramesBitmapId(m_depth(this));
    if (!m_frames.Create(zor::LoadVistrelBitmap(stripId), kFrameWidth, zor::art::kMaskColour) ||
        m_frames.GetImageCount() < 2)
        return false;
    m_framesBitmapId = stripId;

    // A fixed band holding the button alone, as wide as one frame.
    m_logoBand = new QWidget(this);
    auto* band = new QHBoxLayout(m_logoBand);
    band->setContentsMargins(2, 2, 2, 2);
    m_logo = new CzorButton(m_logoBand);
    m_logo->setFixedSize(kFrameWidth, kFrameHeight);
    m_logo->setText(QString());
    m_logo->SetFlat(true, false);
    m_logo->DrawBorder(false, false);
    const QCursor hand(Qt::PointingHandCursor);
    m_logo->SetBtnCursor(&hand, false);
    band->addWidget(m_logo);
    m_logoBand->setFixedSize(m_logoBand->sizeHint());
    m_layout->addWidget(m_logoBand);
    m_bands.push_back(m_logoBand);
    new BandBackground(m_logoBand, this);
    connect(m_logo, &QPushButton::clicked, this, [this] { emit command(kLogoCommand); });

    if (background) SetBitmap(background);
    ShowPair(0);
    m_pair = -1;
    m_created = true;
    return true;
}

void CzorReBar::ShowPair(int pair) {
    if (!m_logo) return;
    m_shownPair = pair;
    // The button's first picture is the one shown while hovered.
    m_logo->SetIcon(m_frames.GetIcon(2 * pair + 1), m_frames.GetIcon(2 * pair));
}

void CzorReBar::StartAnimation(bool start) {
    if (!m_created) return;
    if (start) {
        m_pair = 1;
        ShowPair(1);
        m_timer.start(kAnimationMs, this);
    } else {
        m_timer.stop();
        m_pair = -1;
        ShowPair(0);
    }
}

void CzorReBar::OnTimer(int id) {
    if (id != kAnimationTimer || m_pair < 0) return;
    // A cycle set longer than the strip wraps at the strip's end rather than showing no logo.
    const int pairs = std::min(MaxButtonCount, m_frames.GetImageCount() / 2);
    if (++m_pair >= pairs) m_pair = 1;
    ShowPair(m_pair);
}

void CzorReBar::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId()) OnTimer(kAnimationTimer);
    else QWidget::timerEvent(event);
}

void CzorReBar::LogoDrawTransparent() {
    if (!m_created) return;
    m_logo->DrawTransparent(true);
}

void CzorReBar::SetBitmap(const QPixmap* background) {
    m_background = background ? *background : QPixmap();
    for (const QPointer<QWidget>& band : m_bands)
        if (band) band->update();
    if (m_logo) m_logo->DrawTransparent(background != nullptr);
}

#pragma once
// The frame's command bar area: the program's tool bars as bands side by side, all over one background
// picture, and a band with the animated logo button that opens the about box.
#include <functional>
#include <vector>

#include <QBasicTimer>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "controls/resources/imagelist.h"

class CzorButton;
class QHBoxLayout;

namespace zor {
// The strip of the logo band's frames for a screen of that depth: the 16-colour one up to 8 bits per pixel.
int LogoFramesBitmapId(int bitsPerPixel);
}  // namespace zor

class CzorReBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLogoCommand = 57664;  // the about box
    static constexpr int kAnimationTimer = 123;
    static constexpr int kAnimationMs = 100;
    static constexpr int kFrameWidth = 36, kFrameHeight = 20;
    // The pairs of one cycle: the resting pair 0 and the animation's pairs 1 to MaxButtonCount - 1.
    static int MaxButtonCount;

    // The colour depth of the screen a widget is on; the screen's own unless replaced (tests, since the
    // offscreen platform always has 32 bits).
    using DepthProvider = std::function<int(const QWidget*)>;

    explicit CzorReBar(QWidget* parent = nullptr);
    ~CzorReBar() override;

    void SetDepthProvider(DepthProvider provider);
    // A program's bar as the next band; it takes the background picture too.
    void AddBand(QWidget* band);
    const std::vector<QPointer<QWidget>>& Bands() const { return m_bands; }

    // The logo band at the end, resting; later calls do nothing. False when the frames cannot be made.
    bool CreateLogoBar(const QPixmap* background = nullptr);
    // Start: pair 1 and the timer every 100 ms; stop: the resting pair. Nothing before the logo band.
    void StartAnimation(bool start);
    // A tick of the timer with that id.
    void OnTimer(int id);
    void LogoDrawTransparent();
    // The picture behind every band; null removes it. The logo is drawn transparently over a picture.
    void SetBitmap(const QPixmap* background);

    bool IsLogoBarCreated() const { return m_created; }
    // -1 while resting.
    int CurrentPair() const { return m_pair; }
    // The pair whose pictures the logo button holds (the resting pair 0 while resting).
    int ShownPair() const { return m_shownPair; }
    bool IsTimerRunning() const { return m_timer.isActive(); }
    CzorButton* LogoButton() const { return m_logo; }
    QWidget* LogoBand() const { return m_logoBand; }
    const CImageList& Frames() const { return m_frames; }
    int FramesBitmapId() const { return m_framesBitmapId; }
    const QPixmap& Background() const { return m_background; }

signals:
    // The logo button's command.
    void command(int id);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ShowPair(int pair);
    void PaintBackground(QWidget* band);

    QHBoxLayout* m_layout;
    std::vector<QPointer<QWidget>> m_bands;
    QWidget* m_logoBand = nullptr;
    CzorButton* m_logo = nullptr;
    CImageList m_frames;
    int m_framesBitmapId = 0;
    int m_pair = -1;
    int m_shownPair = -1;
    bool m_created = false;
    QBasicTimer m_timer;
    QPixmap m_background;
    DepthProvider m_depth;
};

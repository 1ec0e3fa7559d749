#pragma once

// Windows taller or wider than the screen they open on: their content scrolls instead of
// running off the screen, while on a screen with room for it nothing changes.

#include <QScrollArea>

namespace platform {

// The room a window's own area has on the screen of `widget`: the screen less its panels
// and a title bar. Where the screen names no panel (no window manager has said), a panel's
// height is kept free as well.
QSize WindowRoom(const QWidget& widget);

// Holds `content` at its own sizes, scrolling it only where its window has made it give
// way (FitToScreen).
class FittingArea final : public QScrollArea {
    Q_OBJECT
public:
    explicit FittingArea(QWidget* content, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // How much less than its content the area may be, each way; with a scroll bar's room
    // added across.
    void giveWay(QSize less);

private:
    QSize lessened(QSize size) const;

    QSize m_less{0, 0};
};

// Makes the window's fitting areas give way as much as the window is larger than the room
// of its screen, so it opens whole on it; on a screen with room nothing changes.
void FitToScreen(QWidget& window);

} // namespace platform

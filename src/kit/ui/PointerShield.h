#pragma once

#include <QQuickItem>

// Takes every press, touch and click that reaches it, so nothing under a card or a bar acts on
// a touch meant for it: a map under a floating card adds no waypoint for a tap on the card's
// title, on a gap between its controls or on a disabled button. It sits behind the card's
// content, which still gets its touches first. The wheel goes on to what lies underneath (a
// page scrolls under the pointer) unless `blocksWheel` is set (a card over a map).
class PointerShield : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool blocksWheel READ blocksWheel WRITE setBlocksWheel NOTIFY blocksWheelChanged)

public:
    explicit PointerShield(QQuickItem *parent = nullptr);

    bool blocksWheel() const { return m_blocksWheel; }
    void setBlocksWheel(bool on);

signals:
    void blocksWheelChanged();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void touchEvent(QTouchEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;

private:
    bool m_blocksWheel = false;
};

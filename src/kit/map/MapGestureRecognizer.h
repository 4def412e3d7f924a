#pragma once

#include <QElapsedTimer>
#include <QEventPoint>
#include <QList>
#include <QPointF>
#include <QTimer>

#include <functional>
#include <optional>

class QMouseEvent;
class QTouchEvent;
class QWheelEvent;

// Tells the map's gestures apart in the input of the mouse, the wheel and the fingers, and
// reports each in item coordinates: a drag pans and may end in a fling; two fingers pan, zoom
// about their midpoint and rotate; a press that stays within the tap slop is a tap when released
// and a long press when held; a second tap soon after the first and near it is a double tap. It
// knows nothing of what the map shows. Time is read from the clock it is given (monotonic ms),
// so tests can drive it.
//
// The mouse and a single finger share one path (press, move, release); a second finger turns
// whatever the first began into a pinch, which ends with all fingers up and never as a tap.
// A press that takes hold of something (`holds`, asked at the press: a marker, say) makes its
// drag carry that thing instead of panning; the carry ends where the pointer lets go.
class MapGestureRecognizer
{
public:
    static constexpr double kTapSlop = 8;        // px a press may wander and still be a tap
    static constexpr qint64 kDoubleTapMs = 250;  // from one tap's release to the next one's
    static constexpr double kDoubleTapSlop = 40; // px between the two
    static constexpr qint64 kLongPressMs = 500;
    static constexpr qint64 kFlingRestMs = 80;     // a drag that rested this long before release does not fling
    static constexpr double kFlingMinSpeed = 0.05; // px per ms

    struct Reports {
        std::function<void()> contact; // a finger or the button came down (a fling stops)
        std::function<void(QPointF delta)> pan;
        std::function<void(double factor, QPointF anchor)> zoom; // two fingers, or the wheel
        std::function<void(double degrees)> rotate;              // the fingers' turn, counter-clockwise on screen
        std::function<void(QPointF velocity)> fling;             // px per ms, as the finger left
        std::function<void(QPointF at)> tap;
        std::function<void(QPointF at)> doubleTap; // the second tap; the first was reported as a tap
        std::function<void(QPointF at)> longPress; // the press then ends as no tap
        std::function<bool(QPointF at)> holds;     // a press here takes hold of something
        std::function<void(QPointF at)> carry;     // what it holds is dragged to here
        std::function<void(QPointF at)> drop;      // and let go here (also on a lost grab or a pinch)
    };
    using Clock = std::function<qint64()>;
    struct TouchPoint {
        int id = 0;
        QPointF pos;
        QEventPoint::State state = QEventPoint::Pressed;
    };

    // Without a clock, a monotonic one of its own.
    explicit MapGestureRecognizer(Reports reports, Clock clock = {});
    MapGestureRecognizer(const MapGestureRecognizer &) = delete;
    MapGestureRecognizer &operator=(const MapGestureRecognizer &) = delete;

    // The events as the item receives them.
    void mouseEvent(const QMouseEvent &e);
    void touchEvent(const QTouchEvent &e);
    void wheelEvent(const QWheelEvent &e);

    // What those come down to: one pointer, every finger of a touch event, and a lost grab.
    void press(QPointF pos);
    void move(QPointF pos);
    void release(QPointF pos);
    void touch(const QList<TouchPoint> &points);
    void wheel(double steps, QPointF at); // notches of 15° (120 units)
    void cancelPointer();                 // the mouse grab went elsewhere
    void cancelTouch();                   // the touch grab went elsewhere, or the touch was cancelled

    // Reports a long press that is due by the clock; a timer calls this, tests with a driven clock too.
    void poll();
    // The last tap was taken whole (it hit a marker): a tap soon after is a tap of its own.
    void forgetTap() { m_lastTap.reset(); }

    // While a drag or a pinch runs, the item keeps its grab.
    bool dragging() const { return m_dragging; }
    bool pinching() const { return m_pinching; }

private:
    void report(const std::function<void(QPointF)> &r, QPointF at) const
    {
        if (r)
            r(at);
    }
    void tapAt(QPointF pos);
    void pinchTo(QPointF a, QPointF b);
    void startPinch(const TouchPoint &a, const TouchPoint &b);
    void endCarry();

    Reports m_reports;
    QElapsedTimer m_epoch;
    Clock m_clock;
    QTimer m_longPressTimer;

    // One pointer
    bool m_pressed = false;
    bool m_dragging = false;
    bool m_held = false;     // the press became a long press
    bool m_carrying = false; // the press took hold of something
    QPointF m_pressPos, m_lastPos;
    qint64 m_lastMoveMs = 0;
    std::optional<qint64> m_longPressAt;
    QPointF m_velocity; // px per ms
    struct Tap {
        QPointF pos;
        qint64 ms;
    };
    std::optional<Tap> m_lastTap;

    // Two fingers
    bool m_pinching = false;
    int m_pinchIds[2] = {-1, -1};
    QPointF m_pinchA, m_pinchB;
};

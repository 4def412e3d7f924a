#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QRectF>

#include <optional>

// Where the on-screen keyboard covers the window (window coordinates; empty while none shows),
// for views that keep the focused field and their sheet above it. One object for the process, so
// a test can show a keyboard of a given size where no input method provides one.
class Keyboard : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QRectF area READ area NOTIFY areaChanged)
public:
    static Keyboard *instance();
    static Keyboard *create(QQmlEngine *, QJSEngine *);

    QRectF area() const;
    // Tests: act as if a keyboard covered `area`; std::nullopt hands back to the input method.
    void simulate(std::optional<QRectF> area);

Q_SIGNALS:
    void areaChanged();

private:
    Keyboard();
    std::optional<QRectF> m_simulated;
};

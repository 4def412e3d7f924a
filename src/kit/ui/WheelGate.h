#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickItem>

// Keeps the mouse wheel from an item while closed: the wheel then goes on to whatever lies
// behind the item, as if it were not there. A value control inside a scrolling page is gated
// this way, so that scrolling the page never turns a control that passes under the pointer.
class WheelGate : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem *target READ target WRITE setTarget NOTIFY targetChanged)
    Q_PROPERTY(bool open READ isOpen WRITE setOpen NOTIFY openChanged)
public:
    explicit WheelGate(QObject *parent = nullptr) : QObject(parent) {}
    ~WheelGate() override;

    QQuickItem *target() const { return m_target; }
    void setTarget(QQuickItem *item);
    bool isOpen() const { return m_open; }
    void setOpen(bool open);

Q_SIGNALS:
    void targetChanged();
    void openChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QQuickItem> m_target;
    bool m_open = false;
};

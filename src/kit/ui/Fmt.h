#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QVariant>

// printf-style formatting for QML bindings: Fmt.f("%.0fm", altitude).
class Fmt : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    explicit Fmt(QObject *parent = nullptr) : QObject(parent) {}
    Q_INVOKABLE QString f(const QString &format, const QVariant &a = {}, const QVariant &b = {},
                          const QVariant &c = {}) const;
};

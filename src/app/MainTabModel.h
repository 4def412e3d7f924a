#pragma once

#include "AppState.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QVariantList>

// The tab bar: the six tabs in order with title, icon and screen, and the selection bound
// both ways to the application state.
class MainTabModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AppState *appState READ appState WRITE setAppState NOTIFY appStateChanged)
    Q_PROPERTY(QVariantList tabs READ tabs CONSTANT)
    Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex NOTIFY currentIndexChanged)
public:
    explicit MainTabModel(QObject *parent = nullptr) : QObject(parent) {}

    AppState *appState() const { return m_appState; }
    void setAppState(AppState *state);

    // Each entry: {raw, title, icon, screen}; screen is the QML file of the tab's screen.
    static QVariantList tabs();
    static QString screenUrl(AppTab tab);

    int currentIndex() const;
    void setCurrentIndex(int index);

Q_SIGNALS:
    void appStateChanged();
    void currentIndexChanged();

private:
    QPointer<AppState> m_appState;
};

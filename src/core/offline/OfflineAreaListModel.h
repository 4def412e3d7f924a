#pragma once

#include "OfflineStore.h"

#include <QAbstractListModel>

// The offline areas as Settings lists them, newest first.
class OfflineAreaListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    enum Role { AreaIdRole = Qt::UserRole + 1, NameRole, DetailRole, StatusRole };
    using QAbstractListModel::QAbstractListModel;

    int count() const { return int(m_areas.size()); }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : count(); }
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setAreas(const QList<zeltrin::offline::OfflineArea> &areas);
    const QList<zeltrin::offline::OfflineArea> &list() const { return m_areas; }

    // "Zoom 14–17 · 31 MB · 9 Dec 2026".
    static QString detailText(const zeltrin::offline::OfflineArea &a);
    // "" for a complete area, else what it is waiting for ("Paused · 812 of 1,234 tiles").
    static QString statusText(const zeltrin::offline::OfflineArea &a);

Q_SIGNALS:
    void countChanged();

private:
    QList<zeltrin::offline::OfflineArea> m_areas;
};

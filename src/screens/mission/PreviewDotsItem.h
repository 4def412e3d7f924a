#pragma once

#include <QColor>
#include <QPointer>
#include <QQuickItem>

class Mission3DPreviewModel;

// The preview's waypoint dots: one geometry node (GPU renderers) or one image node per dot
// (software), sharing their disc textures. A row of thousands
// of dots is mostly off screen, so only the dots inside the item are built, and the tree is rebuilt
// only when what it shows changes (not on every frame of the playback).
class PreviewDotsItem : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(Mission3DPreviewModel *preview READ preview WRITE setPreview NOTIFY previewChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(int builtDots READ builtDots NOTIFY builtDotsChanged)
public:
    explicit PreviewDotsItem(QQuickItem *parent = nullptr);

    Mission3DPreviewModel *preview() const { return m_preview; }
    void setPreview(Mission3DPreviewModel *p);
    QColor color() const { return m_color; }
    void setColor(const QColor &c);
    // Dots in the last built node, for tests and benchmarks.
    int builtDots() const { return m_builtDots; }

    // What the node shows: visible dot range, the solid/faded boundary within it, the lift.
    struct Look {
        long long first = 0, last = -1, solidUpTo = -1;
        double lift = 0, width = 0, height = 0, dpr = 1;
        bool operator==(const Look &) const = default;
    };
    Look currentLook() const;

Q_SIGNALS:
    void previewChanged();
    void colorChanged();
    void builtDotsChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *old, UpdatePaintNodeData *) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    void refresh();
    void updateImageNodes(QSGNode *root, const Look &l, int dots);
    QPointer<Mission3DPreviewModel> m_preview;
    QColor m_color;
    Look m_look;
    bool m_dirty = true;
    int m_builtDots = 0;
};

#pragma once

#include <QObject>
#include <QQmlEngine>
#include <QString>

#include <span>

namespace zeltrin {

// One symbolic icon identifier and the Material Icons glyph that stands for it.
struct IconGlyph {
    const char *id;           // symbolic identifier used by the screens, e.g. "house.fill"
    const char *materialName; // name in the Material Icons font
    char16_t codePoint;
};

std::span<const IconGlyph> iconTable();

// The glyph text for an identifier; an unknown identifier gives an empty text.
QString iconGlyph(QStringView id);
bool hasIcon(QStringView id);

} // namespace zeltrin

// Icon lookup for QML: Icons.glyph("house.fill") in Icons.family.
class Icons : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString family READ family CONSTANT)
public:
    explicit Icons(QObject *parent = nullptr) : QObject(parent) {}
    static QString family(); // the bundled icon font, registered at start
    Q_INVOKABLE QString glyph(const QString &id) const { return zeltrin::iconGlyph(id); }
    Q_INVOKABLE QStringList allIds() const;
};

#pragma once

#include <QColor>
#include <QObject>
#include <QQmlEngine>

// The palette, platform colours and text styles, for QML.
class Theme : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QColor themeBackground READ themeBackground CONSTANT)
    Q_PROPERTY(QColor themeSurface READ themeSurface CONSTANT)
    Q_PROPERTY(QColor themeSurfaceRaised READ themeSurfaceRaised CONSTANT)
    Q_PROPERTY(QColor themeGold READ themeGold CONSTANT)
    Q_PROPERTY(QColor themeBlue READ themeBlue CONSTANT)
    Q_PROPERTY(QColor themeRed READ themeRed CONSTANT)
    Q_PROPERTY(QColor themeGreen READ themeGreen CONSTANT)
    Q_PROPERTY(QColor themeGrey READ themeGrey CONSTANT)

    // Platform look for dark mode.
    Q_PROPERTY(QColor secondaryText MEMBER m_secondaryText CONSTANT)
    Q_PROPERTY(QColor tertiaryText MEMBER m_tertiaryText CONSTANT)
    Q_PROPERTY(QColor separator MEMBER m_separator CONSTANT)
    Q_PROPERTY(QColor platformRed MEMBER m_platformRed CONSTANT)
    Q_PROPERTY(QColor platformGreen MEMBER m_platformGreen CONSTANT)
    Q_PROPERTY(QColor platformGrey MEMBER m_platformGrey CONSTANT)

    // Text styles (points = device-independent pixels).
    Q_PROPERTY(QString fontFamily MEMBER m_fontFamily CONSTANT)
    Q_PROPERTY(QString monoFamily MEMBER m_monoFamily CONSTANT)
    Q_PROPERTY(int largeTitle MEMBER m_largeTitle CONSTANT)
    Q_PROPERTY(int title MEMBER m_title CONSTANT)
    Q_PROPERTY(int title2 MEMBER m_title2 CONSTANT)
    Q_PROPERTY(int title3 MEMBER m_title3 CONSTANT)
    Q_PROPERTY(int headline MEMBER m_headline CONSTANT)
    Q_PROPERTY(int body MEMBER m_body CONSTANT)
    Q_PROPERTY(int callout MEMBER m_callout CONSTANT)
    Q_PROPERTY(int subheadline MEMBER m_subheadline CONSTANT)
    Q_PROPERTY(int footnote MEMBER m_footnote CONSTANT)
    Q_PROPERTY(int caption MEMBER m_caption CONSTANT)
    Q_PROPERTY(int caption2 MEMBER m_caption2 CONSTANT)

public:
    explicit Theme(QObject *parent = nullptr);

    QColor themeBackground() const;
    QColor themeSurface() const;
    QColor themeSurfaceRaised() const;
    QColor themeGold() const;
    QColor themeBlue() const;
    QColor themeRed() const;
    QColor themeGreen() const;
    QColor themeGrey() const;

    // Colour with its alpha replaced, for "themeGold at 12 %" and the like.
    Q_INVOKABLE QColor alpha(const QColor &c, double opacity) const;
    Q_INVOKABLE QColor fromHex(const QString &text) const;
    // Writes a property the way a control's own C++ does, so a binding its owner set stays in
    // place (a write from QML would remove it). For controls that move their value themselves.
    Q_INVOKABLE void writeKeepingBinding(QObject *target, const QString &name, const QVariant &value) const;

private:
    QColor m_secondaryText{235, 235, 245, 153};
    QColor m_tertiaryText{235, 235, 245, 77};
    QColor m_separator{84, 84, 88, 166};
    QColor m_platformRed{0xFF, 0x45, 0x3A};
    QColor m_platformGreen{0x30, 0xD1, 0x58};
    QColor m_platformGrey{0x8E, 0x8E, 0x93};
    QString m_fontFamily = QStringLiteral(ZELTRIN_TEXT_FAMILY);
    QString m_monoFamily = QStringLiteral("DejaVu Sans Mono");
    int m_largeTitle = 34, m_title = 28, m_title2 = 22, m_title3 = 20, m_headline = 17, m_body = 17,
        m_callout = 16, m_subheadline = 15, m_footnote = 13, m_caption = 12, m_caption2 = 11;
};

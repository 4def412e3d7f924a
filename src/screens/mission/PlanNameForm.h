#pragma once

#include <QObject>
#include <QPointF>
#include <QQmlEngine>

class PlanLibraryModel;

// The naming sheet of the plan library: a name for the plan on the map ("Save…") or a new one
// for a saved plan ("Rename"). The name's faults show as it is typed; a name another plan holds
// asks before a save replaces that plan, and is refused for a rename.
class PlanNameForm : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The plan library owns its naming sheet")
    Q_PROPERTY(bool presented READ presented WRITE setPresented NOTIFY presentedChanged)
    Q_PROPERTY(bool isRename READ isRename NOTIFY modeChanged)
    Q_PROPERTY(QString title READ title NOTIFY modeChanged)
    Q_PROPERTY(QString actionText READ actionText NOTIFY modeChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    // What is wrong with the name or went wrong on the last try, in the pilot's words.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
    Q_PROPERTY(bool canSubmit READ canSubmit NOTIFY problemChanged)
    // The plan being named: its outline and "12 waypoints · 50 m · 8 m/s" (or its date).
    Q_PROPERTY(QList<QPointF> outline READ outline NOTIFY modeChanged)
    Q_PROPERTY(QString summary READ summary NOTIFY modeChanged)
    // A save over a plan of the same name, waiting for the pilot's word.
    Q_PROPERTY(bool replacePending READ replacePending NOTIFY replacePendingChanged)
    Q_PROPERTY(QString replaceTitle READ replaceTitle NOTIFY replacePendingChanged)

public:
    explicit PlanNameForm(PlanLibraryModel *library);

    bool presented() const { return m_presented; }
    void setPresented(bool v);
    bool isRename() const { return !m_fileName.isEmpty(); }
    QString title() const;
    QString actionText() const;
    QString text() const { return m_text; }
    void setText(const QString &text);
    QString problem() const;
    bool canSubmit() const;
    QList<QPointF> outline() const { return m_outline; }
    QString summary() const { return m_summary; }
    bool replacePending() const { return m_replacePending; }
    QString replaceTitle() const;

    // Opens the sheet for the planner's plan, or for the saved plan in `fileName`.
    void beginSave(const QString &name, const QList<QPointF> &outline, const QString &summary, bool hasWaypoints);
    void beginRename(const QString &fileName, const QString &name, const QList<QPointF> &outline,
                     const QString &summary);

    // The sheet's action (and the keyboard's Enter).
    Q_INVOKABLE void submit();
    Q_INVOKABLE void confirmReplace();
    Q_INVOKABLE void cancelReplace();

Q_SIGNALS:
    void presentedChanged();
    void modeChanged();
    void textChanged();
    void problemChanged();
    void replacePendingChanged();

private:
    void finish();
    void setFailure(const QString &text);
    PlanLibraryModel *m_library;
    bool m_presented = false;
    QString m_fileName; // the plan being renamed; empty for a save
    QString m_originalName;
    QString m_text;
    QString m_failure; // of the last try, until the name changes
    QList<QPointF> m_outline;
    QString m_summary;
    bool m_hasWaypoints = false;
    bool m_replacePending = false;
};

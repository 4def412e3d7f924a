#include "PlanNameForm.h"

#include "PlanLibrary.h"
#include "PlanLibraryModel.h"

#include <QFileInfo>

using zeltrin::planio::PlanLibrary;

PlanNameForm::PlanNameForm(PlanLibraryModel *library) : QObject(library), m_library(library) {}

void PlanNameForm::setPresented(bool v)
{
    if (m_presented == v)
        return;
    m_presented = v;
    if (!v && m_replacePending) {
        m_replacePending = false;
        Q_EMIT replacePendingChanged();
    }
    Q_EMIT presentedChanged();
}

QString PlanNameForm::title() const
{
    return isRename() ? QStringLiteral("Rename Plan") : QStringLiteral("Save Plan");
}

QString PlanNameForm::actionText() const
{
    return isRename() ? QStringLiteral("Rename") : QStringLiteral("Save");
}

void PlanNameForm::setText(const QString &text)
{
    if (m_text == text && m_failure.isEmpty())
        return;
    m_text = text;
    m_failure.clear();
    Q_EMIT textChanged();
    Q_EMIT problemChanged();
}

QString PlanNameForm::problem() const
{
    if (!m_failure.isEmpty())
        return m_failure;
    if (!isRename() && !m_hasWaypoints)
        return QStringLiteral("The plan has no waypoints to save.");
    // An empty field only keeps the action off: nothing is wrong before anything is typed.
    if (m_text.trimmed().isEmpty())
        return {};
    return PlanLibrary::nameProblem(m_text);
}

bool PlanNameForm::canSubmit() const
{
    return (isRename() || m_hasWaypoints) && PlanLibrary::nameProblem(m_text).isEmpty();
}

QString PlanNameForm::replaceTitle() const
{
    if (!m_replacePending)
        return {};
    const QString holder = m_library->library().fileNamed(m_text);
    const QString name = holder.isEmpty() ? m_text.trimmed() : QFileInfo(holder).completeBaseName();
    return QStringLiteral("Replace \u201C%1\u201D?").arg(name);
}

void PlanNameForm::beginSave(const QString &name, const QList<QPointF> &outline, const QString &summary,
                             bool hasWaypoints)
{
    m_fileName.clear();
    m_originalName.clear();
    m_text = name;
    m_failure.clear();
    m_outline = outline;
    m_summary = summary;
    m_hasWaypoints = hasWaypoints;
    Q_EMIT modeChanged();
    Q_EMIT textChanged();
    Q_EMIT problemChanged();
    setPresented(true);
}

void PlanNameForm::beginRename(const QString &fileName, const QString &name, const QList<QPointF> &outline,
                               const QString &summary)
{
    m_fileName = fileName;
    m_originalName = name;
    m_text = name;
    m_failure.clear();
    m_outline = outline;
    m_summary = summary;
    m_hasWaypoints = true;
    Q_EMIT modeChanged();
    Q_EMIT textChanged();
    Q_EMIT problemChanged();
    setPresented(true);
}

void PlanNameForm::setFailure(const QString &text)
{
    m_failure = text;
    Q_EMIT problemChanged();
}

void PlanNameForm::finish()
{
    setPresented(false);
}

void PlanNameForm::submit()
{
    if (!m_presented || m_replacePending || !canSubmit())
        return;
    const QString name = m_text.trimmed();
    if (isRename()) {
        if (name == m_originalName) {
            finish();
            return;
        }
        const QString holder = m_library->library().fileNamed(name);
        if (!holder.isEmpty() && holder != m_fileName) {
            setFailure(QStringLiteral("A plan named \u201C%1\u201D already exists.")
                           .arg(QFileInfo(holder).completeBaseName()));
            return;
        }
        if (const QString e = m_library->renamePlan(m_fileName, name); !e.isEmpty()) {
            setFailure(e);
            return;
        }
        finish();
        return;
    }
    if (!m_library->library().fileNamed(name).isEmpty()) {
        m_replacePending = true;
        Q_EMIT replacePendingChanged();
        return;
    }
    if (const QString e = m_library->savePlanAs(name); !e.isEmpty()) {
        setFailure(e);
        return;
    }
    finish();
}

void PlanNameForm::confirmReplace()
{
    if (!m_replacePending)
        return;
    m_replacePending = false;
    Q_EMIT replacePendingChanged();
    if (const QString e = m_library->savePlanAs(m_text.trimmed()); !e.isEmpty()) {
        setFailure(e);
        return;
    }
    finish();
}

void PlanNameForm::cancelReplace()
{
    if (!m_replacePending)
        return;
    m_replacePending = false;
    Q_EMIT replacePendingChanged();
}

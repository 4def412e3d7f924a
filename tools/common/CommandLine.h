#pragma once

// The command lines of the project's tools and benchmarks, read alike: --help prints the usage
// and ends the process with status 0; an unknown option, a missing value or a stray argument
// ends it with a message and status 2, before the program has done or written anything. Read
// before any QCoreApplication exists, as some programs choose their platform from their options.
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zeltrin::cli {

class CommandLine
{
public:
    // `description` says what the program does; the program adds its options and positional
    // arguments to parser() before parseOrExit().
    CommandLine(int argc, char **argv, const QString &description)
    {
        for (int i = 0; i < argc; ++i)
            m_arguments << QString::fromLocal8Bit(argv[i]);
        m_program = QFileInfo(m_arguments.value(0)).fileName();
        m_parser.setApplicationDescription(description);
        m_help = m_parser.addHelpOption();
    }

    QCommandLineParser &parser() { return m_parser; }
    const QString &program() const { return m_program; }

    // Parses, or ends the process: at --help with the usage, at a fault with what is wrong.
    // At most `maxPositional` positional arguments are taken.
    void parseOrExit(qsizetype maxPositional)
    {
        if (!m_parser.parse(m_arguments))
            fail(m_parser.errorText());
        if (m_parser.isSet(m_help) || m_parser.isSet(QStringLiteral("help-all"))) {
            QString text = m_parser.helpText();
            text.replace(QStringLiteral("<executable_name>"), m_program);
            std::fputs(qPrintable(text), stdout);
            std::exit(0);
        }
        const QStringList extra = m_parser.positionalArguments().mid(maxPositional);
        if (!extra.isEmpty())
            fail(QStringLiteral("unexpected argument '%1'.").arg(extra.first()));
    }

    QString positional(qsizetype i, const QString &fallback = {}) const
    {
        return m_parser.positionalArguments().value(i, fallback);
    }

    // A number given on the command line (`what` names it in the message), or the process ends.
    double number(const QString &what, const QString &text) const
    {
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            fail(QStringLiteral("%1 must be a number, not '%2'.").arg(what, text));
        return v;
    }
    int wholeNumber(const QString &what, const QString &text) const
    {
        bool ok = false;
        const int v = text.toInt(&ok);
        if (!ok)
            fail(QStringLiteral("%1 must be a whole number, not '%2'.").arg(what, text));
        return v;
    }

    [[noreturn]] void fail(const QString &message) const
    {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", qPrintable(m_program), qPrintable(message),
                     qPrintable(m_program));
        std::exit(2);
    }

private:
    QStringList m_arguments;
    QString m_program;
    QCommandLineParser m_parser;
    QCommandLineOption m_help{QStringLiteral("help")};
};

} // namespace zeltrin::cli

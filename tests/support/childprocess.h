#pragma once

// Programs run in a child process: the built zuvi as a user runs it from a shell, and
// pdftotext for the text of a written PDF. QtCore only, so that a test which links nothing
// of the application can use it. The test's target defines ZUVI_BINARY as the path of the
// built program.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace Zuvi::Test {

/// What a run of the program gave back.
struct ZuviRun
{
    /// False when the program did not start, crashed or ran past its time: the exit code
    /// and the output then say nothing, and a test checks this first.
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QString outText() const { return QString::fromLocal8Bit(out); }
    QString errText() const { return QString::fromLocal8Bit(err); }
};

#ifdef ZUVI_BINARY
/// Runs the built program with no display at all, so that a command that wanted a window
/// fails, in the test's environment (XDG_DATA_HOME of a TempInstall included) with the
/// variables of `extra` set on top.
inline ZuviRun runZuvi(const QStringList &arguments, const QProcessEnvironment &extra = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const QStringList names = extra.keys();
    for (const QString &name : names)
        environment.insert(name, extra.value(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZUVI_BINARY), arguments);
    ZuviRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.finished = true;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
#endif

/// The text of a PDF file as pdftotext lays it out, pages separated by form feeds; a text
/// that says so when pdftotext fails, which no expected text matches.
inline QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path,
                   QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>")
            .arg(QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace Zuvi::Test

#include "support/unprivileged.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace unprivileged {

namespace {

constexpr const char* User = "nobody";
constexpr const char* Group = "nogroup";
constexpr int ChildMs = 120'000;
constexpr auto Everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

ChildRun notRun(const QString& why) {
    ChildRun run;
    run.output = why;
    return run;
}

} // namespace

bool isRoot() {
    return ::geteuid() == 0;
}

ChildRun runCurrentRowAsNobody() {
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (setpriv.isEmpty()) {
        return notRun("setpriv (util-linux) is not installed");
    }
    if (!::getpwnam(User) || !::getgrnam(Group)) {
        return notRun(QString("there is no user %1 or group %2").arg(User, Group));
    }
    QTemporaryDir dir;
    const QString program = dir.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!dir.isValid() || !QFile::setPermissions(dir.path(), Everyone) ||
        !QFile::copy(QCoreApplication::applicationFilePath(), program) ||
        !QFile::setPermissions(program, Everyone)) {
        return notRun("cannot copy the test program to a folder nobody can reach");
    }
    QString row = QTest::currentTestFunction();
    if (QTest::currentDataTag()) {
        row += ':' + QString::fromUtf8(QTest::currentDataTag());
    }
    QProcess child;
    child.setWorkingDirectory(dir.path());
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Root's own runtime folder is no use to nobody.
    environment.remove("XDG_RUNTIME_DIR");
    child.setProcessEnvironment(environment);
    child.start(setpriv, {QString("--reuid=%1").arg(User), QString("--regid=%1").arg(Group), "--clear-groups",
                          "--", program, row});
    if (!child.waitForFinished(ChildMs)) {
        child.kill();
        child.waitForFinished();
        return notRun("the child did not finish: " + child.errorString());
    }
    const QString output = QString::fromLocal8Bit(child.readAll());
    // A child that never reached the test (setpriv refused, the program did not load) ran nothing.
    if (!output.contains("Start testing of")) {
        return notRun(output.trimmed());
    }
    const qsizetype totals = output.indexOf("Totals:");
    return {true, child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output,
            totals < 0 ? QString() : output.mid(totals, output.indexOf('\n', totals) - totals)};
}

} // namespace unprivileged

// The program looks for its buzzer sound and its manual in the folder of its executable, and the
// installed program is started through bin/ravenmark, a link into lib/ravenmark/. These cases copy
// this test program into such a tree, start the copy the ways a user's shell or menu would, and
// check that the folder Qt reports is the real one, not the link's.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace Qt::StringLiterals;

namespace {

constexpr char PrintDirArgument[] = "--print-application-dir";
// Where the copy of this program lives in every case, as the install has it.
constexpr char ProgramFolder[] = "lib/ravenmark";

struct Link {
    QString path;   // relative to the scratch folder
    QString target; // as written into the link; "{root}" stands for the scratch folder
};

} // namespace

Q_DECLARE_METATYPE(QList<Link>)

class TestApplicationDir : public QObject {
    Q_OBJECT

private slots:
    void reportsTheRealFolder_data();
    void reportsTheRealFolder();
};

void TestApplicationDir::reportsTheRealFolder_data() {
    QTest::addColumn<QList<Link>>("links");
    QTest::addColumn<QString>("start");     // what the shell runs, with the scratch folder as working folder
    QTest::addColumn<QString>("argument0"); // what the program is told its name is; empty: as started

    const Link binLink{"bin/ravenmark", "../lib/ravenmark/ravenmark"};
    QTest::newRow("started directly") << QList<Link>{} << u"lib/ravenmark/ravenmark"_s << u""_s;
    QTest::newRow("relative link, as installed") << QList<Link>{binLink} << u"bin/ravenmark"_s << u""_s;
    QTest::newRow("absolute link") << QList<Link>{{"bin/ravenmark", "{root}/lib/ravenmark/ravenmark"}}
                                   << u"bin/ravenmark"_s << u""_s;
    QTest::newRow("link to a link") << QList<Link>{binLink, {"games/ravenmark", "../bin/ravenmark"}}
                                    << u"games/ravenmark"_s << u""_s;
    QTest::newRow("linked folder") << QList<Link>{{"opt", "lib/ravenmark"}} << u"opt/ravenmark"_s << u""_s;
    QTest::newRow("by name through PATH, as a menu does") << QList<Link>{binLink} << u"ravenmark"_s << u""_s;
    QTest::newRow("link in a folder with spaces and accents")
        << QList<Link>{{"Mes programmes/ravenmark", "../lib/ravenmark/ravenmark"}}
        << u"Mes programmes/ravenmark"_s << u""_s;
    // The name a program is given is only a claim; the folder must come from the file that runs.
    QTest::newRow("misleading name") << QList<Link>{binLink} << u"bin/ravenmark"_s
                                     << u"/usr/games/ravenmark"_s;
}

void TestApplicationDir::reportsTheRealFolder() {
    QFETCH(QList<Link>, links);
    QFETCH(QString, start);
    QFETCH(QString, argument0);

    // GIVEN a copy of this program in lib/ravenmark/ and the links of the case
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString root = QDir(scratch.path()).canonicalPath();
    QVERIFY(QDir(root).mkpath(QLatin1StringView(ProgramFolder)));
    QVERIFY(QDir(root).mkpath(QStringLiteral("bin")));
    const QString program = root + "/" + ProgramFolder + "/ravenmark";
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
    QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner));
    for (const Link& link : links) {
        const QString path = root + "/" + link.path;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QString target = link.target;
        target.replace(QStringLiteral("{root}"), root);
        std::error_code error;
        std::filesystem::create_symlink(target.toStdString(), path.toStdString(), error);
        QVERIFY2(!error, qPrintable(path + ": " + QString::fromStdString(error.message())));
    }

    // WHEN the shell starts it, with bin/ first on PATH
    QProcess shell;
    shell.setWorkingDirectory(root);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), root + "/bin:" + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("ARGUMENT0"), argument0.isEmpty() ? start : argument0);
    environment.insert(QStringLiteral("START"), start);
    shell.setProcessEnvironment(environment);
    shell.start(
        QStringLiteral("/bin/bash"),
        {QStringLiteral("-c"), QStringLiteral("exec -a \"$ARGUMENT0\" \"$START\" %1").arg(PrintDirArgument)});
    QVERIFY2(shell.waitForFinished(30000), "the copy did not finish");
    QCOMPARE(shell.exitStatus(), QProcess::NormalExit);
    QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());

    // THEN Qt reports the folder of the real file
    QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()).trimmed(), root + "/" + ProgramFolder);
}

int main(int argc, char** argv) {
    // Started by a case: say where Qt thinks this program is, and nothing else.
    if (argc == 2 && std::strcmp(argv[1], PrintDirArgument) == 0) {
        QCoreApplication app(argc, argv);
        std::puts(QCoreApplication::applicationDirPath().toUtf8().constData());
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestApplicationDir test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_applicationdir.moc"

/** @file tst_desktopassociation.cpp ** Desktop entries and MIME packages of file associations:
 ** the Exec line survives any program path, the files pass the desktop's own validator, and
 ** removing leaves nothing of what was written. **/
#include "platform/DesktopAssociation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

pm::DesktopAssociation projectType(const QString& program)
{
    pm::DesktopAssociation a;
    a.id = QStringLiteral("pagemason-pmpfile-open");
    a.name = QStringLiteral("Pagemason");
    a.program = program;
    a.mimeType = QStringLiteral("application/x-pagemason-project");
    a.icon = QStringLiteral("pagemason");
    a.mimeComment = QStringLiteral("Pagemason project");
    a.glob = QStringLiteral("*.pmp");
    return a;
}

/// The program desktop-file-validate would see after unquoting the Exec value: the desktop
/// entry string escapes first, then the quoting of one argument.
QString unquoteExecArgument(const QString& value)
{
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar n = value[++i];
            unescaped += n == u'n' ? QChar(u'\n') : n == u't' ? QChar(u'\t') : n;
        } else {
            unescaped += value[i];
        }
    }
    if (!unescaped.startsWith(u'"') || !unescaped.endsWith(u'"'))
        return QStringLiteral("<not quoted>");
    QString out;
    for (qsizetype i = 1; i + 1 < unescaped.size(); ++i) {
        if (unescaped[i] == u'\\')
            ++i;
        else if (unescaped[i] == u'%')
            ++i; // "%%"
        out += unescaped[i];
    }
    return out;
}

} // namespace

class TestDesktopAssociation : public QObject
{
    Q_OBJECT
private slots:
    void execArgument_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << "/usr/bin/pagemason";
        QTest::newRow("blanks") << "/opt/my apps/page mason";
        QTest::newRow("quotes and backslashes") << "/opt/\"q\"/it's\\here";
        QTest::newRow("shell characters") << "/opt/$HOME/`id`;|&<>*?#()~/pm";
        QTest::newRow("percent") << "/opt/100%/%f";
    }
    void execArgument()
    {
        QFETCH(QString, program);
        QCOMPARE(unquoteExecArgument(pm::desktopExecArgument(program)), program);
    }

    void filesPassTheValidator_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << "/usr/bin/pagemason";
        QTest::newRow("awkward path") << "/opt/my \"apps\"/$x `y` 100%/pagemason";
    }
    void filesPassTheValidator()
    {
        QFETCH(QString, program);
        const QString validator
            = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (scripts/deps.sh installs it)");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pagemason-pmpfile-open.desktop"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pm::desktopEntryText(projectType(program)).toUtf8());
        file.close();
        QProcess p;
        p.start(validator, { path });
        QVERIFY(p.waitForFinished(20000));
        QVERIFY2(p.exitCode() == 0 && p.readAllStandardOutput().trimmed().isEmpty(),
            qPrintable(QString::fromUtf8(p.readAllStandardError())));
    }

    void installAndRemove()
    {
        QTemporaryDir home;
        const QString data = home.path() + u'/';
        const pm::DesktopAssociation a = projectType(QStringLiteral("/usr/bin/pagemason"));
        QString error;
        QVERIFY2(pm::installDesktopAssociation(a, data, &error), qPrintable(error));
        QVERIFY(
            QFile::exists(data + QStringLiteral("applications/pagemason-pmpfile-open.desktop")));
        QFile mime(data + QStringLiteral("mime/packages/pagemason-pmpfile-open.xml"));
        QVERIFY(mime.open(QIODevice::ReadOnly));
        const QByteArray xml = mime.readAll();
        QVERIFY(xml.contains("<mime-type type=\"application/x-pagemason-project\">"));
        QVERIFY(xml.contains("<glob pattern=\"*.pmp\"/>"));
        mime.close();

        QVERIFY2(pm::removeDesktopAssociation(a.id, data, &error), qPrintable(error));
        QVERIFY(
            !QFile::exists(data + QStringLiteral("applications/pagemason-pmpfile-open.desktop")));
        QVERIFY(!QFile::exists(data + QStringLiteral("mime/packages/pagemason-pmpfile-open.xml")));
        // Removing what is not there is no failure.
        QVERIFY(pm::removeDesktopAssociation(a.id, data, &error));
    }

    // An applications folder that cannot be made (a file stands in its place, which stops root
    // too): a clear reason and no half association left behind.
    void unwritableApplicationsFolder()
    {
        QTemporaryDir home;
        const QString data = home.path() + u'/';
        QFile blocker(data + QStringLiteral("applications"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString error;
        QVERIFY(!pm::installDesktopAssociation(
            projectType(QStringLiteral("/usr/bin/pm")), data, &error));
        QVERIFY2(error.contains(data + QStringLiteral("applications")), qPrintable(error));
        QVERIFY(!QFile::exists(data + QStringLiteral("mime/packages/pagemason-pmpfile-open.xml")));
    }
};

QTEST_GUILESS_MAIN(TestDesktopAssociation)
#include "tst_desktopassociation.moc"

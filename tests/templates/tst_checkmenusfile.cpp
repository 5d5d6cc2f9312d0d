/** @file tst_checkmenusfile.cpp ** The command-line check of a menus file, the check after the menus
 ** file is saved, and the shipped menus file. **/
#include "core/errors_utl.h"
#include "core/global_utl.h"
#include "core/status_utl.h"
#include "platform/ScriptedDialogs.h"
#include "templates/TMenusFile.h"
#include "templates/TScriptedWizard.h"
#include "templates/dynamicMenus_utl.h"
#include "templates/requestSyntax.h"
#include "templates/templateRunner.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString dataDir = QStringLiteral(TEST_DATA_DIR "/templates/");
const QString shippedFile = QStringLiteral(TEST_DATA_DIR "/../../shipped/default.mnu");

class RowsHost : public TStatusSink
{
public:
    RowsHost() { setStatusSink(this); }
    ~RowsHost() override { setStatusSink(nullptr); }
    void statusChanged(const QString&) override {}
    void progressChanged(int, int) override {}
    void resultRowAdded(const QStringList& columns) override { rows << columns; }
    void resultsPageShown() override { ++resultsShown; }
    QList<QStringList> rows;
    int resultsShown = 0;
};

QString runCheck(const QString& file, int& exitCode)
{
    QString text;
    QTextStream out(&text);
    exitCode = checkMenusFile(file, out);
    return text;
}

} // namespace

class tst_CheckMenusFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write fixture");
        return path;
    }

private slots:
    void goldenOutputForKnownErrors();
    void shippedFileIsClean();
    void shippedEntriesRun_data();
    void shippedEntriesRun();
    void missingFile();
    void badInput_data();
    void badInput();
    void hugeFile();
    void afterSaveOneBadLine();
    void afterSaveCleanFileAndOtherFiles();
};

void tst_CheckMenusFile::goldenOutputForKnownErrors()
{
    const QString file = dataDir + QStringLiteral("errors.mnu");
    int exitCode = -1;
    const QString output = runCheck(file, exitCode);
    QFile golden(dataDir + QStringLiteral("errors.expected"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    const QString expected = QString::fromUtf8(golden.readAll()).replace(QStringLiteral("FILE"), file);
    if (output != expected) {
        // Left beside the build for review, as golden tests do.
        QFile fresh(QStringLiteral("errors.expected.new"));
        if (fresh.open(QIODevice::WriteOnly))
            fresh.write(QString(output).replace(file, QStringLiteral("FILE")).toUtf8());
    }
    QCOMPARE(output, expected);
    QCOMPARE(exitCode, 1);
}

void tst_CheckMenusFile::shippedFileIsClean()
{
    int exitCode = -1;
    QCOMPARE(runCheck(shippedFile, exitCode), QString());
    QCOMPARE(exitCode, 0);

    QFile f(shippedFile);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("Dynamic Menus File - Orvane\r\n"));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n")); // CR LF throughout
    QVERIFY(bytes.endsWith("}\r\n"));

    // The check after saving looks at every line alone, menu lines included.
    const QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(checkTemplateSyntax(lines.at(i)).ok, qPrintable(lines.at(i)));

    const TMenusFile menus = readMenusFile(shippedFile);
    QCOMPARE(menus.errorCode, uint8_t(0));
    QVERIFY(menus.menus.size() >= 4);
    QVERIFY(menus.entryTexts.value(0).contains(QStringLiteral("<TITLE>{=,=}</TITLE>")));
}

void tst_CheckMenusFile::shippedEntriesRun_data()
{
    QTest::addColumn<int>("tagCase");
    QTest::newRow("lower") << 0;
    QTest::newRow("upper") << 1;
    QTest::newRow("as written") << 2;
}

void tst_CheckMenusFile::shippedEntriesRun()
{
    // The check looks only at the first request of a template; a later request of an unknown
    // type would be dropped without a word, so every entry is run with every page answered.
    QFETCH(int, tagCase);
    globalOptions.tagCase = uint8_t(tagCase);
    const TMenusFile menus = readMenusFile(shippedFile);
    QVERIFY(menus.entryTexts.size() > 50);
    TScriptedWizard wizard;
    for (qsizetype k = 0; k < menus.entryTexts.size(); ++k) {
        wizard.queueAnswers(QStringList(200, QStringLiteral("v")));
        const QString result = runTemplate(menus.entryTexts.at(k), QStringLiteral("E"));
        QString rest = result;
        rest.remove(QStringLiteral("{=,=}"));
        QVERIFY2(!rest.contains(QStringLiteral("{=")), qPrintable(result));
        // No command actions are installed here, so plug-in entries give nothing; the shipped
        // plug-ins are run by the plug-in tests.
        QVERIFY2(!result.isEmpty() || menus.entryTexts.at(k).isEmpty()
                     || menus.entryTexts.at(k).contains(QStringLiteral("plugin[")),
                 qPrintable(menus.entryTexts.at(k)));
    }
    globalOptions.tagCase = 2;
}

void tst_CheckMenusFile::missingFile()
{
    const QString file = m_dir.filePath(QStringLiteral("absent.mnu"));
    int exitCode = -1;
    QCOMPARE(runCheck(file, exitCode),
             file + QStringLiteral(":0:0: ")
                 + shortErrorMessage(1, file).replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                 + u'\n');
    QCOMPARE(exitCode, 1);
}

void tst_CheckMenusFile::badInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expectedTail"); // ":LINE:POSITION: " of the one problem

    QByteArray binary(4096, '\0');
    QRandomGenerator gen(7);
    for (char& c : binary)
        c = char(gen.bounded(256));
    const QByteArray head = "Dynamic Menus File - Orvane\r\n{auto insert tags when new html is created\r\n";
    QTest::newRow("binary file") << binary << ":1:1: ";
    QTest::newRow("line of 100,000 characters, unclosed request")
        << head + QByteArray(100000, 'x') + "{= 'x', string\r\n}\r\n" << ":3:100014: ";
    QTest::newRow("unclosed request at the end of the file")
        << head + "}\r\n{M\r\nitem=[A]\r\n{= 'x', string" << ":6:14: ";
    QTest::newRow("Latin-1 bytes are read, not refused")
        << head + "caf\xe9 {= 'x' string =}\r\n}\r\n" << ":3:20: ";
}

void tst_CheckMenusFile::badInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expectedTail);
    const QString file = writeBytes(QStringLiteral("bad.mnu"), bytes);
    int exitCode = -1;
    const QString output = runCheck(file, exitCode);
    QCOMPARE(exitCode, 1);
    QVERIFY2(output.startsWith(file + expectedTail), qPrintable(output));
}

void tst_CheckMenusFile::hugeFile()
{
    // 20,000 entries in 200 menus, about 2 MB: read in one pass.
    QByteArray bytes = "Dynamic Menus File - Orvane\r\n{auto insert tags when new html is created\r\n}\r\n";
    for (int m = 0; m < 200; ++m) {
        bytes += "{Menu" + QByteArray::number(m) + "\r\n";
        for (int e = 0; e < 100; ++e)
            bytes += "item=[Entry" + QByteArray::number(e) + "]\r\n<P CLASS={= 'Class', -string =}>{=,=}</P>\r\n";
        bytes += "}\r\n";
    }
    const QString file = writeBytes(QStringLiteral("huge.mnu"), bytes);
    int exitCode = -1;
    QCOMPARE(runCheck(file, exitCode), QString());
    QCOMPARE(exitCode, 0);
    const TMenusFile menus = readMenusFile(file);
    QCOMPARE(menus.entryTexts.size(), 20001);
    QCOMPARE(menus.menus.last().children.last().tag, 20000);
}

void tst_CheckMenusFile::afterSaveOneBadLine()
{
    dynamicMenusFileName = QStringLiteral("/app/dir/default.mnu");
    RowsHost host;
    pm::ScriptedDialogs dialogs;
    const QStringList lines{"Dynamic Menus File - Orvane", "{M", "item=[A]", "<B {= 'x' string =}>", "}"};
    QVERIFY(checkMenusFileAfterSave(QStringLiteral("/APP/dir/Default.MNU"), lines));
    QCOMPARE(host.rows.size(), 1);
    QCOMPARE(host.rows.at(0),
             (QStringList{QStringLiteral("Syntax error: ") + shortErrorMessage(8), "", "18", "3",
                          "Default.MNU", "/APP/dir/"}));
    QCOMPARE(host.resultsShown, 1);
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).text,
             formatErrorMessage(14, QStringLiteral("There were errors in the Dynamic Menus file:\r\n"
                                                   "/APP/dir/Default.MNU")));
}

void tst_CheckMenusFile::afterSaveCleanFileAndOtherFiles()
{
    dynamicMenusFileName = QStringLiteral("/app/default.mnu");
    RowsHost host;
    pm::ScriptedDialogs dialogs;
    QVERIFY(!checkMenusFileAfterSave(QStringLiteral("/app/page.html"), {"{= bad"}));
    QVERIFY(dialogs.shown().isEmpty());
    QVERIFY(checkMenusFileAfterSave(dynamicMenusFileName, {"<B>{=,=}</B>"}));
    QVERIFY(host.rows.isEmpty());
    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).kind, pm::Dialogs::Kind::Information);
    QVERIFY(dialogs.shown().at(0).text.startsWith(
        QStringLiteral("You have just edited the Dynamic Menus file.\r\n")));
}

QTEST_GUILESS_MAIN(tst_CheckMenusFile)
#include "tst_checkmenusfile.moc"

/** @file tst_colorrulesfile.cpp ** Reading and writing the colour rules file. **/
#include "colour/ColorRuleMatcher.h"
#include "colour/customRules_utl.h"
#include "core/global_utl.h"
#include "platform/FullDisk.h"
#include "platform/ScriptedDialogs.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

QString describe(const TRules& rules)
{
    QString out;
    for (const TTextStyle& s : rules.TextStyles)
        out += QStringLiteral("S[%1 %2 %3]").arg(s.Name).arg(s.Font.Color).arg(s.Color);
    for (qsizetype i = 0; i < rules.count(); ++i) {
        const TRule& r = rules.at(i);
        out += QStringLiteral("R[%1|%2|%3|%4]")
                   .arg(r.RuleName(), r.OpenTag(), r.CloseTag())
                   .arg(r.StyleIndex());
    }
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray kSample = "Styles:\r\n"
                           "All Chars\r\n0 16777215\r\n"
                           "Selection\r\n16777215 8388608\r\n"
                           "Find\r\n-2147483640 65535\r\n"
                           "\r\n"
                           "Rules:\r\n"
                           "Comment1\r\n<!--\r\n-->\r\n2\r\n-----------------------------\r\n"
                           "Tag1\r\n<\r\n>\r\n-1\r\n-----------------------------\r\n"
                           "Entity1\r\n&\r\n\r\n5\r\n-----------------------------\r\n";

} // namespace

class tst_ColorRulesFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void freshRuleSetHasTheViewsDefaultStyle();
    void saveWritesTheLayoutAndLoadReadsItBack();
    void readsLfAndLowersTexts();
    void goodFiles_data();
    void goodFiles();
    void badNumbersStopTheRead_data();
    void badNumbersStopTheRead();
    void missingFileKeepsTheLists();
    void thousandsOfRulesAndAHugeRule();
    void fieldsThatWouldBreakTheLayoutAreKeptOnOneLine();
    void failedSaveLeavesTheOldFileWhole();
    void fullDiskSaysSo_data();
    void fullDiskSaysSo();
    void shippedRulesColourHtml_data();
    void shippedRulesColourHtml();

private:
    QTemporaryDir m_dir;
};

void tst_ColorRulesFile::init()
{
    QVERIFY(m_dir.isValid());
}

void tst_ColorRulesFile::freshRuleSetHasTheViewsDefaultStyle()
{
    TRules rules;
    QCOMPARE(describe(rules), QStringLiteral("S[Selected Text 8388608 16777215]"));
    QCOMPARE(rules.add().RuleName(), QStringLiteral("Custom Run-Time Rule"));
    QCOMPARE(rules.at(0).StyleIndex(), 0);
}

void tst_ColorRulesFile::saveWritesTheLayoutAndLoadReadsItBack()
{
    const QString source = m_dir.filePath(QStringLiteral("sample.colors"));
    writeFile(source, kSample);
    pm::ScriptedDialogs boxes;
    TRules rules;
    QVERIFY(loadColorRules(rules, source));
    QCOMPARE(describe(rules),
             QStringLiteral("S[All Chars 0 16777215]S[Selection 16777215 8388608]"
                            "S[Find -2147483640 65535]"
                            "R[Comment1|<!--|-->|2]R[Tag1|<|>|-1]R[Entity1|&||5]"));

    const QString copy = m_dir.filePath(QStringLiteral("copy.colors"));
    QVERIFY(saveColorRules(rules, copy));
    QCOMPARE(readFile(copy), kSample);
    QVERIFY(boxes.shown().isEmpty());

    TTextStyles styles = applyColorStyles(rules);
    QCOMPARE(styles.size(), 3);
    QCOMPARE(styles.at(2).Font.Color, -2147483640);
    rules.TextStyles[2].Color = 1; // the editor's copy does not follow later edits
    QCOMPARE(styles.at(2).Color, 65535);
}

void tst_ColorRulesFile::readsLfAndLowersTexts()
{
    const QString path = m_dir.filePath(QStringLiteral("lf.colors"));
    writeFile(path, "whatever header\nStyle A\n1 2\n\nRules:\nUpper\n<!DOCTYPE\n<END\xc3\x89>\n3\n"
                    "-----------------------------\n");
    pm::ScriptedDialogs boxes;
    TRules rules;
    QVERIFY(loadColorRules(rules, path));
    QCOMPARE(describe(rules),
             QStringLiteral("S[Style A 1 2]R[Upper|<!doctype|<end\u00c9>|3]"));
    QVERIFY(saveColorRules(rules, path));
    QVERIFY(readFile(path).contains("\r\n<!doctype\r\n<end\xc3\x89>\r\n3\r\n"));
}

void tst_ColorRulesFile::goodFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty file: both lists empty") << QByteArray() << QString();
    QTest::newRow("empty styles section")
        << QByteArray("Styles:\r\n\r\nRules:\r\nT1\r\n<\r\n>\r\n1\r\n-----------------------------\r\n")
        << QStringLiteral("R[T1|<|>|1]");
    QTest::newRow("style without a space is dropped and later styles move up")
        << QByteArray("Styles:\r\nA\r\n1 2\r\nB\r\n34\r\nC\r\n5 6\r\n\r\nRules:\r\n"
                      "T1\r\n<\r\n>\r\n1\r\n-----------------------------\r\n")
        << QStringLiteral("S[A 1 2]S[C 5 6]R[T1|<|>|1]");
    QTest::newRow("style index past the last style is kept")
        << QByteArray("Styles:\r\nA\r\n1 2\r\n\r\nRules:\r\nT1\r\n<\r\n>\r\n5\r\n---\r\n")
        << QStringLiteral("S[A 1 2]R[T1|<|>|5]");
    QTest::newRow("Latin-1 file") << QByteArray("Styles:\r\nCaf\xe9\r\n1 2\r\n\r\nRules:\r\n")
                                  << QStringLiteral("S[Caf\u00e9 1 2]");
}

void tst_ColorRulesFile::goodFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QStringLiteral("good.colors"));
    writeFile(path, bytes);
    pm::ScriptedDialogs boxes;
    TRules rules;
    rules.add(); // replaced by what the file holds
    QVERIFY(loadColorRules(rules, path));
    QCOMPARE(describe(rules), expected);
    QVERIFY(boxes.shown().isEmpty());
}

void tst_ColorRulesFile::badNumbersStopTheRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("kept");

    const QByteArray styles = "Styles:\r\nA\r\n1 2\r\n\r\nRules:\r\n";
    const QByteArray rule = "T1\r\n<\r\n>\r\n1\r\n-----------------------------\r\n";
    QTest::newRow("foreground not a number")
        << QByteArray("Styles:\r\nA\r\n1 2\r\nB\r\nred 2\r\nC\r\n3 4\r\n\r\nRules:\r\n" + rule)
        << QStringLiteral("'red' is not a valid integer value") << QStringLiteral("S[A 1 2]");
    QTest::newRow("background past 32 bits")
        << QByteArray("Styles:\r\nA\r\n1 99999999999\r\n\r\n")
        << QStringLiteral("'99999999999' is not a valid integer value") << QString();
    QTest::newRow("style index not a number")
        << QByteArray(styles + rule + "T2\r\n<\r\n>\r\nx1\r\n---\r\n" + rule)
        << QStringLiteral("'x1' is not a valid integer value")
        << QStringLiteral("S[A 1 2]R[T1|<|>|1]");
    QTest::newRow("file truncated inside a rule")
        << QByteArray(styles + rule + "T2\r\n<!--\r\n")
        << QStringLiteral("'' is not a valid integer value")
        << QStringLiteral("S[A 1 2]R[T1|<|>|1]");
    QTest::newRow("empty line after the last separator")
        << QByteArray(styles + rule + "\r\n") << QStringLiteral("'' is not a valid integer value")
        << QStringLiteral("S[A 1 2]R[T1|<|>|1]");
}

void tst_ColorRulesFile::badNumbersStopTheRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(QString, kept);
    const QString path = m_dir.filePath(QStringLiteral("bad.colors"));
    writeFile(path, bytes);
    pm::ScriptedDialogs boxes;
    TRules rules;
    QVERIFY(!loadColorRules(rules, path));
    QCOMPARE(describe(rules), kept);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().at(0).kind, pm::Dialogs::Kind::Error);
    QCOMPARE(boxes.shown().at(0).text, message);
}

void tst_ColorRulesFile::missingFileKeepsTheLists()
{
    pm::ScriptedDialogs boxes;
    colorRules.clear();
    colorRules.TextStyles = TRules::defaultTextStyles();
    colorRules.add().setValues(QStringLiteral("Kept"), QStringLiteral("<"), 1, QString());
    colorRulesFileName = m_dir.filePath(QStringLiteral("absent.colors"));

    const TTextStyles styles = reloadColorStyles();
    QCOMPARE(styles.size(), 1);
    QCOMPARE(styles.at(0).Name, QStringLiteral("Selected Text"));
    QCOMPARE(describe(colorRules), QStringLiteral("S[Selected Text 8388608 16777215]R[Kept|<||1]"));
    QCOMPARE(boxes.shown().size(), 1);
    QVERIFY(boxes.shown().at(0).text.startsWith(QStringLiteral("The file\r\n") + colorRulesFileName
                                              + QStringLiteral("\r\nwas not found")));
    colorRules.clear();
}

void tst_ColorRulesFile::thousandsOfRulesAndAHugeRule()
{
    TRules rules;
    for (int i = 0; i < 5000; ++i)
        rules.add().setValues(QStringLiteral("R%1").arg(i), QStringLiteral("<t%1").arg(i), i % 7,
                              QStringLiteral(">"));
    const QString huge(100000, u'q');
    rules.add().setValues(huge, huge, 1, huge);
    const QString path = m_dir.filePath(QStringLiteral("big.colors"));
    pm::ScriptedDialogs boxes;
    QVERIFY(saveColorRules(rules, path));
    TRules back;
    QVERIFY(loadColorRules(back, path));
    QCOMPARE(back.count(), 5001);
    QCOMPARE(describe(back), describe(rules));
    QVERIFY(boxes.shown().isEmpty());
}

void tst_ColorRulesFile::fieldsThatWouldBreakTheLayoutAreKeptOnOneLine()
{
    // The rules dialog can store an opening text with a line break and a style without a name;
    // written as they are, every later group of the file would be misread.
    TRules rules;
    rules.TextStyles.append(TTextStyle{ QString(), 1, { 2 } });
    rules.TextStyles.append(TTextStyle{ QStringLiteral("After"), 3, { 4 } });
    rules.add().setValues(QStringLiteral("Two"), QStringLiteral("a\r\nb"), 1, QStringLiteral("c\nd"));
    rules.add().setValues(QStringLiteral("Next"), QStringLiteral("<"), 2, QStringLiteral(">"));
    const QString path = m_dir.filePath(QStringLiteral("layout.colors"));
    pm::ScriptedDialogs boxes;
    QVERIFY(saveColorRules(rules, path));
    TRules back;
    QVERIFY(loadColorRules(back, path));
    QCOMPARE(describe(back), QStringLiteral("S[Selected Text 8388608 16777215]S[  2 1]S[After 4 3]"
                                            "R[Two|a  b|c d|1]R[Next|<|>|2]"));
}

void tst_ColorRulesFile::failedSaveLeavesTheOldFileWhole()
{
    const QString path = m_dir.filePath(QStringLiteral("full.colors"));
    writeFile(path, kSample);
    TRules rules;
    for (int i = 0; i < 2000; ++i)
        rules.add().setValues(QStringLiteral("R"), QStringLiteral("<"), 1, QStringLiteral(">"));

    // A file size limit makes the write fail the way a full disk does, even for root.
    rlimit old {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    pm::ScriptedDialogs boxes;
    const bool saved = saveColorRules(rules, path);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved);
    QCOMPARE(readFile(path), kSample);
    QCOMPARE(boxes.shown().size(), 1);
    QVERIFY(boxes.shown().at(0).text.startsWith(QStringLiteral("Cannot save the file\r\n") + path));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("full")),
             QStringList{ QStringLiteral("full.colors") });
}

void tst_ColorRulesFile::fullDiskSaysSo_data()
{
    QTest::addColumn<int>("rules");
    QTest::newRow("a few rules") << 3; // a few hundred bytes: the case a bare save got wrong
    QTest::newRow("thousands of rules") << 2000;
}

void tst_ColorRulesFile::fullDiskSaysSo()
{
    QFETCH(int, rules);
    QTemporaryDir folder;
    const std::optional<QByteArray> result = pm::runOnFullDisk(
        folder.path(),
        [](const QString& f) { writeFile(f + QStringLiteral("/full.colors"), kSample); },
        [rules](const QString& f) -> QByteArray {
            TRules set;
            for (int i = 0; i < rules; ++i)
                set.add().setValues(QStringLiteral("R"), QStringLiteral("<"), 1, QStringLiteral(">"));
            pm::ScriptedDialogs boxes;
            const QString path = f + QStringLiteral("/full.colors");
            const bool saved = saveColorRules(set, path);
            const QString said = boxes.shown().isEmpty() ? QString() : boxes.shown().at(0).text;
            return QByteArray(saved ? "saved" : "refused") + '|' + said.toUtf8() + '|'
                + (readFile(path) == kSample ? "old file whole" : "old file changed");
        });
    if (!result)
        QSKIP("this machine lets no process mount a file system of its own");
    const QString path = folder.filePath(QStringLiteral("full.colors"));
    QCOMPARE(QString::fromUtf8(*result),
             QStringLiteral("refused|Cannot save the file\r\n") + path + QStringLiteral("\r\n")
                 + QString::fromLocal8Bit(std::strerror(ENOSPC)) + QStringLiteral("|old file whole"));
}

void tst_ColorRulesFile::shippedRulesColourHtml_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("colors");

    // One digit per character: the style index; '.' where no rule applies (painted as style 0).
    QTest::newRow("doctype") << QStringLiteral("<!DOCTYPE html>")
                             << QStringLiteral("888888888888888");
    QTest::newRow("tag, entity, end tag")
        << QStringLiteral("<p class=\"x\">a &amp; b</p>")
        << QStringLiteral("3333333333333..77777..4444");
    QTest::newRow("comment before a tag") << QStringLiteral("<!-- <b> --> <br>")
                                          << QStringLiteral("555555555555.3333");
    QTest::newRow("numeric and unknown entities") << QStringLiteral("&#169; &bogus; &")
                                                  << QStringLiteral("777777..........");
    QTest::newRow("processing instruction") << QStringLiteral("<?xml version=\"1.0\"?>")
                                            << QStringLiteral("888888888888888888888");
}

void tst_ColorRulesFile::shippedRulesColourHtml()
{
    QFETCH(QString, line);
    QFETCH(QString, colors);
    static TRules shipped;
    if (shipped.count() == 0) {
        pm::ScriptedDialogs boxes;
        QVERIFY(loadColorRules(shipped, QStringLiteral(TEST_DATA_DIR "/../../shipped/Pagemason.colors")));
        // Normal text, selection and search match hold the fixed first three places.
        QVERIFY(shipped.TextStyles.size() >= 9);
        QVERIFY(boxes.shown().isEmpty());
    }
    TDCParser parser;
    ColorRuleMatcher matcher(parser, shipped);
    const QByteArray latin1 = line.toLatin1();
    QByteArray data(latin1.size(), '\0');
    parser.parseLine(LineText(latin1.constData(), latin1.size()), 0,
                     reinterpret_cast<uint8_t*>(data.data()));
    QString picture;
    for (char c : data)
        picture += uchar(c) == 255 ? QChar(u'.') : QChar(u'0' + uchar(c));
    QCOMPARE(picture, colors);
}

QTEST_GUILESS_MAIN(tst_ColorRulesFile)
#include "tst_colorrulesfile.moc"

/** @file tst_wizardanswers.cpp ** Answer formats, parameter parsing, the number filter and
 ** relative paths. **/
#include "core/global_utl.h"
#include "document/common/TFakeWizardDocument.h"
#include "document/common/string_utl.h"
#include "platform/ScriptedDialogs.h"
#include "templates/wizard/wizardAnswers_utl.h"

#include <QtTest>

using StringPairs = QList<QPair<QString, QString>>;

class tst_WizardAnswers : public QObject
{
    Q_OBJECT
private slots:
    void colors_data();
    void colors();
    void attList_data();
    void attList();
    void listPairs_data();
    void listPairs();
    void numberFilter_data();
    void numberFilter();
    void numberSteps_data();
    void numberSteps();
    void imageSize_data();
    void imageSize();
    void fileFilter();
    void relativePath_data();
    void relativePath();
    void relativePathOfUntitled();
};

void tst_WizardAnswers::colors_data()
{
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("hex");
    QTest::newRow("white") << 0x00FFFFFF << "FFFFFF";
    QTest::newRow("red is the low byte") << 0x000000FF << "FF0000";
    QTest::newRow("blue is the high byte") << 0x00FF0000 << "0000FF";
    QTest::newRow("leading zeros") << 0x00010203 << "030201";
}

void tst_WizardAnswers::colors()
{
    QFETCH(int, color);
    QFETCH(QString, hex);
    QCOMPARE(colorAnswer(color), hex);
    QCOMPARE(colorFromAnswer(QStringLiteral(" #") + hex.toLower()), std::optional<int32_t>(color));
}

void tst_WizardAnswers::attList_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QStringList>("values");
    const QString doc = QStringLiteral(
        "<A NAME=\"Top\">x</a> <a href=\"#Top\">up</a>\r\n<a name=\"end\" id=1><a name=last");
    QTest::newRow("anchor names, case kept, document order")
        << doc << "<a;name=\";\" >" << QStringList{"Top", "end"};
    QTest::newRow("empty terminators run to the tag's end")
        << QStringLiteral("<img src=a.gif border=0>") << "<img;src=;" << QStringList{"a.gif border=0"};
    QTest::newRow("duplicates kept")
        << QStringLiteral("<a name=x><a name=x>") << "<a;name=; >" << QStringList{"x", "x"};
    QTest::newRow("unquoted value") << doc << "<a;name=; >" << QStringList{"\"Top\"", "\"end\"", "last"};
    QTest::newRow("attribute not in the tag") << doc << "<a;title=;\"" << QStringList{};
    QTest::newRow("no ';' at all") << doc << "<a" << QStringList{};
    QTest::newRow("only one ';'") << doc << "<a;name=\"" << QStringList{"Top\"", "end\" id=1"};
    QTest::newRow("empty tag part does not loop") << doc << ";name=;\"" << QStringList{};
    QTest::newRow("empty document") << QString() << "<a;name=;>" << QStringList{};
}

void tst_WizardAnswers::attList()
{
    QFETCH(QString, document);
    QFETCH(QString, parameters);
    QFETCH(QStringList, values);
    QCOMPARE(attListValues(document, parameters), values);
}

void tst_WizardAnswers::listPairs_data()
{
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<StringPairs>("pairs");
    QTest::newRow("pairs") << "'Red','#FF0000', 'Blue' , '#0000FF'"
                           << StringPairs{{"Red", "#FF0000"}, {"Blue", "#0000FF"}};
    QTest::newRow("text as written") << "'a\\','b,c'" << StringPairs{{"a\\", "b,c"}};
    QTest::newRow("shown without value") << "'a','1','b'" << StringPairs{{"a", "1"}, {"b", ""}};
    QTest::newRow("unclosed quote runs to the end") << "'a','1','b','2" << StringPairs{{"a", "1"}, {"b", "2"}};
    QTest::newRow("lone quote") << "'" << StringPairs{{"", ""}};
    QTest::newRow("no quotes") << "red,blue" << StringPairs{};
}

void tst_WizardAnswers::listPairs()
{
    QFETCH(QString, parameters);
    QFETCH(StringPairs, pairs);
    QCOMPARE(listParameterPairs(parameters), pairs);
}

void tst_WizardAnswers::numberFilter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digit") << "12" << 2 << QChar(u'3') << true;
    QTest::newRow("letter") << "12" << 2 << QChar(u'a') << false;
    QTest::newRow("blank") << "12" << 2 << QChar(u' ') << false;
    QTest::newRow("backspace") << "12" << 2 << QChar(u'\b') << true;
    QTest::newRow("percent, plus, point") << "1" << 1 << QChar(u'%') << true;
    QTest::newRow("minus at start") << "5" << 0 << QChar(u'-') << true;
    QTest::newRow("minus after a digit") << "5" << 1 << QChar(u'-') << false;
    QTest::newRow("second minus") << "-5" << 0 << QChar(u'-') << false;
    QTest::newRow("digit before minus") << "-5" << 0 << QChar(u'1') << false;
    QTest::newRow("digit after minus") << "-5" << 1 << QChar(u'1') << true;
    QTest::newRow("other script digit") << "" << 0 << QChar(0x0663) << false;
}

void tst_WizardAnswers::numberFilter()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QChar, typed);
    QFETCH(bool, accepted);
    QCOMPARE(acceptNumberChar(text, caret, typed), accepted);
}

void tst_WizardAnswers::numberSteps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("delta");
    QTest::addColumn<QString>("result"); // null: the key does nothing
    QTest::newRow("9 up") << "9" << 1 << "10";
    QTest::newRow("0 down") << "0" << -1 << "-1";
    QTest::newRow("plus sign") << "+4" << 1 << "5";
    QTest::newRow("largest stays") << "2147483647" << 1 << "2147483647";
    QTest::newRow("smallest stays") << "-2147483648" << -1 << "-2147483648";
    QTest::newRow("beyond 32 bits clamps") << "99999999999999999999999" << -1 << "2147483646";
    QTest::newRow("decimal") << "1.5" << 1 << QString();
    QTest::newRow("percent") << "50%" << 1 << QString();
    QTest::newRow("empty") << "" << 1 << QString();
    QTest::newRow("lone minus") << "-" << 1 << QString();
    QTest::newRow("sign after digits") << "5+" << 1 << QString();
}

void tst_WizardAnswers::numberSteps()
{
    QFETCH(QString, text);
    QFETCH(int, delta);
    QFETCH(QString, result);
    const std::optional<QString> got = stepNumberText(text, delta);
    QCOMPARE(got.has_value(), !result.isNull());
    if (got)
        QCOMPARE(*got, result);
}

void tst_WizardAnswers::imageSize_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("attributes"); // null: refused
    QTest::newRow("height only") << "0" << "20" << " HEIGHT=20";
    QTest::newRow("both, width first") << "7" << "3" << " WIDTH=7 HEIGHT=3";
    QTest::newRow("empty counts as 0") << "" << "" << "";
    QTest::newRow("negative left out") << "-5" << "+2" << " HEIGHT=2";
    QTest::newRow("decimal refused") << "1.5" << "2" << QString();
    QTest::newRow("percent refused") << "50%" << "2" << QString();
    QTest::newRow("sign alone refused") << "1" << "-" << QString();
}

void tst_WizardAnswers::imageSize()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, attributes);
    const std::optional<QString> got = imageSizeAttributes(width, height);
    QCOMPARE(got.has_value(), !attributes.isNull());
    if (got)
        QCOMPARE(*got, attributes);
}

void tst_WizardAnswers::fileFilter()
{
    QCOMPARE(qtFileFilter(QStringLiteral("HTML files|*.htm;*.html|All|*.*")),
             QStringLiteral("HTML files (*.htm *.html);;All (*.*)"));
    QCOMPARE(qtFileFilter(QStringLiteral("Pictures")), QStringLiteral("Pictures (*)"));
    QCOMPARE(qtFileFilter(QString()), QString());
}

void tst_WizardAnswers::relativePath_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("unix");
    QTest::addColumn<QString>("answer");
    QTest::newRow("below the document") << "/site/index.html" << "/site/img/a.gif" << true << "img/a.gif";
    QTest::newRow("same folder") << "/site/index.html" << "/site/a.gif" << true << "a.gif";
    QTest::newRow("one folder up") << "/site/sub/p.html" << "/site/a.gif" << true << "../a.gif";
    QTest::newRow("two folders up") << "/site/a/b/p.html" << "/site/x.gif" << false << "../../x.gif";
    QTest::newRow("sibling stays absolute") << "/site/sub/p.html" << "/site/img/a.gif" << true << "/site/img/a.gif";
    QTest::newRow("folder name inside another path") << "/a/p.html" << "/x/a/b.gif" << true << "/x/a/b.gif";
    QTest::newRow("case differs") << "/Site/p.html" << "/site/a.gif" << true << "/site/a.gif";
    QTest::newRow("relative name unchanged") << "/site/p.html" << "img\\a.gif" << true << "img/a.gif";
    QTest::newRow("relative name, no conversion") << "/site/p.html" << "img\\a.gif" << false << "img\\a.gif";
    QTest::newRow("empty") << "/site/p.html" << "" << true << "";
}

void tst_WizardAnswers::relativePath()
{
    QFETCH(QString, document);
    QFETCH(QString, path);
    QFETCH(bool, unix);
    QFETCH(QString, answer);
    pm::ScriptedDialogs dialogs;
    TFakeWizardDocument doc;
    doc.name = document;
    globalOptions.convertUnixStrings = unix;
    QCOMPARE(unixPathIfWanted(makeRelativePath(path, &doc)), answer);
    QCOMPARE(makeRelativePath(path, nullptr), path);
    QVERIFY(dialogs.shown().isEmpty());
}

void tst_WizardAnswers::relativePathOfUntitled()
{
    pm::ScriptedDialogs dialogs;
    TFakeWizardDocument doc;
    const QString path = QStringLiteral("/site/img/a.gif");
    dialogs.queueAnswer(pm::Dialogs::Answer::No);
    QCOMPARE(makeRelativePath(path, &doc), path);
    QCOMPARE(doc.saves, 0);
    dialogs.queueAnswer(pm::Dialogs::Answer::Yes); // Save dialog cancelled
    QCOMPARE(makeRelativePath(path, &doc), path);
    QCOMPARE(doc.saves, 1);
    doc.savedAs = QStringLiteral("/site/new.html");
    dialogs.queueAnswer(pm::Dialogs::Answer::Yes);
    QCOMPARE(makeRelativePath(path, &doc), QStringLiteral("img/a.gif"));
    QCOMPARE(dialogs.shown().size(), 3);
    QCOMPARE(dialogs.shown().first().text, relativePathSaveQuestion);
    QCOMPARE(dialogs.shown().first().buttons, pm::Dialogs::Buttons::YesNo);
}

QTEST_GUILESS_MAIN(tst_WizardAnswers)
#include "tst_wizardanswers.moc"

/** @file tst_requestsyntax.cpp ** Request parsing and the template syntax check. **/
#include "core/global_utl.h"
#include "templates/requestSyntax.h"

#include <QtTest>

class tst_RequestSyntax : public QObject
{
    Q_OBJECT
private slots:
    void typeIndex_data();
    void typeIndex();
    void parse_data();
    void parse();
    void check_data();
    void check();
    void longLinesStayLinear();
    void shortMessageLeavesTheSetting();
};

void tst_RequestSyntax::typeIndex_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("type");
    QTest::newRow("string") << "string" << int(rtString);
    QTest::newRow("plugin, last entry") << "plugin" << int(rtPlugin);
    QTest::newRow("case-sensitive") << "String" << int(rtUnknown);
    QTest::newRow("unknown itself") << "unknown" << int(rtUnknown);
    QTest::newRow("empty word never selects entry 1") << "" << int(rtUnknown);
    QTest::newRow("not in table") << "strin" << int(rtUnknown);
}

void tst_RequestSyntax::typeIndex()
{
    QFETCH(QString, word);
    QFETCH(int, type);
    QCOMPARE(requestTypeIndex(word), type);
    QCOMPARE(requestTypeNames.size(), 20);
}

void tst_RequestSyntax::parse_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("optional");
    QTest::addColumn<QString>("parameters");

    QTest::newRow("quoted description") << " 'Width', number " << "Width" << int(rtNumber) << false << "";
    QTest::newRow("text after the second quote kept") << " 'Width' , number" << "Width " << int(rtNumber) << false << "";
    QTest::newRow("comma inside quotes") << " 'a, b', string " << "a, b" << int(rtString) << false << "";
    QTest::newRow("unquoted description") << " Width, number " << "Width" << int(rtNumber) << false << "";
    QTest::newRow("mixed case after the first letter") << "'x', sTRING" << "x" << int(rtString) << false << "";
    QTest::newRow("capital first letter names no type") << "'x', String" << "x" << int(rtUnknown) << false << "";
    QTest::newRow("optional lowers every letter") << "'x', -String" << "x" << int(rtString) << true << "";
    QTest::newRow("blanks dropped from the word") << "'x', - str ing " << "x" << int(rtString) << true << "";
    QTest::newRow("parameters up to the first ]")
        << "'Font', list['Arial','Arial','Times','Times'] ignored]" << "Font" << int(rtList) << false
        << "'Arial','Arial','Times','Times'";
    QTest::newRow("optional with parameters") << "'A', -align[x]" << "A" << int(rtAlign) << true << "x";
    QTest::newRow("unclosed parameters run to the end") << "'x', list[a,b " << "x" << int(rtList) << false << "a,b ";
    QTest::newRow("empty request") << "," << "" << int(rtUnknown) << false << "";
    QTest::newRow("blank empty request") << " , " << "" << int(rtUnknown) << false << "";
    QTest::newRow("no comma") << " 'x' number" << "x number" << int(rtUnknown) << false << "";
    QTest::newRow("command type with parameters")
        << " 'Go', goto['</TITLE>', 3]" << "Go" << int(rtGoto) << false << "'</TITLE>', 3";
}

void tst_RequestSyntax::parse()
{
    QFETCH(QString, content);
    QFETCH(QString, description);
    QFETCH(int, type);
    QFETCH(bool, optional);
    QFETCH(QString, parameters);
    const TRequest r = parseRequest(content);
    QCOMPARE(r.description, description);
    QCOMPARE(r.type, type);
    QCOMPARE(r.optional, optional);
    QCOMPARE(r.parameters, parameters);
}

void tst_RequestSyntax::check_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code"); // 0: ok
    QTest::addColumn<int>("position");

    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("plain text") << "<B>Bold</B>" << 0 << 0;
    QTest::newRow("comment line is never checked") << "  ; {= =}" << 0 << 0;
    QTest::newRow("quoted request") << "{= 'Width', number =}" << 0 << 0;
    QTest::newRow("unquoted request") << "{= Width, number =}" << 0 << 0;
    QTest::newRow("no comma: at the = of the closing tag") << "{= 'Width' number =}" << 8 << 19;
    QTest::newRow("comma inside the quoted description") << "{= 'a, b', string =}" << 0 << 0;
    QTest::newRow("two empty requests: at the second")
        << "a{=,=}b{=,=}" << 10 << 11;
    QTest::newRow("empty request with blanks is of unknown type") << "x{= , =}" << 11 << 2;
    QTest::newRow("closing tag alone: 8 replaced by 6") << "ab =}" << 6 << 4;
    QTest::newRow("closing tag after a request: 6") << "{= 'a', string =} =}" << 6 << 19;
    QTest::newRow("unclosed in the last line: at the length")
        << "<B>\r\n{= 'x', string" << 7 << 19;
    QTest::newRow("unclosed parameters: at the closing tag") << "{= 'x', list[a,b =}" << 13 << 18;
    QTest::newRow("] in the description does not count") << "{= 'x]' , list[a =}" << 13 << 18;
    QTest::newRow("nested: at the inner tag") << "{= 'x', {= 'y', string =}" << 9 << 9;
    QTest::newRow("description not closed") << "{= 'x, string =}" << 12 << 15;
    QTest::newRow("quote after the comma opens nothing") << "{= x, string[a'b] =}" << 0 << 0;
    QTest::newRow("unknown type of the first request: at its {=") << "ab{= 'x', strin =}" << 11 << 3;
    QTest::newRow("only the first request's type is checked")
        << "{= 'x', string =}{= 'y', nosuch =}" << 0 << 0;
    QTest::newRow("capitalised type word") << "{= 'x', String =}" << 11 << 1;
    QTest::newRow("CR LF counts two") << "a\r\n=}" << 6 << 4;
    QTest::newRow("empty request first, unknown later passes") << "{=,=}{= x, y =}" << 0 << 0;
}

void tst_RequestSyntax::check()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(int, position);
    const TSyntaxCheck c = checkTemplateSyntax(text);
    QCOMPARE(c.ok, code == 0);
    QCOMPARE(int(c.code), code);
    QCOMPARE(c.position, position);
}

void tst_RequestSyntax::longLinesStayLinear()
{
    // 100,000 characters of text and 5,000 requests: checked in one pass, not quadratically.
    QString line(100000, u'x');
    QVERIFY(checkTemplateSyntax(line).ok);
    QString many;
    for (int i = 0; i < 5000; ++i)
        many += QStringLiteral("<a{= 'x', string =}>");
    QVERIFY(checkTemplateSyntax(many).ok);
    const TSyntaxCheck unclosed = checkTemplateSyntax(line + QStringLiteral("{= 'x', string"));
    QCOMPARE(int(unclosed.code), 7);
    QCOMPARE(unclosed.position, 100014);
}

void tst_RequestSyntax::shortMessageLeavesTheSetting()
{
    for (const uint8_t type : {uint8_t(0), uint8_t(2)}) {
        globalOptions.messageType = type;
        QCOMPARE(shortErrorMessage(8), QStringLiteral("No comma was found inside request"));
        QCOMPARE(globalOptions.messageType, type);
    }
}

QTEST_GUILESS_MAIN(tst_RequestSyntax)
#include "tst_requestsyntax.moc"

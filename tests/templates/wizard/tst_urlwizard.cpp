/** @file tst_urlwizard.cpp ** URL composition and the URL wizard dialog. **/
#include "templates/wizard/Urlform.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class tst_UrlWizard : public QObject
{
    Q_OBJECT
private slots:
    void compose_data();
    void compose();
    void layouts();
    void dialogComposesAsFieldsChange();
    void okAndCancel();
};

void tst_UrlWizard::compose_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("parts"); // host, port, path, file name, target
    QTest::addColumn<QString>("url");
    QTest::newRow("http host and path") << "http" << QStringList{"www.x.org", "", "docs", "", ""}
                                        << "http://www.x.org/docs";
    QTest::newRow("http everything") << "http" << QStringList{"h", "8080", "p", "f.html", "top"}
                                     << "http://h:8080/p/f.html#top";
    QTest::newRow("type only") << "afs" << QStringList{"", "", "", "", ""} << "afs";
    QTest::newRow("file without host") << "file" << QStringList{"", "", "home/a.html", "", ""}
                                       << "file:///home/a.html";
    QTest::newRow("nntp port skipped") << "nntp" << QStringList{"h", "", "", "f", ""} << "nntp://h/f";
    QTest::newRow("ftp keeps its target") << "ftp" << QStringList{"h", "21", "pub", "a.zip", "x"}
                                          << "ftp://h:21/pub/a.zip#x";
    QTest::newRow("gopher arguments") << "gopher" << QStringList{"h", "70", "1", "query", "t"}
                                      << "gopher://h:70/1 query";
    QTest::newRow("mailto") << "mailto" << QStringList{"me@x.org", "1", "2", "3", "4"} << "mailto:me@x.org";
    QTest::newRow("news") << "news" << QStringList{"comp.lang", "", "", "", ""} << "news:comp.lang";
    QTest::newRow("mailto empty") << "mailto" << QStringList{"", "", "", "", ""} << "mailto";
    QTest::newRow("telnet full") << "telnet" << QStringList{"host", "23", "user", "pw", "t"}
                                 << "telnet://user:pw@host:23";
    QTest::newRow("telnet host only") << "telnet" << QStringList{"host", "", "", "", ""} << "telnet://host";
    QTest::newRow("telnet user, no password") << "telnet" << QStringList{"host", "", "me", "", ""}
                                              << "telnet://me@host";
    QTest::newRow("wais type") << "wais" << QStringList{"h", "", "db", "TEXT", "t"} << "wais://h/db/TEXT";
}

void tst_UrlWizard::compose()
{
    QFETCH(QString, type);
    QFETCH(QStringList, parts);
    QFETCH(QString, url);
    TUrlParts p;
    for (int f = 0; f < urlFieldCount; ++f)
        p[f] = parts.at(f);
    QCOMPARE(composeUrl(int(urlResourceTypes.indexOf(type)), p), url);
}

void tst_UrlWizard::layouts()
{
    QCOMPARE(urlResourceTypes.size(), 11);
    const TUrlLayout http = urlLayout(0);
    for (int f = 0; f < urlFieldCount; ++f)
        QVERIFY(http[f].visible);
    QCOMPARE(http[urlTarget].separator, QStringLiteral("#"));
    const TUrlLayout mail = urlLayout(int(urlResourceTypes.indexOf(QStringLiteral("mailto"))));
    QCOMPARE(mail[urlHost].caption, QStringLiteral("E-Mail Address"));
    QCOMPARE(mail[urlHost].separator, QStringLiteral(":"));
    for (int f = urlPort; f < urlFieldCount; ++f)
        QVERIFY(!mail[f].visible);
    const TUrlLayout telnet = urlLayout(int(urlResourceTypes.indexOf(QStringLiteral("telnet"))));
    QCOMPARE(telnet[urlPath].caption, QStringLiteral("Logon Username"));
    QVERIFY(telnet[urlPath].separator.isEmpty());
    QVERIFY(!telnet[urlTarget].visible);
}

void tst_UrlWizard::dialogComposesAsFieldsChange()
{
    TurlForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("URL Wizard"));
    QCOMPARE(form.RTypeCombo->currentIndex(), -1);
    form.HostEdit->setText(QStringLiteral("h"));
    QVERIFY(form.URLEdit->text().isEmpty()); // no type chosen yet
    form.RTypeCombo->setCurrentIndex(0);
    QCOMPARE(form.URLEdit->text(), QStringLiteral("http://h"));
    QTest::keyClicks(form.PathEdit, QStringLiteral("docs"));
    QCOMPARE(form.URLEdit->text(), QStringLiteral("http://h/docs"));
    form.RTypeCombo->setCurrentIndex(int(urlResourceTypes.indexOf(QStringLiteral("mailto"))));
    QCOMPARE(form.URLEdit->text(), QStringLiteral("mailto:h"));
    QVERIFY(!form.isFieldShown(urlPath));
    QCOMPARE(form.fieldCaption(urlHost), QStringLiteral("E-Mail Address"));
    form.RTypeCombo->setCurrentIndex(int(urlResourceTypes.indexOf(QStringLiteral("gopher"))));
    QCOMPARE(form.fieldCaption(urlFileName), QStringLiteral("Arguments"));
    QCOMPARE(form.fieldSeparator(urlFileName), QStringLiteral(" "));
    QCOMPARE(form.URLEdit->text(), QStringLiteral("gopher://h/docs"));
    // ftp shows the target it composes, whatever type came before.
    form.RTypeCombo->setCurrentIndex(int(urlResourceTypes.indexOf(QStringLiteral("ftp"))));
    QVERIFY(form.isFieldShown(urlTarget));
    QCOMPARE(form.fieldSeparator(urlTarget), QStringLiteral("#"));
    form.TargetEdit->setText(QStringLiteral("x"));
    QCOMPARE(form.URLEdit->text(), QStringLiteral("ftp://h/docs#x"));
}

void tst_UrlWizard::okAndCancel()
{
    // The dialog runs modally; each round presses one of its buttons once it is up.
    for (const bool ok : {true, false}) {
        QTimer::singleShot(0, this, [ok] {
            auto* form = qobject_cast<TurlForm*>(QApplication::activeModalWidget());
            QVERIFY(form);
            form->RTypeCombo->setCurrentIndex(0);
            form->HostEdit->setText(QStringLiteral("x.org"));
            form->URLEdit->setText(form->URLEdit->text() + QStringLiteral("/by-hand"));
            auto* box = form->findChild<QDialogButtonBox*>();
            box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(TurlForm::getUrl(), ok ? QStringLiteral("http://x.org/by-hand") : QString());
    }
}

QTEST_MAIN(tst_UrlWizard)
#include "tst_urlwizard.moc"

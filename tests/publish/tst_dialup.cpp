/** @file tst_dialup.cpp ** The dial-up component over a scripted service (reports played on a
 ** thread of their own), nmcli where NetworkManager is absent, and the entries chooser. **/
#include "platform/NmcliDialUp.h"
#include "platform/ScriptedDialUp.h"
#include "publish/TentriesListFrm.h"
#include "publish/engine/DialUp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

namespace {

struct Heard
{
    QStringList texts;
    QList<int> states;
    QStringList errors;
    QStringList entries;
    int dialing = 0;
};

void listen(TDialUp& d, Heard& h)
{
    d.setOnAsyncEvent([&h](QObject*, int state, int, const QString& text) {
        h.states.append(state);
        h.texts.append(text);
    });
    d.setOnError([&h](QObject*, int code, const QString& message) {
        h.errors.append(QString::number(code) + u' ' + message);
    });
    d.setOnEntryGet([&h](QObject*, const QString& name) { h.entries.append(name); });
    d.setOnDialing([&h](QObject*) { ++h.dialing; });
}

/// Presses a button of the chooser once it is shown.
void answerChooser(const std::function<void(TentriesListFrm*)>& act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TentriesListFrm*>(w); f && f->isVisible())
                act(f);
    });
}

} // namespace

class TestDialUp : public QObject
{
    Q_OBJECT

private slots:
    void aCallEndsConnected_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("asynchronous") << int(dmAsync);
        QTest::newRow("synchronous") << int(dmSync);
    }
    void aCallEndsConnected()
    {
        QFETCH(int, mode);
        pm::ScriptedDialUp service;
        service.entries = { QStringLiteral("Provider") };
        service.reports = { { 0, 0 }, { 1, 0 }, { 2, 0 }, { 5, 0 }, { 14, 0 }, { 8192, 0 } };
        TDialUp d;
        d.setDialMode(TDialMode(mode));
        Heard h;
        listen(d, h);
        d.setEntry(QStringLiteral("Provider"));
        QCOMPARE(d.Dial(), 0);
        QCOMPARE(h.dialing, 1);
        // Synchronous dialling returns only once the call is connected.
        if (mode == dmSync)
            QCOMPARE(h.texts.size(), 6);
        QTRY_COMPARE(h.texts.size(), 6);
        QCOMPARE(h.texts,
            (QStringList { "Opening port", "Port opened", "Connecting device",
                "Start authenticating", "Authenticated", "Connected" }));
        QCOMPARE(h.states.last(), 8192);
        QVERIFY(!d.reportPending());
        d.HangUp();
        QCOMPARE(service.hangUps(), 1);
    }

    void aReportWithAnErrorShowsTheErrorText()
    {
        pm::ScriptedDialUp service;
        service.entries = { QStringLiteral("P") };
        service.reports = { { 0, 0 }, { 2, 678 } };
        service.errorTexts.insert(678, QStringLiteral("There is no answer."));
        TDialUp d;
        Heard h;
        listen(d, h);
        d.setEntry(QStringLiteral("P"));
        QCOMPARE(d.Dial(), 0);
        QTRY_COMPARE(h.texts.size(), 2);
        QCOMPARE(h.texts.last(), QStringLiteral("There is no answer."));
        QVERIFY(h.errors.isEmpty()); // failures during the call are no OnError
    }

    void failuresToStart_data()
    {
        QTest::addColumn<int>("paramsResult");
        QTest::addColumn<int>("dialResult");
        QTest::addColumn<QString>("error");
        QTest::newRow("no dial parameters") << 623 << 0 << "623 GetEntryDialParams failed";
        QTest::newRow("dial refused") << 0 << 602 << "602 Port already open";
    }
    void failuresToStart()
    {
        QFETCH(int, paramsResult);
        QFETCH(int, dialResult);
        QFETCH(QString, error);
        pm::ScriptedDialUp service;
        service.entries = { QStringLiteral("P") };
        service.paramsResult = paramsResult;
        service.dialResult = dialResult;
        service.errorTexts.insert(602, QStringLiteral("Port already open"));
        TDialUp d;
        Heard h;
        listen(d, h);
        d.setEntry(QStringLiteral("P"));
        QCOMPARE(d.Dial(), paramsResult ? paramsResult : dialResult);
        QCOMPARE(h.errors, QStringList { error });
        QVERIFY(h.texts.isEmpty());
    }

    /// The dialling thread waits while the mailbox is full; a hang-up frees it.
    void aFullMailboxHoldsTheThreadUntilHangUp()
    {
        pm::ScriptedDialUp service;
        service.entries = { QStringLiteral("P") };
        service.reports = { { 0, 0 }, { 1, 0 }, { 2, 0 } };
        TDialUp d;
        d.setEntry(QStringLiteral("P"));
        QCOMPARE(d.Dial(), 0);
        // No events run here, so nothing empties the mailbox.
        QElapsedTimer waited;
        waited.start();
        while (!d.reportPending() && waited.elapsed() < 5000)
            QThread::yieldCurrentThread();
        QVERIFY(d.reportPending());
        QVERIFY(service.playing()); // the next reports wait for room
        d.HangUp();
        QVERIFY(!service.playing());
        QVERIFY(!d.reportPending());
    }

    void entries()
    {
        pm::ScriptedDialUp service;
        service.entries = { QStringLiteral("Home"), QStringLiteral("Work") };
        TDialUp d;
        Heard h;
        listen(d, h);
        QCOMPARE(d.GetEntries(), 0);
        QCOMPARE(d.Entries(), service.entries);
        QCOMPARE(h.entries, service.entries);
        for (int i = 0; i < 101; ++i)
            service.entries.append(QString::number(i));
        QCOMPARE(d.GetEntries(), TDialUp::errTooManyEntries);
        QVERIFY(d.Entries().isEmpty());
        service.enumResult = 621;
        QCOMPARE(d.GetEntries(), 621);
        QVERIFY(d.Entries().isEmpty());
    }

    void withoutNetworkManager()
    {
        pm::NmcliDialUp nmcli(QStringLiteral("/nonexistent/nmcli"));
        TDialUp d(nullptr, &nmcli);
        QCOMPARE(d.GetEntries(), int(pm::NmcliDialUp::errNoNetworkManager));
        QVERIFY(d.Entries().isEmpty());
        QVERIFY(nmcli.errorText(pm::NmcliDialUp::errNoNetworkManager).contains(u"NetworkManager"));
    }

    void nmcliNames()
    {
        QCOMPARE(pm::NmcliDialUp::parseTerseNames("Wired 1\nMy\\:ISP\nback\\\\slash\n\n"),
            (QStringList { "Wired 1", "My:ISP", "back\\slash" }));
    }

    void stateTexts()
    {
        QCOMPARE(TDialUp::stateText(4099), QStringLiteral("Password expired"));
        QCOMPARE(TDialUp::stateText(8193), QStringLiteral("Disconnected"));
        QVERIFY(TDialUp::stateText(22).isEmpty());
        QVERIFY(!TDialUp::stateText(8192, Czech).isEmpty());
        QVERIFY(TDialUp::stateText(8192, Czech) != TDialUp::stateText(8192));
    }

    void chooser_data()
    {
        QTest::addColumn<int>("select");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("nothing selected, OK") << -1 << "okBtn"
                                              << "";
        QTest::newRow("selected, OK") << 1 << "okBtn"
                                      << "Work";
        QTest::newRow("selected, Cancel") << 1 << "cancelBtn"
                                          << "";
    }
    void chooser()
    {
        QFETCH(int, select);
        QFETCH(QString, button);
        QFETCH(QString, chosen);
        QString caption;
        answerChooser([&](TentriesListFrm* f) {
            caption = f->windowTitle();
            if (select >= 0)
                f->ListBox1->item(select)->setSelected(true);
            f->findChild<QPushButton*>(button)->click();
        });
        QCOMPARE(
            TentriesListFrm::choose({ QStringLiteral("Home"), QStringLiteral("Work") }), chosen);
        QCOMPARE(caption, QStringLiteral("Dialup entries found on system"));
    }
};

QTEST_MAIN(TestDialUp)
#include "tst_dialup.moc"

/** @file tst_regass.cpp ** File associations: the keys of the classes hive as designed, a type
 ** that owns the extension already, unregistering only what registering wrote, and the
 ** desktop's files beside them. **/
#include "app/regAss.h"
#include "platform/MemorySettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Root = pm::SettingsStore::Root;

class TestRegAss : public QObject
{
    Q_OBJECT

    QString value(const QString& key)
    {
        return m_store->readValue(Root::ClassesRoot, key, QString())
            .value_or(QStringLiteral("<none>"));
    }
    QString entry(const QString& id) const
    {
        return m_data + QStringLiteral("applications/") + id + QStringLiteral(".desktop");
    }

private slots:
    void init()
    {
        m_store.reset(new pm::MemorySettingsStore);
        pm::setSettingsStore(m_store.get());
        m_home.reset(new QTemporaryDir);
        m_data = m_home->path() + u'/';
    }
    void cleanup() { pm::setSettingsStore(nullptr); }

    void projectFiles()
    {
        const QString program = QStringLiteral("/opt/page mason/bin/pagemason");
        QString error;
        QVERIFY2(
            registerAssociation(QStringLiteral(".pmp"), QStringLiteral("pmpfile"),
                QStringLiteral("open"), program + QStringLiteral(",1"), program, &error, m_data),
            qPrintable(error));
        QCOMPARE(value(QStringLiteral(".pmp")), QStringLiteral("pmpfile"));
        QCOMPARE(value(QStringLiteral("pmpfile\\shell\\open\\command")),
            QStringLiteral("\"/opt/page mason/bin/pagemason\" \"%1\""));
        QCOMPARE(value(QStringLiteral("pmpfile\\defaulticon")),
            QStringLiteral("\"/opt/page mason/bin/pagemason,1\""));
        QFile desktop(entry(QStringLiteral("pagemason-pmpfile-open")));
        QVERIFY(desktop.open(QIODevice::ReadOnly));
        const QByteArray text = desktop.readAll();
        QVERIFY(text.contains("Exec=\"/opt/page mason/bin/pagemason\" %F\n"));
        QVERIFY(text.contains("MimeType=application/x-pagemason-project;\n"));
        QVERIFY(QFile::exists(m_data + QStringLiteral("mime/packages/pagemason-pmpfile-open.xml")));

        QVERIFY(unregisterAssociation(
            QStringLiteral("pmpfile"), QStringLiteral("open"), &error, m_data));
        QVERIFY(!m_store->keyExists(Root::ClassesRoot, QStringLiteral("pmpfile\\shell\\open")));
        // The extension's key and the type's other keys stay.
        QCOMPARE(value(QStringLiteral(".pmp")), QStringLiteral("pmpfile"));
        QCOMPARE(value(QStringLiteral("pmpfile\\defaulticon")),
            QStringLiteral("\"/opt/page mason/bin/pagemason,1\""));
        QVERIFY(!QFile::exists(entry(QStringLiteral("pagemason-pmpfile-open"))));
        QVERIFY(
            !QFile::exists(m_data + QStringLiteral("mime/packages/pagemason-pmpfile-open.xml")));
    }

    // ".html" belongs to another type already: the verb joins that type, and unregistering
    // "htmlfile" then takes nothing away from it.
    void extensionOwnedByAnotherType()
    {
        m_store->writeValue(
            Root::ClassesRoot, QStringLiteral(".html"), QString(), QStringLiteral("FirefoxHTML"));
        m_store->writeValue(Root::ClassesRoot, QStringLiteral("FirefoxHTML\\shell\\open\\command"),
            QString(), QStringLiteral("firefox \"%1\""));
        QString error;
        QVERIFY(registerAssociation(QStringLiteral(".html"), QStringLiteral("htmlfile"),
            QStringLiteral("Edit with Pagemason"), QString(), QStringLiteral("/usr/bin/pagemason"),
            &error, m_data));
        QCOMPARE(value(QStringLiteral(".html")), QStringLiteral("FirefoxHTML"));
        QCOMPARE(value(QStringLiteral("FirefoxHTML\\shell\\Edit with Pagemason\\command")),
            QStringLiteral("\"/usr/bin/pagemason\" \"%1\""));
        QVERIFY(!m_store->keyExists(Root::ClassesRoot, QStringLiteral("htmlfile")));
        QVERIFY(!m_store->keyExists(Root::ClassesRoot, QStringLiteral("FirefoxHTML\\defaulticon")));
        const QString id = QStringLiteral("pagemason-firefoxhtml-edit-with-pagemason");
        QFile desktop(entry(id));
        QVERIFY(desktop.open(QIODevice::ReadOnly));
        QVERIFY(desktop.readAll().contains("MimeType=text/html;\n"));
        // The system's own type: no definition of ours.
        QVERIFY(!QFile::exists(
            m_data + QStringLiteral("mime/packages/") + id + QStringLiteral(".xml")));

        QVERIFY(unregisterAssociation(
            QStringLiteral("htmlfile"), QStringLiteral("Edit with Pagemason"), &error, m_data));
        QVERIFY(m_store->keyExists(
            Root::ClassesRoot, QStringLiteral("FirefoxHTML\\shell\\Edit with Pagemason")));
        QVERIFY(QFile::exists(entry(id)));
        QCOMPARE(value(QStringLiteral("FirefoxHTML\\shell\\open\\command")),
            QStringLiteral("firefox \"%1\""));
    }

    // A desktop folder that cannot be written: nothing reaches the store either.
    void failureLeavesNothing()
    {
        QFile blocker(m_data + QStringLiteral("applications"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QString error;
        QVERIFY(!registerAssociation(QStringLiteral(".pmp"), QStringLiteral("pmpfile"),
            QStringLiteral("open"), QStringLiteral("/usr/bin/pm,1"), QStringLiteral("/usr/bin/pm"),
            &error, m_data));
        QVERIFY(!error.isEmpty());
        QVERIFY(!m_store->keyExists(Root::ClassesRoot, QStringLiteral(".pmp")));
        QVERIFY(!m_store->keyExists(Root::ClassesRoot, QStringLiteral("pmpfile")));
    }

private:
    std::unique_ptr<pm::MemorySettingsStore> m_store;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_data;
};

QTEST_GUILESS_MAIN(TestRegAss)
#include "tst_regass.moc"

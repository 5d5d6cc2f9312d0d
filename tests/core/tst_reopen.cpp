/** @file tst_reopen.cpp ** Reopen lists: store form, order, and their menus. **/
#include "core/reopen_utl.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QMap>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Values by lower-cased key and name, as the store compares them.
class MemoryStore : public pm::SettingsStore
{
public:
    QMap<QString, QString> values;
    static QString id(const QString& key, const QString& name)
    {
        return key.toLower() + QLatin1Char('|') + name.toLower();
    }
    std::optional<QString> readValue(Root, const QString& key, const QString& name) override
    {
        const auto it = values.constFind(id(key, name));
        return it == values.constEnd() ? std::nullopt : std::optional<QString>(*it);
    }
    bool writeValue(Root, const QString& key, const QString& name, const QString& v) override
    {
        values.insert(id(key, name), v);
        return true;
    }
    bool deleteValue(Root, const QString& key, const QString& name) override
    {
        values.remove(id(key, name));
        return true;
    }
    bool keyExists(Root, const QString&) override { return true; }
    bool deleteKey(Root, const QString&) override { return true; }
    QStringList valueNames(Root, const QString&) override { return {}; }
    QStringList subKeyNames(Root, const QString&) override { return {}; }
};

const QString key = QStringLiteral("Software\\Orvane\\Pagemason\\Reopen List");

} // namespace

class TestReopen : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_store.values.clear();
        pm::setSettingsStore(&m_store);
    }
    void cleanup() { pm::setSettingsStore(nullptr); }

    void load_data()
    {
        QTest::addColumn<QStringList>("stored"); // value k holds entry k; "" means missing
        QTest::addColumn<QStringList>("loaded");
        QTest::newRow("gap stops at the first missing value")
            << QStringList { "/a", "/b", "", "/d" } << QStringList { "/a", "/b" };
        QTest::newRow("empty store") << QStringList() << QStringList();
        QStringList twelve;
        for (int i = 0; i < 12; ++i)
            twelve << QStringLiteral("/f%1").arg(i);
        QTest::newRow("at most ten") << twelve << twelve.mid(0, 10);
    }
    void load()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, loaded);
        for (int k = 0; k < stored.size(); ++k)
            if (!stored[k].isEmpty())
                m_store.writeString(key, QString::number(k), stored[k]);
        QStringList list { QStringLiteral("stale") };
        loadReopenList(list, fileReopenSection);
        QCOMPARE(list, loaded);
    }

    void saveKeepsHigherValues()
    {
        m_store.writeString(key, QStringLiteral("5"), QStringLiteral("/old"));
        QVERIFY(saveReopenList({ QStringLiteral("/x"), QStringLiteral("/y") }, fileReopenSection));
        QCOMPARE(m_store.readString(key, QStringLiteral("0"), QString()), QStringLiteral("/x"));
        QCOMPARE(m_store.readString(key, QStringLiteral("1"), QString()), QStringLiteral("/y"));
        QCOMPARE(m_store.readString(key, QStringLiteral("5"), QString()), QStringLiteral("/old"));
    }

    void addMovesToTop()
    {
        QTemporaryDir dir;
        auto make = [&](const char* name) {
            const QString path = dir.filePath(QLatin1String(name));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            return path;
        };
        const QString a = make("a.html"), b = make("b.html"), c = make("Site.html");
        const QString gone = dir.filePath(QStringLiteral("gone.html"));
        QStringList list { a, gone, b, c };
        // The third file, named in another case, moves up without a duplicate; the deleted
        // entry disappears.
        const QString cOtherCase = make("SITE.html");
        addToReopenList(list, cOtherCase);
        QCOMPARE(list, (QStringList { cOtherCase, a, b }));

        addToReopenList(list, QString());
        QCOMPARE(list.size(), 3);

        // Not cut at ten: an eleventh entry is kept.
        QStringList full;
        for (int i = 0; i < 10; ++i)
            full << make(QByteArray("f" + QByteArray::number(i)).constData());
        addToReopenList(full, a);
        QCOMPARE(full.size(), 11);
    }

    void menu()
    {
        QMenu submenu;
        submenu.addAction(QStringLiteral("placeholder"));
        const QStringList list { QStringLiteral("/one/index.html"), QStringLiteral("/two/index.html"),
                                 QStringLiteral("/x/R&D.html") };
        QStringList opened;
        buildReopenMenu(list, &submenu, [&](const QString& f) { opened << f; });
        const QList<QAction*> items = submenu.actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QStringLiteral("index.html"));
        QCOMPARE(items[1]->text(), QStringLiteral("index.html"));
        QCOMPARE(items[2]->text(), QStringLiteral("R&&D.html"));
        items[1]->trigger();
        items[2]->trigger();
        QCOMPARE(opened, (QStringList { list[1], list[2] }));
    }

private:
    MemoryStore m_store;
};

QTEST_MAIN(TestReopen)
#include "tst_reopen.moc"

/** @file DialUp.cpp ** The dial-up component and its state texts. **/
#include "publish/engine/DialUp.h"

#include <QCoreApplication>
#include <QPointer>
#include <thread>

namespace {

/// The component whose call is under way; the progress callback hands reports to it.
std::atomic<TDialUp*> dialingComponent { nullptr };

struct StateText
{
    int state;
    const char16_t* english;
    const char16_t* czech;
};

const StateText stateTexts[] = {
    { 0, u"Opening port", u"Otevírání portu" },
    { 1, u"Port opened", u"Port otevřen" },
    { 2, u"Connecting device", u"Připojování zařízení" },
    { 3, u"Device connected", u"Zařízení připojeno" },
    { 4, u"All devices connected", u"Všechna zařízení připojena" },
    { 5, u"Start authenticating", u"Zahájení ověřování" },
    { 6, u"Authentication: notify", u"Ověřování: oznámení" },
    { 7, u"Authentication: retry", u"Ověřování: opakování" },
    { 8, u"Authentication: callback", u"Ověřování: zpětné volání" },
    { 9, u"Authentication: change password", u"Ověřování: změna hesla" },
    { 10, u"Authentication: projecting", u"Ověřování: projekce" },
    { 11, u"Authentication: link speed", u"Ověřování: rychlost linky" },
    { 12, u"Authentication: acknowledge", u"Ověřování: potvrzení" },
    { 13, u"Authentication: reauthenticate", u"Ověřování: nové ověření" },
    { 14, u"Authenticated", u"Ověřeno" },
    { 15, u"Preparing for callback", u"Příprava na zpětné volání" },
    { 16, u"Waiting for modem reset", u"Čekání na reset modemu" },
    { 17, u"Waiting for callback", u"Čekání na zpětné volání" },
    { 18, u"Projected", u"Projekce hotova" },
    { 19, u"Start authentication", u"Začátek ověřování" },
    { 20, u"Callback complete", u"Zpětné volání dokončeno" },
    { 21, u"Logging on network", u"Přihlašování do sítě" },
    { 4096, u"Interactive", u"Interaktivní" },
    { 4097, u"Retry Authentication", u"Opakovat ověřování" },
    { 4098, u"Callback set by caller", u"Zpětné volání nastavené volajícím" },
    { 4099, u"Password expired", u"Heslo vypršelo" },
    { 8192, u"Connected", u"Připojeno" },
    { 8193, u"Disconnected", u"Odpojeno" },
};

} // namespace

TDialUp::TDialUp(QObject* parent, pm::DialUpService* service)
    : QObject(parent)
    , m_service(service)
{
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &TDialUp::timerTick);
}

TDialUp::~TDialUp()
{
    HangUp();
    TDialUp* self = this;
    dialingComponent.compare_exchange_strong(self, nullptr);
}

pm::DialUpService& TDialUp::service() const
{
    return m_service ? *m_service : pm::dialUpService();
}

QString TDialUp::stateText(int state, TLanguage language)
{
    for (const StateText& t : stateTexts)
        if (t.state == state)
            return QString::fromUtf16(language == Czech ? t.czech : t.english);
    return QString();
}

QString TDialUp::errorText(int code) const
{
    return service().errorText(code).left(100);
}

int TDialUp::GetEntries()
{
    m_entries.clear();
    QStringList names;
    int result = service().enumEntries(names);
    if (result == 0 && names.size() > maxEntries)
        result = errTooManyEntries;
    if (result != 0)
        return result;
    for (const QString& name : std::as_const(names)) {
        const QString n = name.left(256);
        m_entries.append(n);
        if (m_onEntryGet)
            m_onEntryGet(this, n);
    }
    return 0;
}

int TDialUp::Dial()
{
    HangUp();
    QPointer<TDialUp> self(this);
    const int paramsResult = service().entryDialParams(m_entry);
    if (paramsResult != 0) {
        if (m_onError)
            m_onError(this, paramsResult, QStringLiteral("GetEntryDialParams failed"));
        return paramsResult;
    }
    m_handle = 0;
    dialingComponent = this;
    if (m_onDialing)
        m_onDialing(this);
    if (!self)
        return 0;
    m_accepting = true;
    m_syncDone = false;
    uintptr_t handle = 0;
    const int result = service().dial(m_entry, &TDialUp::progressCallback, handle);
    if (result != 0) {
        m_accepting = false;
        if (m_onError)
            m_onError(this, result, errorText(result));
        return result;
    }
    m_handle = handle;
    if (m_dialMode == dmSync) {
        while (self && !m_syncDone && m_handle != 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return 0;
}

void TDialUp::HangUp()
{
    m_accepting = false;
    if (m_handle != 0) {
        const uintptr_t handle = m_handle;
        m_handle = 0;
        service().hangUp(handle);
    }
    // A report of the call just ended is no news any more.
    m_timer.stop();
    m_full.store(false, std::memory_order_release);
}

void TDialUp::progressCallback(unsigned message, int state, int error)
{
    TDialUp* d = dialingComponent.load();
    if (!d)
        return;
    while (d->m_full.load(std::memory_order_acquire) && d->m_accepting.load())
        std::this_thread::yield();
    if (!d->m_accepting.load())
        return;
    d->m_message = message;
    d->m_state = state;
    d->m_error = error;
    d->m_full.store(true, std::memory_order_release);
    QMetaObject::invokeMethod(&d->m_timer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

void TDialUp::timerTick()
{
    m_timer.stop();
    if (!m_full.load(std::memory_order_acquire))
        return;
    const int state = m_state;
    const int error = m_error;
    // Emptied whether or not anyone listens, so the dialling thread never waits for good.
    m_full.store(false, std::memory_order_release);
    if (error != 0 || state == stateConnected || state == stateDisconnected)
        m_syncDone = true;
    if (m_onAsyncEvent) {
        const QString text = error != 0 ? errorText(error) : stateText(state, m_language);
        m_onAsyncEvent(this, state, error, text);
    }
}

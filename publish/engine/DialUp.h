/** @file DialUp.h ** Dials an Internet provider's entry and reports the call's progress as state
 ** texts on the GUI thread; lists the entries and hangs up. **/
#pragma once

#include "platform/DialUpService.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>

enum TDialMode { dmAsync, dmSync };
enum TLanguage { English, Czech };

using TDialEntryEvent = std::function<void(QObject* Sender, const QString& EntryName)>;
using TDialNotifyEvent = std::function<void(QObject* Sender)>;
using TDialAsyncEvent
    = std::function<void(QObject* Sender, int State, int Error, const QString& MessageText)>;
using TDialErrorEvent
    = std::function<void(QObject* Sender, int ErrorCode, const QString& ErrorMessage)>;

/// Progress reports come from the service's thread into a one-slot mailbox; a 1 ms timer on the
/// GUI thread empties it and raises OnAsyncEvent. Only one component dials at a time in the
/// program: the reports go to the one that dialled last.
class TDialUp : public QObject
{
    Q_OBJECT
public:
    /// Room for this many entries; more make GetEntries fail with errTooManyEntries.
    static constexpr int maxEntries = 100;
    static constexpr int errTooManyEntries = 603;
    static constexpr int stateConnected = 8192;
    static constexpr int stateDisconnected = 8193;

    /// `service` null: the program's dial-up service, looked up at each call.
    explicit TDialUp(QObject* parent = nullptr, pm::DialUpService* service = nullptr);
    /// Hangs up a call still under way.
    ~TDialUp() override;

    /// Fills Entries; 0 or the system's error code (Entries then empty).
    int GetEntries();
    /// Hangs up first, then starts dialling Entry; 0 when the dial started, else the error code
    /// (OnError has told it). In dmSync it returns once the call is connected or has failed.
    int Dial();
    void HangUp();

    const QStringList& Entries() const { return m_entries; }
    QString Entry() const { return m_entry; }
    void setEntry(const QString& entry) { m_entry = entry; }
    TDialMode DialMode() const { return m_dialMode; }
    void setDialMode(TDialMode mode) { m_dialMode = mode; }
    TLanguage Language() const { return m_language; }
    void setLanguage(TLanguage language) { m_language = language; }

    void setOnEntryGet(TDialEntryEvent h) { m_onEntryGet = std::move(h); }
    void setOnDialing(TDialNotifyEvent h) { m_onDialing = std::move(h); }
    void setOnAsyncEvent(TDialAsyncEvent h) { m_onAsyncEvent = std::move(h); }
    void setOnError(TDialErrorEvent h) { m_onError = std::move(h); }

    /// The text of a connection state in a language; empty for a state without one.
    static QString stateText(int state, TLanguage language = English);
    /// True while a report waits in the mailbox.
    bool reportPending() const { return m_full.load(std::memory_order_acquire); }

private:
    pm::DialUpService& service() const;
    /// The service's progress callback; runs on the dialling thread.
    static void progressCallback(unsigned message, int state, int error);
    void timerTick();
    QString errorText(int code) const;

    pm::DialUpService* m_service;
    QStringList m_entries;
    QString m_entry;
    TDialMode m_dialMode = dmAsync;
    TLanguage m_language = English;
    uintptr_t m_handle = 0;

    // The mailbox: the three values are written by the dialling thread before it sets m_full
    // and read by the GUI thread after it sees m_full; the GUI thread clears m_full.
    std::atomic<bool> m_full { false };
    unsigned m_message = 0;
    int m_state = 0;
    int m_error = 0;
    /// Cleared before a hang-up, so a report waiting for room gives up instead of holding the
    /// thread that the hang-up waits for.
    std::atomic<bool> m_accepting { false };
    QTimer m_timer;
    bool m_syncDone = false;

    TDialEntryEvent m_onEntryGet;
    TDialNotifyEvent m_onDialing;
    TDialAsyncEvent m_onAsyncEvent;
    TDialErrorEvent m_onError;
};

/** @file StatusRecorder.h ** Records status texts and progress calls, for tests. **/
#pragma once

#include "core/status_utl.h"

#include <QList>
#include <QPair>
#include <QStringList>

/// Registers itself as the status sink while it lives and puts the previous one back afterwards.
class TStatusRecorder : public TStatusSink
{
public:
    TStatusRecorder()
        : m_previous(setStatusSink(this))
    {
    }
    ~TStatusRecorder() override { setStatusSink(m_previous); }
    TStatusRecorder(const TStatusRecorder&) = delete;
    TStatusRecorder& operator=(const TStatusRecorder&) = delete;

    void statusChanged(const QString& text) override { texts.append(text); }
    void progressChanged(int position, int maximum) override
    {
        progress.append({ position, maximum });
    }

    QStringList texts;
    QList<QPair<int, int>> progress;

private:
    TStatusSink* m_previous = nullptr;
};
